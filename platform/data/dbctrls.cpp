// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/data/dbctrls.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <span>

#include "platform/vcl/properties.h"

namespace quillon {

namespace {
std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}
}  // namespace

TFieldDataLink::~TFieldDataLink() { alive_ = false; }

void TFieldDataLink::SetFieldName(std::string_view v) {
    fieldName_ = v;
    if (changed_) changed_();
}

TField* TFieldDataLink::Field() const {
    return Active() && !fieldName_.empty() ? DataSet()->FindField(fieldName_) : nullptr;
}

std::string TFieldDataLink::Problem(const TComponent& control) const {
    if (!Active() || fieldName_.empty() || DataSet()->FindField(fieldName_)) return {};
    return control.Name() + ": field '" + fieldName_ + "' not found in " + DataSet()->Name();
}

void TFieldDataLink::DataEvent(TDataEvent) {
    if (alive_ && changed_) changed_();
}

#define QUILLON_DB_CONTROL_IMPL(Cls)                                     \
    void Cls::SetDataSource(TDataSource* s) {                            \
        if (DataSource()) RemoveFreeNotification(DataSource());          \
        link_.SetDataSource(s);                                          \
        if (s) FreeNotification(s);                                      \
    }                                                                    \
    void Cls::Notification(TComponent* component, TOperation operation) { \
        Cls##Base::Notification(component, operation);                   \
        if (operation == opRemove && component == DataSource())          \
            link_.SetDataSource(nullptr);                                \
    }

using TDBEditBase = TEdit;
using TDBTextBase = TLabel;
using TDBMemoBase = TMemo;
using TDBCheckBoxBase = TCheckBox;
using TDBRadioGroupBase = TRadioGroup;
using TDBComboBoxBase = TComboBox;
using TDBImageBase = TImage;
QUILLON_DB_CONTROL_IMPL(TDBEdit)
QUILLON_DB_CONTROL_IMPL(TDBText)
QUILLON_DB_CONTROL_IMPL(TDBMemo)
QUILLON_DB_CONTROL_IMPL(TDBCheckBox)
QUILLON_DB_CONTROL_IMPL(TDBRadioGroup)
QUILLON_DB_CONTROL_IMPL(TDBComboBox)
QUILLON_DB_CONTROL_IMPL(TDBImage)

void TDBLookupCombo::SetDataSource(TDataSource* s) {
    if (DataSource()) RemoveFreeNotification(DataSource());
    link_.SetDataSource(s);
    if (s) FreeNotification(s);
}

void TDBLookupCombo::Notification(TComponent* component, TOperation operation) {
    TComboBox::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == DataSource()) link_.SetDataSource(nullptr);
    if (component == lookupSource_) {
        lookupSource_ = nullptr;
        DataChanged();
    }
}

TDBEdit::TDBEdit(TComponent* owner) : TEdit(owner) { SetReadOnly(true); }
void TDBEdit::DataChanged() {
    TField* f = Field();
    SetText(f ? f->DisplayText() : std::string());
}

TDBText::TDBText(TComponent* owner) : TLabel(owner) {}
void TDBText::DataChanged() {
    TField* f = Field();
    SetCaption(f ? f->DisplayText() : std::string());
}

TDBMemo::TDBMemo(TComponent* owner) : TMemo(owner) { SetReadOnly(true); }
void TDBMemo::DataChanged() {
    TField* f = Field();
    SetText(f ? f->AsString() : std::string());
}

