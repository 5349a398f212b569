// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TInternetFrm: the links window. Each link is a label drawn as a hyperlink;
// a click opens its address in the desktop's browser through URL1.

#include <array>
#include <string_view>

#include "app/site.h"
#include "platform/vcl/forms.h"

namespace quillon {

class TLabel;
class TButton;
class TURL;

// One link of the window: the label that shows it and its address without
// the scheme.
struct TLinkInfo {
    std::string_view label;
    std::string_view address;
};
// The eight links in the order of the window, top to bottom.
extern const std::array<TLinkInfo, 8> kInternetLinks;

class TInternetFrm : public TForm {
    QUILLON_CLASS_INFO()
  public:
    explicit TInternetFrm(TComponent* owner);
    ~TInternetFrm() override;

    TButton* Button1 = nullptr;  // "Close"
    TURL* URL1 = nullptr;

    void Button1Click(TObject* sender);
    void Label2Click(TObject* sender);
    void Label1Click(TObject* sender);
    void Label3Click(TObject* sender);
    void Label8Click(TObject* sender);
    void Label7Click(TObject* sender);
    void Label9Click(TObject* sender);
    void Label11Click(TObject* sender);
    void Label10Click(TObject* sender);

  private:
    // Sets URL1's address and opens it; a failed launch shows nothing.
    void Open(std::string_view address);
};

extern TInternetFrm* InternetFrm;

}  // namespace quillon
