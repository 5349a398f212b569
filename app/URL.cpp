// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/URL.h"

#include "platform/sys/desktop.h"
#include "platform/vcl/properties.h"

namespace quillon {

const TEnumInfo kURLTypeNames{"TURLType",
                              {{"utFile", utFile},
                               {"utFtp", utFtp},
                               {"utGopher", utGopher},
                               {"utHttp", utHttp},
                               {"utHttps", utHttps},
                               {"utMailto", utMailto},
                               {"utNews", utNews},
                               {"utTelnet", utTelnet},
                               {"utWais", utWais}}};

std::string_view URLPrefix(TURLType type) {
    switch (type) {
        case utFile:
            return "file://";
        case utFtp:
            return "ftp://";
        case utGopher:
            return "gopher://";
        case utHttp:
            return "http://";
        case utHttps:
            return "https://";
        case utMailto:
            return "mailto:";
        case utNews:
            return "news:";
        case utTelnet:
            return "telnet:";
        case utWais:
            return "wais:";
    }
    return "http://";
}

const TClassInfo& TURL::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TURL>("TURL", &TComponent::StaticClassInfo())
            .Str("URL", &TURL::URL, [](TURL& u, const std::string& v) { u.SetURL(v); })
            .Enum("URLType", kURLTypeNames, &TURL::URLType, &TURL::SetURLType, utHttp)
            .Factory();
    return info;
}

TURL::TURL(TComponent* owner) : TComponent(owner) {}

void TURL::SetURL(std::string_view url) {
    if (url != url_) url_ = std::string(url);
}

void TURL::SetURLType(TURLType type) {
    if (type != urlType_) urlType_ = type;
}

bool TURL::OpenURL() {
    if (url_.empty()) return false;
    std::string target(URLPrefix(urlType_));
    target += url_;
    // The whole address goes to the launcher, however long: there is no fixed
    // buffer on the way. Show code 4: show the window without activating it.
    constexpr int kShowNoActivate = 4;
    return ExecuteFile(target, "", "", kShowNoActivate) > 32;
}

}  // namespace quillon
