// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TURL: a non-visual component that opens an address with the desktop's
// default handler, putting its scheme's prefix in front of it.

#include <string>
#include <string_view>

#include "platform/vcl/components.h"

namespace quillon {

struct TEnumInfo;

enum TURLType : std::uint8_t {
    utFile,
    utFtp,
    utGopher,
    utHttp,
    utHttps,
    utMailto,
    utNews,
    utTelnet,
    utWais,
};
extern const TEnumInfo kURLTypeNames;

// "file://", "ftp://", ... "wais:".
std::string_view URLPrefix(TURLType type);

class TURL : public TComponent {
    QUILLON_CLASS_INFO()
  public:
    explicit TURL(TComponent* owner);

    // The address without its scheme ("en.wikipedia.org/wiki/Numerology").
    const std::string& URL() const { return url_; }
    void SetURL(std::string_view url);
    TURLType URLType() const { return urlType_; }
    void SetURLType(TURLType type);

    // Hands the prefix followed by URL to the shell launcher. False without
    // launching anything when URL is empty, and false when the launch failed
    // (nothing is shown to the user either way).
    bool OpenURL();

  private:
    std::string url_;
    TURLType urlType_ = utHttp;
};

}  // namespace quillon
