// SPDX-License-Identifier: GPL-2.0-or-later
// Hostile metafiles: playing or parsing never reads out of bounds, never hangs and never
// crashes; whatever is played into the page recorder comes out as a file that parses.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/emf/emf_player.h"
#include "platform/emf/emf_recorder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    const quillon::Result<quillon::EmfParseStats> parsed = quillon::ParseEmf(input);
    quillon::EmfRecorder recorder;
    const quillon::Result<void> played =
        quillon::PlayEmf(input, recorder, quillon::TRect{0, 0, 1024, 768});
    if (played.ok() != parsed.ok()) std::abort();          // both passes must judge a file alike
    if (played.reason() != parsed.reason()) std::abort();  // with the same reason
    if (!quillon::ParseEmf(recorder.Finish())) std::abort();
    return 0;
}
