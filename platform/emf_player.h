#pragma once
// Playback of enhanced metafiles onto any device context.

#include <cstdint>
#include <span>
#include <string>

#include "platform/device_context.h"

namespace quillon {

// Plays `emf` onto `dc` with the picture frame mapped onto `rect` (logical units of dc).
// The context's state is the same afterwards. False with a reason when the data is not a
// well-formed metafile; records before the fault have been played.
bool PlayEmf(std::span<const std::uint8_t> emf, DeviceContext& dc, const TRect& rect,
             std::string* error = nullptr);

}  // namespace quillon
