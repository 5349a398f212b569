// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Printer and backend doubles: a printer with a chosen name, resolution and page size that
// keeps what was drawn onto it (the call log of every page of every document), and a
// graphics backend that offers such printers with fixed-advance text measurement.

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/graphics_backend.h"
#include "tests/support/recording_device_context.h"

namespace quillon::testing {

class FakePrinter : public PrinterDevice {
  public:
    struct Document {
        std::string title;
        TPrinterOrientation orientation = poPortrait;
        std::vector<std::vector<std::string>> pages;        // call log per page
        std::vector<TPrinterOrientation> pageOrientations;  // one per page begun
        bool ended = false;
        bool aborted = false;
    };

    // Page size is the printable area in portrait, pixels.
    FakePrinter(std::string name, int dpiX, int dpiY, int pageWidthPixels, int pageHeightPixels);

    std::string Name() const override { return name_; }
    DeviceCaps Caps(TPrinterOrientation orientation) const override;
    Result<DeviceContext*> BeginDoc(const std::string& title,
                                    TPrinterOrientation orientation) override;
    Result<DeviceContext*> NewPage(TPrinterOrientation orientation) override;
    Result<void> EndDoc() override;
    void Abort() override;

    const std::vector<Document>& Documents() const { return documents_; }
    // The context of the open document (nullptr when none is open).
    RecordingDeviceContext* Context() { return context_.get(); }
    // Makes the next BeginDoc fail with this reason (empty: succeed).
    void FailNextBeginDoc(std::string reason) { failBegin_ = std::move(reason); }

  private:
    void TakePage();

    std::string name_;
    int dpiX_, dpiY_, width_, height_;
    std::vector<Document> documents_;
    std::unique_ptr<RecordingDeviceContext> context_;
    std::string failBegin_;
};

class TestGraphicsBackend : public GraphicsBackend {
  public:
    TestGraphicsBackend() = default;

    TextMeasurer& Measurer() override { return measurer_; }
    Result<TBitmap> DecodeImage(std::span<const std::uint8_t> data) override;
    std::vector<std::shared_ptr<PrinterDevice>> Printers() override;
    int DefaultPrinterIndex() override { return defaultIndex_; }
    ScreenInfo Screen() override { return screen_; }

    std::shared_ptr<FakePrinter> AddPrinter(std::string name, int dpiX, int dpiY,
                                            int pageWidthPixels, int pageHeightPixels);
    void SetDefaultPrinterIndex(int index) { defaultIndex_ = index; }
    void SetScreen(ScreenInfo screen) { screen_ = screen; }
    FixedAdvanceMeasurer& FixedMeasurer() { return measurer_; }

  private:
    FixedAdvanceMeasurer measurer_;
    std::vector<std::shared_ptr<FakePrinter>> printers_;
    int defaultIndex_ = 0;
    ScreenInfo screen_;
};

}  // namespace quillon::testing
