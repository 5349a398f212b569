// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/graphics_backend.h"

#include "platform/gdi/dib.h"

namespace quillon {

namespace {

GraphicsBackend* g_installed = nullptr;
std::uint64_t g_generation = 1;

DefaultGraphicsBackend& BuiltIn() {
    static DefaultGraphicsBackend backend;
    return backend;
}

}  // namespace

Result<TBitmap> DefaultGraphicsBackend::DecodeImage(std::span<const std::uint8_t> data) {
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data);
    return Error{"image format not supported without a graphics backend"};
}

Result<TBitmap> GraphicsBackend::DecodeImageWithin(std::span<const std::uint8_t> data,
                                                   std::int64_t maxPixels) {
    Result<TBitmap> image = DecodeImage(data);
    if (image && std::int64_t{image->Width()} * image->Height() > maxPixels)
        return Error{"image too large"};
    return image;
}

void SetGraphicsBackend(GraphicsBackend* backend) {
    g_installed = backend;
    ++g_generation;
}

void NotifyPrintersChanged() {
    ++g_generation;
}

GraphicsBackend& GetGraphicsBackend() {
    return g_installed ? *g_installed : BuiltIn();
}

GraphicsBackend* InstalledGraphicsBackend() {
    return g_installed;
}

std::uint64_t GraphicsBackendGeneration() {
    return g_generation;
}

ScopedGraphicsBackend::ScopedGraphicsBackend(GraphicsBackend* backend) : previous_(g_installed) {
    SetGraphicsBackend(backend);
}

ScopedGraphicsBackend::~ScopedGraphicsBackend() {
    SetGraphicsBackend(previous_);
}

DeviceCaps PrinterCaps(int dpiX, int dpiY, int portraitWidthPixels, int portraitHeightPixels,
                       TPrinterOrientation orientation) {
    DeviceCaps caps;
    caps.technology = DT_RASPRINTER;
    if (orientation == poLandscape) {
        caps.logPixelsX = dpiY;
        caps.logPixelsY = dpiX;
        caps.widthPixels = portraitHeightPixels;
        caps.heightPixels = portraitWidthPixels;
    } else {
        caps.logPixelsX = dpiX;
        caps.logPixelsY = dpiY;
        caps.widthPixels = portraitWidthPixels;
        caps.heightPixels = portraitHeightPixels;
    }
    caps.physicalWidth = caps.widthPixels;
    caps.physicalHeight = caps.heightPixels;
    return caps;
}

}  // namespace quillon
