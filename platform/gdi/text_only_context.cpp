// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/text_only_context.h"

namespace quillon {

TextOnlyContext::TextOnlyContext(DeviceContext& target)
    : DeviceContext(target.Caps()), target_(target), baseDepth_(target.SaveDepth()) {
    SetMeasurer(&target.Measurer());
    const DcState& s = target.State();
    SetMapMode(s.mapping.mode);
    SetWindowExtEx(s.mapping.windowExt.cx, s.mapping.windowExt.cy);
    SetViewportExtEx(s.mapping.viewportExt.cx, s.mapping.viewportExt.cy);
    SetWindowOrgEx(s.mapping.windowOrg.X, s.mapping.windowOrg.Y);
    SetViewportOrgEx(s.mapping.viewportOrg.X, s.mapping.viewportOrg.Y);
    SetWorldTransform(s.mapping.world);
    SelectObject(s.fontHandle);
    SetTextColor(s.textColor);
    SetBkColor(s.bkColor);
    SetTextAlign(s.textAlign);
    MoveToEx(s.currentPosition.X, s.currentPosition.Y);
    syncing_ = false;
}

void TextOnlyContext::OnSelectObject(GdiObjectKind kind, HGDIOBJ handle) {
    // Pens and brushes draw nothing here; only the font matters to text.
    if (!syncing_ && kind == GdiObjectKind::Font) target_.SelectObject(handle);
}

void TextOnlyContext::OnSetTextColor(TColorRef color) {
    if (!syncing_) target_.SetTextColor(color);
}

void TextOnlyContext::OnSetBkColor(TColorRef color) {
    if (!syncing_) target_.SetBkColor(color);
}

void TextOnlyContext::OnSetTextAlign(std::uint32_t align) {
    if (!syncing_) target_.SetTextAlign(align);
}

void TextOnlyContext::OnSetMapMode(int mode) {
    if (!syncing_) target_.SetMapMode(mode);
}

void TextOnlyContext::OnSetWindowExt(TSize ext) {
    if (!syncing_) target_.SetWindowExtEx(ext.cx, ext.cy);
}

void TextOnlyContext::OnSetViewportExt(TSize ext) {
    if (!syncing_) target_.SetViewportExtEx(ext.cx, ext.cy);
}

void TextOnlyContext::OnSetWindowOrg(TPoint org) {
    if (!syncing_) target_.SetWindowOrgEx(org.X, org.Y);
}

void TextOnlyContext::OnSetViewportOrg(TPoint org) {
    if (!syncing_) target_.SetViewportOrgEx(org.X, org.Y);
}

void TextOnlyContext::OnSetWorldTransform(const XForm& xform) {
    if (!syncing_) target_.SetWorldTransform(xform);
}

void TextOnlyContext::OnModifyWorldTransform(const XForm& xform, int mode) {
    if (!syncing_) target_.ModifyWorldTransform(xform, mode);
}

void TextOnlyContext::OnSaveDC() {
    target_.SaveDC();
}

void TextOnlyContext::OnRestoreDC(int level) {
    // Our levels count from 1; the target's count its own saves made before ours too.
    target_.RestoreDC(level > 0 ? level + baseDepth_ : level);
}

void TextOnlyContext::OnMoveTo(TPoint p) {
    if (!syncing_) target_.MoveToEx(p.X, p.Y);
}

void TextOnlyContext::OnLineTo(TPoint, TPoint to) {
    // The line is not drawn, but text that follows the current position starts at its end.
    target_.MoveToEx(to.X, to.Y);
}

void TextOnlyContext::OnText(const TextRun& run) {
    const std::uint32_t options = run.options & ~(ETO_OPAQUE | ETO_CLIPPED);
    // No background box behind the words either.
    const int mode = target_.SetBkMode(TRANSPARENT);
    if (run.dxGiven)
        target_.ExtTextOut(run.reference.X, run.reference.Y, options, nullptr, run.text, run.dx);
    else
        target_.ExtTextOut(run.reference.X, run.reference.Y, options, nullptr, run.text);
    if (mode) target_.SetBkMode(mode);
}

}  // namespace quillon
