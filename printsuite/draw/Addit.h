// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "Print Options" dialog (TAddition) of the preview, and the page-list syntax it takes:
// elements separated by commas, each a page n or a range a-b ("1,2,5,7-14,21").

#include <string>
#include <string_view>

#include "platform/sys/limits.h"
#include "platform/sys/result.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"

namespace quillon {

// A page-list integer: leading spaces, then an optional sign and decimal digits, or "$" and
// hexadecimal digits, up to the end of the text, as a signed 32-bit value. Anything else
// (empty, a trailing space, another character, out of range) is the conversion error
// "'text' is not a valid integer value".
Result<int> ParseListInteger(std::string_view text);

// Takes the first element off `list` (the element and its comma): 0 when the list is empty,
// 1 when `page` is inside that element, 2 when outside it; the conversion error of an
// element that is not a number or range.
Result<int> TakeListItem(int page, std::string_view& list);
// Whether `page` is in `list`, reading the elements from the start only up to the first one
// that holds the page.
Result<bool> PageInList(int page, std::string_view list);
// Reads every element of `list`: the conversion error of the first one that the membership
// test would stop at, so that a request can be refused before any page is sent.
Result<void> CheckPageList(std::string_view list);

class TAddition : public TForm {
    QUILLON_CLASS_INFO()
  public:
    explicit TAddition(TComponent* owner);

    TGroupBox* PageRange = nullptr;
    TRadioButton* All = nullptr;
    TRadioButton* Current = nullptr;
    TRadioButton* Range = nullptr;
    TEdit* Edit1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TEdit* Copies = nullptr;
    TButton* Print = nullptr;
    TButton* CancelBtn = nullptr;

    void FormCreate(TObject* sender);
    void RangeClick(TObject* sender);

    static constexpr int kDesignPixelsPerInch = 120;
};

extern const char* const kAdditionForm;

}  // namespace quillon
