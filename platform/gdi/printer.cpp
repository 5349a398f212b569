// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/printer.h"

#include "platform/gdi/graphics_backend.h"
#include "platform/gdi/screen.h"

namespace quillon {

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
    canvas_.SetHandle(nullptr);
    if (printing_ && docDevice_) docDevice_->Abort();
}

void TPrinter::EnsureList() {
    if (listRead_ && listGeneration_ == GraphicsBackendGeneration()) return;
    if (printing_) return;  // the document keeps its printer until it ends
    Refresh();
}

void TPrinter::Refresh() {
    if (printing_) return;
    GraphicsBackend& backend = GetGraphicsBackend();
    devices_.clear();
    names_.clear();
    for (auto& device : backend.Printers()) {
        if (!device) continue;
        names_.push_back(device->Name());
        devices_.push_back(std::move(device));
    }
    listRead_ = true;
    listGeneration_ = GraphicsBackendGeneration();
    index_ = -1;
    UpdateMeasuringContext();
}

const std::vector<std::string>& TPrinter::Printers() {
    EnsureList();
    return names_;
}

int TPrinter::PrinterIndex() {
    EnsureList();
    if (index_ < 0 && !devices_.empty()) {
        const int def = GetGraphicsBackend().DefaultPrinterIndex();
        index_ = (def >= 0 && def < static_cast<int>(devices_.size())) ? def : 0;
    }
    return devices_.empty() ? -1 : index_;
}

bool TPrinter::SetPrinterIndex(int index) {
    EnsureList();
    if (printing_) return false;
    if (index < -1 || index >= static_cast<int>(devices_.size())) return false;
    index_ = index;
    PrinterIndex();  // resolves -1 to the default printer
    UpdateMeasuringContext();
    return true;
}

std::string TPrinter::PrinterName() {
    auto device = Device();
    return device ? device->Name() : std::string();
}

std::shared_ptr<PrinterDevice> TPrinter::Device() {
    if (printing_) return docDevice_;
    const int i = PrinterIndex();
    if (i < 0) return nullptr;
    return devices_[static_cast<std::size_t>(i)];
}

bool TPrinter::SetOrientation(TPrinterOrientation orientation) {
    if (printing_) return false;
    orientation_ = orientation;
    UpdateMeasuringContext();
    return true;
}

DeviceCaps TPrinter::Caps() {
    if (printing_ && canvas_.Handle()) return canvas_.Handle()->Caps();
    auto device = Device();
    if (!device) return Screen().Caps();
    return device->Caps(orientation_);
}

int TPrinter::PageWidth() {
    return Device() ? Caps().widthPixels : 0;
}

int TPrinter::PageHeight() {
    return Device() ? Caps().heightPixels : 0;
}

void TPrinter::UpdateMeasuringContext() {
    if (printing_) return;
    // The canvas keeps its font, pen and brush; only the context under it changes.
    auto device = (index_ >= 0 && index_ < static_cast<int>(devices_.size()))
                      ? devices_[static_cast<std::size_t>(index_)]
                      : nullptr;
    if (!device && !devices_.empty()) {
        const int def = GetGraphicsBackend().DefaultPrinterIndex();
        device = devices_[static_cast<std::size_t>(
            (def >= 0 && def < static_cast<int>(devices_.size())) ? def : 0)];
    }
    const DeviceCaps caps = device ? device->Caps(orientation_) : Screen().Caps();
    auto context = std::make_unique<NullDeviceContext>(caps);
    canvas_.SetHandle(context.get());
    measuringContext_ = std::move(context);
    FollowResolution(caps);
}

void TPrinter::FollowResolution(const DeviceCaps& caps) {
    // The canvas font keeps its point size at the printer's vertical resolution, as the
    // classic printer canvas does whenever it gets a new device.
    TFont& font = canvas_.Font();
    if (caps.logPixelsY > 0 && font.PixelsPerInch() != caps.logPixelsY) {
        const int points = font.Size();
        font.SetPixelsPerInch(caps.logPixelsY);
        font.SetSize(points);
    }
}

TCanvas& TPrinter::Canvas() {
    EnsureList();
    if (!canvas_.Handle()) UpdateMeasuringContext();
    return canvas_;
}

bool TPrinter::BeginDoc() {
    lastError_.clear();
    if (printing_) {
        lastError_ = "Printing in progress";
        return false;
    }
    auto device = Device();
    if (!device) {
        lastError_ = "There is no default printer currently selected";
        return false;
    }
    const Result<DeviceContext*> begun = device->BeginDoc(title_, orientation_);
    if (!begun || !*begun) {
        lastError_ =
            begun.reason().empty() ? "Printer could not start the document" : begun.reason();
        return false;
    }
    DeviceContext* dc = *begun;
    docDevice_ = device;
    pageOrientation_ = orientation_;
    printing_ = true;
    aborted_ = false;
    pageNumber_ = 1;
    canvas_.SetHandle(dc);
    FollowResolution(dc->Caps());
    return true;
}

bool TPrinter::NewPage() {
    return NewPage(pageOrientation_);
}

bool TPrinter::NewPage(TPrinterOrientation orientation) {
    lastError_.clear();
    if (!printing_) {
        lastError_ = "Printer is not currently printing";
        return false;
    }
    // The page's objects are selected again on the next page.
    DeviceContext* dc = canvas_.Handle();
    canvas_.SetHandle(nullptr);
    const Result<DeviceContext*> next = docDevice_->NewPage(orientation);
    if (!next || !*next) {
        canvas_.SetHandle(dc);
        lastError_ = next.reason().empty() ? "Printer could not start a new page" : next.reason();
        return false;
    }
    canvas_.SetHandle(*next);
    pageOrientation_ = orientation;
    ++pageNumber_;
    return true;
}

bool TPrinter::EndDoc() {
    lastError_.clear();
    if (!printing_) {
        lastError_ = "Printer is not currently printing";
        return false;
    }
    canvas_.SetHandle(nullptr);
    const Result<void> ended = docDevice_->EndDoc();
    printing_ = false;
    pageNumber_ = 0;
    docDevice_.reset();
    UpdateMeasuringContext();
    if (!ended) lastError_ = ended.reason();
    return ended.ok();
}

void TPrinter::Abort() {
    if (!printing_) return;
    canvas_.SetHandle(nullptr);
    docDevice_->Abort();
    printing_ = false;
    aborted_ = true;
    pageNumber_ = 0;
    docDevice_.reset();
    UpdateMeasuringContext();
}

TPrinter& Printer() {
    static TPrinter printer;
    return printer;
}

}  // namespace quillon
