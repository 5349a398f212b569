// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One printer as the graphics backend offers it: its caps and a document to draw into.

#include <string>

#include "platform/gdi/device_context.h"
#include "platform/sys/result.h"

namespace quillon {

enum TPrinterOrientation : std::uint8_t { poPortrait, poLandscape };

class PrinterDevice {
  public:
    virtual ~PrinterDevice() = default;

    virtual std::string Name() const = 0;
    // Resolution and printable area for the orientation (landscape swaps the axes).
    virtual DeviceCaps Caps(TPrinterOrientation orientation) const = 0;

    // Starts a document; the returned context draws on its first page and stays valid
    // (the same object, never nullptr) until EndDoc or Abort; or why it cannot start.
    virtual Result<DeviceContext*> BeginDoc(const std::string& title,
                                            TPrinterOrientation orientation) = 0;
    // Finishes the page drawn so far and starts the next one in `orientation` (pages of one
    // document may differ); the returned context draws on it: the document's context while
    // the page size stays, a new one (the old one gone) when it changes.
    virtual Result<DeviceContext*> NewPage(TPrinterOrientation orientation) = 0;
    // Finishes the last page and the document (a PDF printer writes its file here).
    virtual Result<void> EndDoc() = 0;
    // Drops the document.
    virtual void Abort() = 0;
    // A printer that writes files (the built-in PDF printer) sends the documents of the next
    // job to `path`; false for a printer that does not write files.
    virtual bool SetOutputFile(const std::string& /*path*/) { return false; }
    // The file the last finished document was written to; empty for a printer that prints on
    // paper, and while no document has been finished since the last BeginDoc.
    virtual std::string LastDocumentFile() const { return {}; }
};

// Caps of a printer from its resolution and printable area in portrait.
DeviceCaps PrinterCaps(int dpiX, int dpiY, int portraitWidthPixels, int portraitHeightPixels,
                       TPrinterOrientation orientation);

}  // namespace quillon
