// Colour identifiers of form files.

#include "platform/properties.h"

namespace quillon {

bool IdentToColorValue(std::string_view, std::int64_t&) {
    return false;
}
bool ColorValueToIdent(std::int64_t, std::string&) {
    return false;
}

}  // namespace quillon
