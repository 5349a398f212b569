// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A small box that shows a text, the date or the time on the form, and that the form
// printer fills with page totals, accumulated totals or the page number when it prints.

#include <string>

#include "platform/vcl/controls.h"
#include "printsuite/base/Vex_Types.h"

namespace quillon {

class TShowTotal : public TCustomControl, public TVexTotalPrinting {
    QUILLON_CLASS_INFO()
  public:
    explicit TShowTotal(TComponent* owner);
    ~TShowTotal() override;

    // The data grid whose column is totalled; cleared when that grid is removed.
    TWinControl* SourceGrid() const override { return sourceGrid_; }
    void SetSourceGrid(TWinControl* grid);
    // The display label of the totalled column.
    const std::string& SourceField() const override { return sourceField_; }
    void SetSourceField(const std::string& v) { sourceField_ = v; }
    TTotals TotalType() const override { return totalType_; }
    void SetTotalType(TTotals t);
    const std::string& DisplayFormat() const override { return displayFormat_; }
    void SetDisplayFormat(const std::string& v) { displayFormat_ = v; }
    // Its own text with its own default ("0.00"); setting it through the control's
    // SetText or SetCaption sets this text too.
    const std::string& Text() const override { return text_; }
    void SetText(std::string_view v) override;
    TShow ShowOn() const override { return showOn_; }
    void SetShowOn(TShow v) { showOn_ = v; }
    TAlignment Alignment() const override { return alignment_; }
    void SetAlignment(TAlignment a);
    // Whether it paints on screen (it prints either way).
    bool ShowOnForm() const { return showOnForm_; }
    void SetShowOnForm(bool v);
    TBorderStyle BorderStyle() const override { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);

    // What the screen shows: Text, or for tDate and tTime the moment `now` (seconds since
    // the epoch) as the user's short date or long time.
    std::string ShownText(std::int64_t now) const;

  protected:
    void Paint() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    TWinControl* sourceGrid_ = nullptr;
    std::string sourceField_;
    TTotals totalType_ = tPageTotal;
    std::string displayFormat_ = "#,##0.00";
    std::string text_ = "0.00";
    TShow showOn_ = tAllPages;
    TAlignment alignment_ = taRightJustify;
    bool showOnForm_ = true;
    TBorderStyle borderStyle_ = bsNone;
};

extern const TEnumInfo kTotalsNames, kShowNames;

}  // namespace quillon