TDBCheckBox::TDBCheckBox(TComponent* owner) : TCheckBox(owner) {}
void TDBCheckBox::DataChanged() {
    TField* f = Field();
    if (!f || f->IsNull()) {
        SetChecked(false);
        return;
    }
    std::string v = Upper(f->AsString());
    bool checked = false;
    std::string list = Upper(valueChecked_);
    size_t start = 0;
    while (start <= list.size()) {
        size_t semi = list.find(';', start);
        if (list.substr(start, semi - start) == v) checked = true;
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    if (!checked && f->IsNumeric() && f->AsFloat() != 0) checked = true;
    SetChecked(checked);
}

TDBRadioGroup::TDBRadioGroup(TComponent* owner) : TRadioGroup(owner) {}
void TDBRadioGroup::DataChanged() {
    TField* f = Field();
    int index = -1;
    if (f && !f->IsNull()) {
        const TStrings& list = values_.Count() > 0 ? static_cast<const TStrings&>(values_) : Items();
        std::string v = f->AsString();
        for (int i = 0; i < list.Count(); ++i)
            if (list[i] == v) {
                index = i;
                break;
            }
    }
    if (index < Items().Count()) SetItemIndex(index);
}

TDBComboBox::TDBComboBox(TComponent* owner) : TComboBox(owner) {}
void TDBComboBox::DataChanged() {
    TField* f = Field();
    SetText(f ? f->DisplayText() : std::string());
}

TDBLookupCombo::TDBLookupCombo(TComponent* owner) : TComboBox(owner) {}
void TDBLookupCombo::SetLookupSource(TDataSource* s) {
    if (lookupSource_) RemoveFreeNotification(lookupSource_);
    lookupSource_ = s;
    if (s) FreeNotification(s);
    DataChanged();
}
void TDBLookupCombo::DataChanged() {
    TField* f = Field();
    std::string text;
    TDataSet* lookup = lookupSource_ ? lookupSource_->DataSet() : nullptr;
    if (f && !f->IsNull() && lookup && lookup->Active()) {
        TField* key = lookup->FindField(lookupField_);
        TField* shown = lookup->FindField(lookupDisplay_.empty() ? lookupField_ : lookupDisplay_);
        if (key && shown) {
            // Walk the lookup set without showing the walk, then go back.
            std::string want = f->AsString();
            TBookmark here = lookup->GetBookmark();
            lookup->DisableControls();
            for (lookup->First(); !lookup->Eof(); lookup->Next())
                if (key->AsString() == want) {
                    text = shown->DisplayText();
                    break;
                }
            lookup->GotoBookmark(here);
            lookup->FreeBookmark(here);
            lookup->EnableControls();
        }
    }
    SetText(text);
}

TDBImage::TDBImage(TComponent* owner) : TImage(owner) {}
void TDBImage::DataChanged() {
    TField* f = Field();
    pictureError_.clear();
    if (!f || f->IsNull() || f->Value().bytes.empty()) {
        Picture().Clear();
        Invalidate();
        return;
    }
    const std::string& b = f->Value().bytes;
    const Result<void> loaded = Picture().LoadFromBytes(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(b.data()), b.size()));
    if (!loaded) {
        Picture().Clear();
        pictureError_ =
            f->FieldName() + ": " + (loaded.reason().empty() ? "not a picture" : loaded.reason());
    }
    Invalidate();
}

// ---------------------------------------------------------------- navigator

TDBNavigator::TDBNavigator(TComponent* owner) : TCustomPanel(owner) {}

void TDBNavigator::SetDataSource(TDataSource* s) {
    if (DataSource()) RemoveFreeNotification(DataSource());
    link_.SetDataSource(s);
    if (s) FreeNotification(s);
}

void TDBNavigator::Notification(TComponent* component, TOperation operation) {
    TCustomPanel::Notification(component, operation);
    if (operation == opRemove && component == DataSource()) link_.SetDataSource(nullptr);
}

bool TDBNavigator::ButtonEnabled(TNavigateBtn b) const {
    TDataSet* ds = link_.Active() ? link_.DataSet() : nullptr;
    if (!ds || ds->IsEmpty()) return b == nbRefresh && ds;
    switch (b) {
        case nbFirst:
        case nbPrior: return ds->RecNo() > 0;
        case nbNext:
        case nbLast: return ds->RecNo() + 1 < ds->RecordCount();
        default: return true;
    }
}

