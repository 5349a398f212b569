// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/fake_printer.h"

#include "platform/gdi/dib.h"

namespace quillon::testing {

FakePrinter::FakePrinter(std::string name, int dpiX, int dpiY, int pageWidthPixels,
                         int pageHeightPixels)
    : name_(std::move(name)),
      dpiX_(dpiX),
      dpiY_(dpiY),
      width_(pageWidthPixels),
      height_(pageHeightPixels) {}

DeviceCaps FakePrinter::Caps(TPrinterOrientation orientation) const {
    return PrinterCaps(dpiX_, dpiY_, width_, height_, orientation);
}

Result<DeviceContext*> FakePrinter::BeginDoc(const std::string& title,
                                             TPrinterOrientation orientation) {
    if (!failBegin_.empty()) {
        Error error{std::move(failBegin_)};
        failBegin_.clear();
        return error;
    }
    Document doc;
    doc.title = title;
    doc.orientation = orientation;
    doc.pageOrientations.push_back(orientation);
    documents_.push_back(std::move(doc));
    context_ = std::make_unique<RecordingDeviceContext>(Caps(orientation));
    return static_cast<DeviceContext*>(context_.get());
}

void FakePrinter::TakePage() {
    if (documents_.empty() || !context_) return;
    documents_.back().pages.push_back(context_->Lines());
    context_->Clear();
}

Result<DeviceContext*> FakePrinter::NewPage(TPrinterOrientation orientation) {
    if (!context_) return Error{"no document"};
    TakePage();
    // A page of the other orientation gets a context of its own, as the real printers do.
    if (orientation != documents_.back().pageOrientations.back())
        context_ = std::make_unique<RecordingDeviceContext>(Caps(orientation));
    documents_.back().pageOrientations.push_back(orientation);
    return static_cast<DeviceContext*>(context_.get());
}

Result<void> FakePrinter::EndDoc() {
    if (!context_) return Error{"no document"};
    TakePage();
    documents_.back().ended = true;
    context_.reset();
    return Ok();
}

void FakePrinter::Abort() {
    if (!context_) return;
    TakePage();
    documents_.back().aborted = true;
    context_.reset();
}

Result<TBitmap> TestGraphicsBackend::DecodeImage(std::span<const std::uint8_t> data) {
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data);
    return Error{"test backend reads BMP only"};
}

std::vector<std::shared_ptr<PrinterDevice>> TestGraphicsBackend::Printers() {
    return std::vector<std::shared_ptr<PrinterDevice>>(printers_.begin(), printers_.end());
}

std::shared_ptr<FakePrinter> TestGraphicsBackend::AddPrinter(std::string name, int dpiX, int dpiY,
                                                             int pageWidthPixels,
                                                             int pageHeightPixels) {
    auto p = std::make_shared<FakePrinter>(std::move(name), dpiX, dpiY, pageWidthPixels,
                                           pageHeightPixels);
    printers_.push_back(p);
    NotifyPrintersChanged();
    return p;
}

}  // namespace quillon::testing
