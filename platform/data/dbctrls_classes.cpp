// SPDX-License-Identifier: GPL-2.0-or-later
// Streaming information of the data-aware controls.

#include "platform/data/dbctrls.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/form_lists.h"
#include "platform/vcl/graphics_properties.h"
#include "platform/vcl/properties.h"

namespace quillon {

const TEnumInfo kDBGridOptionNames{
    "TDBGridOptions",
    {{"dgEditing", dgEditing}, {"dgAlwaysShowEditor", dgAlwaysShowEditor}, {"dgTitles", dgTitles},
     {"dgIndicator", dgIndicator}, {"dgColumnResize", dgColumnResize}, {"dgColLines", dgColLines},
     {"dgRowLines", dgRowLines}, {"dgTabs", dgTabs}, {"dgRowSelect", dgRowSelect},
     {"dgAlwaysShowSelection", dgAlwaysShowSelection}, {"dgConfirmDelete", dgConfirmDelete},
     {"dgCancelOnExit", dgCancelOnExit}, {"dgMultiSelect", dgMultiSelect}}};

namespace {
template <class T>
TClassBuilder<T>& FieldProps(TClassBuilder<T>& b) {
    b.template Ref<TDataSource>("DataSource", &T::DataSource, &T::SetDataSource)
        .Str("DataField", [](const T& c) { return c.DataField(); },
             [](T& c, const std::string& v) { c.SetDataField(v); });
    return b;
}
}  // namespace

#define QUILLON_DB_FIELD_CLASS(Cls, Base)                                      \
    const TClassInfo& Cls::StaticClassInfo() {                                 \
        static const TClassInfo& info = [] {                                   \
            TClassBuilder<Cls> b(#Cls, &Base::StaticClassInfo());              \
            return std::cref(FieldProps(b).Factory());                         \
        }();                                                                   \
        return info;                                                           \
    }

QUILLON_DB_FIELD_CLASS(TDBEdit, TEdit)
QUILLON_DB_FIELD_CLASS(TDBText, TLabel)
QUILLON_DB_FIELD_CLASS(TDBMemo, TMemo)
QUILLON_DB_FIELD_CLASS(TDBComboBox, TComboBox)
QUILLON_DB_FIELD_CLASS(TDBImage, TImage)

const TClassInfo& TDBCheckBox::StaticClassInfo() {
    static const TClassInfo& info = [] {
        TClassBuilder<TDBCheckBox> b("TDBCheckBox", &TCheckBox::StaticClassInfo());
        FieldProps(b)
            .Str("ValueChecked", [](const TDBCheckBox& c) { return c.ValueChecked(); },
                 [](TDBCheckBox& c, const std::string& v) { c.SetValueChecked(v); }, std::string("True"))
            .Str("ValueUnchecked", [](const TDBCheckBox& c) { return c.ValueUnchecked(); },
                 [](TDBCheckBox& c, const std::string& v) { c.SetValueUnchecked(v); }, std::string("False"));
        return std::cref(b.Factory());
    }();
    return info;
}

const TClassInfo& TDBRadioGroup::StaticClassInfo() {
    static const TClassInfo& info = [] {
        TClassBuilder<TDBRadioGroup> b("TDBRadioGroup", &TRadioGroup::StaticClassInfo());
        FieldProps(b).Strings("Values", [](TDBRadioGroup& c) -> TStrings& { return c.Values(); });
        return std::cref(b.Factory());
    }();
    return info;
}

const TClassInfo& TDBLookupCombo::StaticClassInfo() {
    static const TClassInfo& info = [] {
        TClassBuilder<TDBLookupCombo> b("TDBLookupCombo", &TComboBox::StaticClassInfo());
        FieldProps(b)
            .Ref<TDataSource>("LookupSource", &TDBLookupCombo::LookupSource, &TDBLookupCombo::SetLookupSource)
            .Str("LookupField", [](const TDBLookupCombo& c) { return c.LookupField(); },
                 [](TDBLookupCombo& c, const std::string& v) { c.SetLookupField(v); })
            .Str("LookupDisplay", [](const TDBLookupCombo& c) { return c.LookupDisplay(); },
                 [](TDBLookupCombo& c, const std::string& v) { c.SetLookupDisplay(v); });
        return std::cref(b.Factory());
    }();
    return info;
}

const TClassInfo& TDBNavigator::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TDBNavigator>("TDBNavigator", &TCustomPanel::StaticClassInfo())
            .Ref<TDataSource>("DataSource", &TDBNavigator::DataSource, &TDBNavigator::SetDataSource)
            .Factory();
    return info;
}

namespace {

// A column of a data grid as a form file gives it (an item of the grid's Columns), and its
// title as the sub-object Title.
const TClassInfo& ColumnTitleClassInfo() {
    using C = TDBGridColumn;
    static const TClassInfo& info =
        TClassBuilder<C, C>("TColumnTitle", nullptr)
            .Str("Caption", [](const C& c) { return c.Title; },
                 [](C& c, const std::string& v) { c.Title = v; })
            .Abstract();
    return info;
}

const TClassInfo& ColumnClassInfo() {
    using C = TDBGridColumn;
    static const TClassInfo& info =
        TClassBuilder<C, C>("TColumn", nullptr)
            .Enum("Alignment", kAlignmentNames, [](const C& c) { return c.Alignment; },
                  [](C& c, TAlignment a) {
                      c.Alignment = a;
                      c.AlignmentSet = true;
                  },
                  std::nullopt)
            .StoredIf([](const C& c) { return c.AlignmentSet; })
            .Str("FieldName", [](const C& c) { return c.FieldName; },
                 [](C& c, const std::string& v) { c.FieldName = v; })
            .Object("Title", ColumnTitleClassInfo(), [](C& c) -> C& { return c; })
            .Bool("Visible", [](const C& c) { return c.Visible; }, [](C& c, bool v) { c.Visible = v; },
                  true)
            .Int("Width", [](const C& c) { return c.Width; }, [](C& c, int v) { c.Width = v; }, 0, 0,
                 100000)
            .Abstract();
    return info;
}

std::vector<TDBGridColumn>& GridColumns(TDBGrid& g) {
    return g.CustomColumns();
}

}  // namespace

const TClassInfo& TDBGrid::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TDBGrid>("TDBGrid", &TCustomControl::StaticClassInfo())
            .Ref<TDataSource>("DataSource", &TDBGrid::DataSource, &TDBGrid::SetDataSource)
            .Set("Options", kDBGridOptionNames, &TDBGrid::Options, &TDBGrid::SetOptions,
                 std::int64_t{(1 << dgEditing) | (1 << dgTitles) | (1 << dgIndicator) |
                              (1 << dgColumnResize) | (1 << dgColLines) | (1 << dgRowLines) |
                              (1 << dgTabs) | (1 << dgConfirmDelete) | (1 << dgCancelOnExit)})
            .Object("TitleFont", FontClassInfo(), [](TDBGrid& g) -> TFont& { return g.TitleFont(); })
            .Enum("BorderStyle", kBorderStyleNames, &TDBGrid::BorderStyle, &TDBGrid::SetBorderStyle,
                  bsSingle)
            .Int("DefaultRowHeight", &TDBGrid::DefaultRowHeight, &TDBGrid::SetDefaultRowHeight, 18, 1, 10000)
            .Factory();
    static const bool columns =
        (RegisterListProperty(info, CollectionOf<TDBGrid>("Columns", ColumnClassInfo(), &GridColumns)),
         true);
    (void)columns;
    return info;
}