void TDBNavigator::BtnClick(TNavigateBtn b) {
    TDataSet* ds = link_.Active() ? link_.DataSet() : nullptr;
    if (ds) {
        switch (b) {
            case nbFirst: ds->First(); break;
            case nbPrior: ds->Prior(); break;
            case nbNext: ds->Next(); break;
            case nbLast: ds->Last(); break;
            case nbRefresh: {
                TBookmark here = ds->GetBookmark();
                std::int64_t at = here.position;
                ds->Close();
                if (ds->Open() && at >= 0) ds->MoveTo(std::min<std::int64_t>(at, ds->RecordCount() - 1));
                break;
            }
        }
    }
    if (OnClick) OnClick(this, b);
}

// ---------------------------------------------------------------- grid

TDBGrid::TDBGrid(TComponent* owner)
    : TCustomControl(owner),
      options_((1u << dgEditing) | (1u << dgTitles) | (1u << dgIndicator) | (1u << dgColumnResize) |
               (1u << dgColLines) | (1u << dgRowLines) | (1u << dgTabs) | (1u << dgConfirmDelete) |
               (1u << dgCancelOnExit)) {
    SetTabStop(true);
}

TDBGrid::~TDBGrid() = default;

void TDBGrid::SetDataSource(TDataSource* s) {
    if (DataSource()) RemoveFreeNotification(DataSource());
    link_.SetDataSource(s);
    if (s) FreeNotification(s);
}

void TDBGrid::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation == opRemove && component == DataSource()) link_.SetDataSource(nullptr);
}

void TDBGrid::DataChanged() {
    // Keep the current record in view.
    TDataSet* ds = link_.Active() ? link_.DataSet() : nullptr;
    if (!ds) {
        topRow_ = 0;
    } else if (ds->RecNo() >= 0) {
        int rows = std::max(1, VisibleRowCount());
        if (ds->RecNo() < topRow_) topRow_ = ds->RecNo();
        if (ds->RecNo() >= topRow_ + rows) topRow_ = ds->RecNo() - rows + 1;
    }
    DropWindow();
}

std::vector<TDBGrid::Column> TDBGrid::Columns() const {
    std::vector<Column> out;
    TDataSet* ds = link_.Active() ? link_.DataSet() : nullptr;
    auto widthOf = [](TField* f, int w) { return w > 0 ? w : (f ? f->DisplayWidth() * 7 + 4 : 64); };
    if (!custom_.empty()) {
        for (const TDBGridColumn& c : custom_) {
            if (!c.Visible) continue;
            TField* f = ds ? ds->FindField(c.FieldName) : nullptr;
            const TAlignment a = c.AlignmentSet ? c.Alignment : f ? f->Alignment() : taLeftJustify;
            out.push_back(Column{f, !c.Title.empty() ? c.Title : f ? f->DisplayLabel() : c.FieldName,
                                 widthOf(f, c.Width), a, c.FieldName});
        }
        return out;
    }
    if (ds)
        for (int i = 0; i < ds->FieldCount(); ++i) {
            TField* f = ds->Fields(i);
            if (f->Visible())
                out.push_back(Column{f, f->DisplayLabel(), widthOf(f, 0), f->Alignment(), f->FieldName()});
        }
    return out;
}

std::string TDBGrid::LoadProblem() const {
    TDataSet* ds = link_.Active() ? link_.DataSet() : nullptr;
    if (!ds) return {};
    for (const TDBGridColumn& c : custom_)
        if (!c.FieldName.empty() && !ds->FindField(c.FieldName))
            return Name() + ": column field '" + c.FieldName + "' not found in " + ds->Name();
    return {};
}

int TDBGrid::VisibleRowCount() const {
    int h = Height() - (HasOption(dgTitles) ? TitleRowHeight() : 0);
    return std::max(0, h / rowHeight_);
}

void TDBGrid::SetTopRow(std::int64_t row) {
    TDataSet* ds = link_.Active() ? link_.DataSet() : nullptr;
    std::int64_t last = ds ? std::max<std::int64_t>(0, ds->RecordCount() - VisibleRowCount()) : 0;
    row = std::clamp<std::int64_t>(row, 0, last);
    if (row == topRow_) return;
    topRow_ = row;
    DropWindow();
}

