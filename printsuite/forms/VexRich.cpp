// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/forms/VexRich.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/device_context.h"
#include "platform/gdi/printer.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/forms/VexRchCon.h"

namespace quillon {

// The rich edit publishes what the platform's rich edit does.
const TClassInfo& TRichEditE::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TRichEditE>("TRichEditE", &TRichEdit::StaticClassInfo()).Factory();
    return info;
}

TRichEditE::TRichEditE(TComponent* owner) : TRichEdit(owner) {}

int TRichEditE::Perform(int message, const TVexPrint* request) {
    if (message != kVexPrintMessage || !request) return 0;
    return PrintRequest(*request);
}

int TRichEditE::PrintRequest(const TVexPrint& request) {
    requested_ = true;
    const int length = TextLength();
    auto answer = [&] { return nextChar_ >= length ? kVexPrintedAll : kVexPrintedPart; };
    if (!request.dc || nextChar_ >= length) return answer();
    DeviceContext& dc = *request.dc;

    // Only the part of the rectangle on the page takes text: what lands outside would be lost
    // without a trace.
    TPrinter& printer = Printer();
    const int pw = printer.PageWidth();
    const int ph = printer.PageHeight();
    const TRect r{std::max(request.currentX, 0), std::max(request.currentY, 0),
                  std::min(request.right, pw), std::min(request.bottom, ph)};
    if (r.Right <= r.Left || r.Bottom <= r.Top) return answer();

    // One logical unit is one printer pixel of the page; the page's context may report its
    // reference surface's resolution, so the printer's is handed to the formatting.
    const DeviceCaps caps = printer.Caps();
    const int saved = dc.SaveDC();
    // The text is drawn transparent, so the background colour does not show here; but some
    // readers of a recorded page paint it behind underlined words all the same. The page's
    // own colour (silver) would give them grey boxes: the paper's white is what is meant.
    dc.SetBkColor(0xFFFFFFu);
    if (!dc.GetWorldTransform().IsIdentity()) dc.SetWorldTransform(XForm{});
    dc.SetMapMode(MM_ISOTROPIC);
    dc.SetWindowOrgEx(0, 0);
    dc.SetViewportOrgEx(0, 0);
    dc.SetWindowExtEx(std::max(1, pw), std::max(1, ph));
    dc.SetViewportExtEx(std::max(1, pw), std::max(1, ph));
    nextChar_ = FormatRange(dc, r, nextChar_, true, std::max(1, caps.logPixelsY));
    if (saved > 0) dc.RestoreDC(saved);
    return answer();
}

void TRichEditE::RewindPrinting() {
    nextChar_ = 0;
    requested_ = false;
}

int TRichEditE::UnprintedLength() const {
    if (!requested_) return 0;
    return std::max(0, TextLength() - nextChar_);
}

std::string TRichEditE::PrintingName() const {
    return Name().empty() ? ClassName() : Name();
}

// ---------------------------------------------------------------------------------------------
// The continuation panel

const TClassInfo& TVexRichCon::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TVexRichCon>("TVexRichCon", &TCustomPanel::StaticClassInfo()).Abstract();
    return info;
}

TVexRichCon::TVexRichCon(TComponent* owner) : TCustomPanel(owner) {
    SetColor(clWhite);
}

TVexRichCon::~TVexRichCon() {
    if (richEdit_) richEdit_->RemoveFreeNotification(this);
}

void TVexRichCon::SetParentRichEditE(TRichEditE* edit) {
    if (edit == richEdit_) return;
    if (edit && edit->Owner() && Owner() && edit->Owner() != Owner())
        throw std::invalid_argument("'" + edit->Name() +
                                    "' belongs to another form; a continuation panel carries "
                                    "on a rich edit of its own form");
    if (richEdit_) richEdit_->RemoveFreeNotification(this);
    richEdit_ = edit;
    if (richEdit_) richEdit_->FreeNotification(this);
}

int TVexRichCon::Perform(int message, const TVexPrint* request) {
    if (!richEdit_) return 0;
    return richEdit_->Perform(message, request);
}

void TVexRichCon::Notification(TComponent* component, TOperation operation) {
    TCustomPanel::Notification(component, operation);
    if (operation == opRemove && component == richEdit_) richEdit_ = nullptr;
}

namespace {
const std::string& PanelCaption(const TVexRichContinue& c) {
    return c.Caption();
}
void SetPanelCaption(TVexRichContinue& c, const std::string& v) {
    c.SetCaption(v);
}
}  // namespace

const TClassInfo& TVexRichContinue::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TVexRichContinue>("TVexRichContinue", &TVexRichCon::StaticClassInfo())
            .Color("Color", &TVexRichContinue::Color, &TVexRichContinue::SetColor, clWhite)
            .StoredIf([](const TVexRichContinue& c) { return !c.ParentColor(); })
            .Str("Caption", &PanelCaption, &SetPanelCaption)
            .Enum("BorderStyle", kBorderStyleNames, &TVexRichContinue::BorderStyle,
                  &TVexRichContinue::SetBorderStyle, bsNone)
            .Ref<TRichEditE>("ParentRichEditE", &TVexRichContinue::ParentRichEditE,
                             &TVexRichContinue::SetParentRichEditE)
            .Factory();
    return info;
}

void RegisterRichTextPrintingClasses() {
    (void)TRichEditE::StaticClassInfo();
    (void)TVexRichContinue::StaticClassInfo();
}

}  // namespace quillon