namespace {

template <class C>
bool Check(const TComponent& component, std::string& why) {
    const auto* c = dynamic_cast<const C*>(&component);
    if (c) why = c->LoadProblem();
    return c != nullptr;
}

// What a form file's data components cannot do as the file set them up: a dataset that does
// not open, a control or a grid column naming a field its open dataset does not have.
std::string DataLoadProblem(const TComponent& component) {
    std::string why;
    (void)(Check<TDataSet>(component, why) || Check<TDBGrid>(component, why) ||
           Check<TDBEdit>(component, why) || Check<TDBText>(component, why) ||
           Check<TDBMemo>(component, why) || Check<TDBCheckBox>(component, why) ||
           Check<TDBRadioGroup>(component, why) || Check<TDBComboBox>(component, why) ||
           Check<TDBLookupCombo>(component, why) || Check<TDBImage>(component, why));
    return why;
}

}  // namespace

void RegisterDataControlClasses() {
    AddLoadCheck(&DataLoadProblem);
    const TClassInfo* all[] = {
        &TDBEdit::StaticClassInfo(),       &TDBText::StaticClassInfo(),
        &TDBMemo::StaticClassInfo(),       &TDBCheckBox::StaticClassInfo(),
        &TDBRadioGroup::StaticClassInfo(), &TDBComboBox::StaticClassInfo(),
        &TDBLookupCombo::StaticClassInfo(), &TDBImage::StaticClassInfo(),
        &TDBNavigator::StaticClassInfo(),  &TDBGrid::StaticClassInfo(),
    };
    (void)all;
}

}  // namespace quillon
