// SPDX-License-Identifier: GPL-2.0-or-later
// Streaming information of the data classes, so that form files can hold them.

#include <mutex>

#include "platform/data/db.h"
#include "platform/vcl/properties.h"

namespace quillon {

namespace {
const std::string& GetDbName(const TDataSet& d) { return d.DatabaseName(); }
void SetDbName(TDataSet& d, const std::string& v) { d.SetDatabaseName(v); }
bool GetActive(const TDataSet& d) { return d.Active(); }
void SetActiveV(TDataSet& d, bool v) { d.SetActive(v); }
void SetIndexNames(TTable& t, const std::string& v) { (void)t.SetIndexFieldNames(v); }
}  // namespace

const TClassInfo& TField::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TField>("TField", &TComponent::StaticClassInfo())
            .Str("FieldName", [](const TField& f) { return f.FieldName(); },
                 [](TField& f, const std::string& v) { f.SetFieldName(v); })
            .Str("DisplayLabel", [](const TField& f) { return f.DisplayLabel() == f.FieldName() ? std::string() : f.DisplayLabel(); },
                 [](TField& f, const std::string& v) { f.SetDisplayLabel(v); })
            .Int("DisplayWidth", [](const TField& f) { return f.DisplayWidth(); },
                 [](TField& f, int v) { f.SetDisplayWidth(v); }, std::nullopt, 0, 100000)
            .Bool("Visible", &TField::Visible, &TField::SetVisible, true)
            .Enum("Alignment", kAlignmentNames, &TField::Alignment, &TField::SetAlignment, std::nullopt)
            .Str("DisplayFormat", [](const TField& f) { return f.DisplayFormat(); },
                 [](TField& f, const std::string& v) { f.SetDisplayFormat(v); })
            .Bool("Calculated", &TField::Calculated, &TField::SetCalculated, false)
            .Int("Size", &TField::Size, &TField::SetSize, 0, 0, 100000)
            .Ref<TDataSet>("DataSet", &TField::DataSet, &TField::SetDataSet)
            .Event("OnGetText", &TField::OnGetText)
            .Abstract();
    return info;
}

#define QUILLON_FIELD_CLASS(Cls, Base)                                                   \
    const TClassInfo& Cls::StaticClassInfo() {                                            \
        static const TClassInfo& info = TClassBuilder<Cls>(#Cls, &Base::StaticClassInfo()).Factory(); \
        return info;                                                                      \
    }

const TClassInfo& TNumericField::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TNumericField>("TNumericField", &TField::StaticClassInfo()).Abstract();
    return info;
}
QUILLON_FIELD_CLASS(TStringField, TField)
QUILLON_FIELD_CLASS(TIntegerField, TNumericField)
QUILLON_FIELD_CLASS(TSmallintField, TIntegerField)
QUILLON_FIELD_CLASS(TWordField, TIntegerField)
QUILLON_FIELD_CLASS(TCurrencyField, TFloatField)
QUILLON_FIELD_CLASS(TBlobField, TField)
QUILLON_FIELD_CLASS(TMemoField, TBlobField)
QUILLON_FIELD_CLASS(TGraphicField, TBlobField)

const TClassInfo& TFloatField::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TFloatField>("TFloatField", &TNumericField::StaticClassInfo())
            .Bool("Currency", &TFloatField::Currency, &TFloatField::SetCurrency, false)
            .Factory();
    return info;
}

const TClassInfo& TDataSet::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TDataSet>("TDataSet", &TComponent::StaticClassInfo())
            .Str("DatabaseName", &GetDbName, &SetDbName)
            .Event("OnCalcFields", &TDataSet::OnCalcFields)
            .Event("AfterOpen", &TDataSet::AfterOpen)
            .Event("AfterScroll", &TDataSet::AfterScroll)
            .Abstract();
    return info;
}

const TClassInfo& TTable::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TTable>("TTable", &TDataSet::StaticClassInfo())
            .Str("TableName", [](const TTable& t) { return t.TableName(); },
                 [](TTable& t, const std::string& v) { t.SetTableName(v); })
            .Str("IndexFieldNames", [](const TTable& t) { return t.IndexFieldNames(); }, &SetIndexNames)
            // Last, so that the table opens with everything else set.
            .Bool("Active", &GetActive, &SetActiveV, false)
            .Factory();
    return info;
}

const TClassInfo& TQuery::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TQuery>("TQuery", &TDataSet::StaticClassInfo())
            .Strings("SQL", [](TQuery& q) -> TStrings& { return q.SQL(); })
            .Bool("Active", &GetActive, &SetActiveV, false)
            .Factory();
    return info;
}

const TClassInfo& TDataSource::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TDataSource>("TDataSource", &TComponent::StaticClassInfo())
            .Ref<TDataSet>("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
            .Bool("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled, true)
            .Event("OnDataChange", &TDataSource::OnDataChange)
            .Factory();
    return info;
}

void RegisterDataControlClasses();

void RegisterDataClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        const TClassInfo* all[] = {
            &TStringField::StaticClassInfo(),  &TIntegerField::StaticClassInfo(),
            &TSmallintField::StaticClassInfo(), &TWordField::StaticClassInfo(),
            &TFloatField::StaticClassInfo(),   &TCurrencyField::StaticClassInfo(),
            &TBlobField::StaticClassInfo(),    &TMemoField::StaticClassInfo(),
            &TGraphicField::StaticClassInfo(), &TTable::StaticClassInfo(),
            &TQuery::StaticClassInfo(),        &TDataSource::StaticClassInfo(),
        };
        (void)all;
        RegisterDataControlClasses();
    });
}

}  // namespace quillon