void TDBGrid::SetLeftCol(int c) {
    c = std::clamp(c, 0, std::max(0, static_cast<int>(Columns().size()) - 1));
    if (c == leftCol_) return;
    leftCol_ = c;
    Invalidate();
}

void TDBGrid::SetSelectedIndex(int c) {
    c = std::clamp(c, 0, std::max(0, static_cast<int>(Columns().size()) - 1));
    if (c == selectedIndex_) return;
    selectedIndex_ = c;
    Invalidate();
}

bool TDBGrid::DrawDataCell(TCanvas&, const TRect&, std::int64_t, int, bool, bool) { return false; }

const std::vector<TCellValue>* TDBGrid::WindowRow(std::int64_t row) {
    TDataSet* ds = link_.Active() ? link_.DataSet() : nullptr;
    if (!ds || row < 0 || row >= ds->RecordCount()) return nullptr;
    int rows = std::max(1, VisibleRowCount());
    if (window_.empty() || row < windowFirst_ || row >= windowFirst_ + static_cast<std::int64_t>(window_.size())) {
        windowFirst_ = row < topRow_ || row >= topRow_ + rows ? row : topRow_;
        auto got = ds->FetchRows(windowFirst_, rows);
        window_ = got ? std::move(*got) : std::vector<std::vector<TCellValue>>{};
        fetched_ += static_cast<std::int64_t>(window_.size());
        if (window_.empty()) return nullptr;
    }
    if (row - windowFirst_ >= static_cast<std::int64_t>(window_.size())) return nullptr;
    return &window_[static_cast<size_t>(row - windowFirst_)];
}

TCellValue TDBGrid::CellValue(std::int64_t row, int column) {
    std::vector<Column> cols = Columns();
    if (column < 0 || column >= static_cast<int>(cols.size()) || !cols[column].Field) return {};
    TField* f = cols[column].Field;
    TDataSet* ds = f->DataSet();
    if (!ds || row < 0 || row >= ds->RecordCount()) return {};
    if (f->Calculated() || row == ds->RecNo()) return f->Value();
    const std::vector<TCellValue>* r = WindowRow(row);
    int col = f->Column();
    if (!r || col < 0 || col >= static_cast<int>(r->size())) return {};
    return (*r)[static_cast<size_t>(col)];
}

std::string TDBGrid::CellText(std::int64_t row, int column) {
    std::vector<Column> cols = Columns();
    if (column < 0 || column >= static_cast<int>(cols.size()) || !cols[column].Field) return {};
    TField* f = cols[column].Field;
    TDataSet* ds = f->DataSet();
    if (!ds || row < 0 || row >= ds->RecordCount()) return {};
    if (f->Calculated() || row == ds->RecNo()) return f->IsBlob() ? (f->DataType() == ftMemo ? "(Memo)" : "(Graphic)") : f->DisplayText();
    if (f->IsBlob()) return f->DataType() == ftMemo ? "(Memo)" : "(Graphic)";
    const std::vector<TCellValue>* window = WindowRow(row);
    if (!window) return {};
    const auto& r = *window;
    // The window holds raw values: a scratch field of the same class formats
    // them, so that DisplayFormat, the currency and OnGetText apply.
    std::unique_ptr<TField> scratch(static_cast<TField*>(f->ClassInfo().create(nullptr)));
    scratch->SetFieldName(f->FieldName());
    scratch->SetDisplayFormat(f->DisplayFormat());
    scratch->OnGetText = f->OnGetText;
    if (auto* ff = dynamic_cast<TFloatField*>(f))
        static_cast<TFloatField*>(scratch.get())->SetCurrency(ff->Currency());
    int col = f->Column();
    scratch->SetCalcValue(col >= 0 && col < static_cast<int>(r.size()) ? r[static_cast<size_t>(col)]
                                                                       : TCellValue{});
    scratch->SetCalculated(true);
    return scratch->DisplayText();
}

}  // namespace quillon
