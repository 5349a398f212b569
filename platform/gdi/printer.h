// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The process-wide printer: the list of printers the backend offers, the current one, its
// orientation, page size and resolution, a canvas (for measuring while no document is
// open, for drawing while one is) and the document calls.

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/canvas.h"
#include "platform/gdi/printer_device.h"

namespace quillon {

class TPrinter {
  public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Printer names in list order (read from the backend, again after a backend change or
    // Refresh).
    const std::vector<std::string>& Printers();
    void Refresh();

    // Index into Printers(). Setting -1 selects the default printer; reading gives the
    // actual index (-1 only when there are no printers). An index out of range is ignored
    // (returns false). Not allowed while printing (false).
    int PrinterIndex();
    bool SetPrinterIndex(int index);
    std::string PrinterName();  // empty when there are no printers

    TPrinterOrientation Orientation() const { return orientation_; }
    bool SetOrientation(TPrinterOrientation orientation);  // false while printing

    // Printable area of the current printer in the current orientation, pixels (0 without
    // printers).
    int PageWidth();
    int PageHeight();
    DeviceCaps Caps();  // LOGPIXELSX/Y, HORZRES/VERTRES ... of the current printer

    // While printing: the document's page; otherwise a measuring context with the caps of
    // the current printer (screen caps without printers). Whenever the device changes, the
    // canvas font keeps its point size at the device's vertical resolution.
    TCanvas& Canvas();
    DeviceContext* Handle() { return Canvas().Handle(); }

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // Document calls. BeginDoc fails while printing or without printers; NewPage and EndDoc
    // fail when not printing. Failures return false; LastError() holds the reason.
    bool BeginDoc();
    bool NewPage();  // in the orientation of the page before
    // The next page in `orientation`: a document may mix portrait and landscape sheets. The
    // canvas draws on the new page's context, and Caps() gives that page's size.
    bool NewPage(TPrinterOrientation orientation);
    bool EndDoc();
    void Abort();  // drops an open document; Aborted() stays true until the next BeginDoc
    bool Printing() const { return printing_; }
    bool Aborted() const { return aborted_; }
    int PageNumber() const { return pageNumber_; }  // 1-based while printing, else 0
    const std::string& LastError() const { return lastError_; }

    // The current printer device (nullptr without printers).
    std::shared_ptr<PrinterDevice> Device();

  private:
    void EnsureList();
    void UpdateMeasuringContext();
    void FollowResolution(const DeviceCaps& caps);

    std::vector<std::shared_ptr<PrinterDevice>> devices_;
    std::vector<std::string> names_;
    std::uint64_t listGeneration_ = 0;
    bool listRead_ = false;
    int index_ = -1;
    TPrinterOrientation orientation_ = poPortrait;
    TPrinterOrientation pageOrientation_ = poPortrait;  // of the page being printed
    std::string title_;
    bool printing_ = false;
    bool aborted_ = false;
    int pageNumber_ = 0;
    std::string lastError_;
    std::shared_ptr<PrinterDevice> docDevice_;
    std::unique_ptr<NullDeviceContext> measuringContext_;
    TCanvas canvas_;
};

// The process-wide printer.
TPrinter& Printer();

}  // namespace quillon
