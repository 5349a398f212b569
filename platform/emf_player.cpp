#include "platform/emf_player.h"

#include "platform/emf_format.h"

namespace quillon {

bool PlayEmf(std::span<const std::uint8_t> emf, DeviceContext& /*dc*/, const TRect& /*rect*/,
             std::string* error) {
    if (!ReadEmfHeader(emf, error)) return false;
    if (error) *error = "metafile playback is not available yet";
    return false;
}

}  // namespace quillon
