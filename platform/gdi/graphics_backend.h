// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a windowing backend gives the drawing layer: real text measurement, image decoding,
// the printers and the screen. The Qt backend installs itself at start-up; without one
// everything works with the built-in defaults (fixed-advance text measurement, BMP only,
// no printers, a 1024 x 768 screen at 96 pixels per inch).

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/gdi/graphics.h"
#include "platform/gdi/printer_device.h"
#include "platform/gdi/text_measurer.h"

namespace quillon {

struct ScreenInfo {
    int width = 1024;
    int height = 768;
    int pixelsPerInch = 96;
};

class GraphicsBackend {
  public:
    virtual ~GraphicsBackend() = default;

    virtual TextMeasurer& Measurer() = 0;
    // Decodes an image file (PNG, JPEG, ICO ...) into 32-bit pixels; an error with the
    // reason when the data is not an image the backend reads.
    virtual Result<TBitmap> DecodeImage(std::span<const std::uint8_t> data) = 0;
    // The same for an image of at most `maxPixels` pixels: a larger one is refused by the size
    // its file announces, before its pixels are decoded. Backends without that check decode
    // first and refuse after.
    virtual Result<TBitmap> DecodeImageWithin(std::span<const std::uint8_t> data,
                                              std::int64_t maxPixels);
    // The printers, in the order the printer list shows them, and the default one's index
    // (-1 when there is none).
    virtual std::vector<std::shared_ptr<PrinterDevice>> Printers() = 0;
    virtual int DefaultPrinterIndex() = 0;
    virtual ScreenInfo Screen() = 0;
};

// The built-in backend used when none is installed.
class DefaultGraphicsBackend : public GraphicsBackend {
  public:
    TextMeasurer& Measurer() override { return measurer_; }
    Result<TBitmap> DecodeImage(std::span<const std::uint8_t> data) override;
    std::vector<std::shared_ptr<PrinterDevice>> Printers() override { return {}; }
    int DefaultPrinterIndex() override { return -1; }
    ScreenInfo Screen() override { return ScreenInfo{}; }

  private:
    FixedAdvanceMeasurer measurer_;
};

// Installs a backend (not owned; nullptr goes back to the built-in one). The printer list
// is read again from the new backend on its next use.
void SetGraphicsBackend(GraphicsBackend* backend);
GraphicsBackend& GetGraphicsBackend();
// The installed backend, nullptr when the built-in one is in use.
GraphicsBackend* InstalledGraphicsBackend();
// Tells the platform that the installed backend's printer list changed (read it again).
void NotifyPrintersChanged();
// Increases with every SetGraphicsBackend or NotifyPrintersChanged call; lets caches notice a new
// backend.
std::uint64_t GraphicsBackendGeneration();

// Installs a backend for the lifetime of the object (tests), then puts back the previous one.
class ScopedGraphicsBackend {
  public:
    explicit ScopedGraphicsBackend(GraphicsBackend* backend);
    ~ScopedGraphicsBackend();
    ScopedGraphicsBackend(const ScopedGraphicsBackend&) = delete;
    ScopedGraphicsBackend& operator=(const ScopedGraphicsBackend&) = delete;

  private:
    GraphicsBackend* previous_;
};

}  // namespace quillon
