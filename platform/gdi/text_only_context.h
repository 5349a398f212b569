// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A context that passes only text on to another one: what a control paints of itself
// reaches a text-only printer as its words, without frames, fills, lines or pictures.
// Everything that decides where and how text lands (objects, colours, alignment, mapping,
// saved states, the current position) is passed on as well; figures, fills, bitmaps, paths
// and clipping are dropped, and text is written on a transparent background without a clip
// rectangle.

#include "platform/gdi/device_context.h"

namespace quillon {

class TextOnlyContext : public DeviceContext {
  public:
    // Starts with the target's mapping, objects, text attributes and current position.
    explicit TextOnlyContext(DeviceContext& target);

  protected:
    void OnSelectObject(GdiObjectKind kind, HGDIOBJ handle) override;
    void OnSetTextColor(TColorRef color) override;
    void OnSetBkColor(TColorRef color) override;
    void OnSetTextAlign(std::uint32_t align) override;
    void OnSetMapMode(int mode) override;
    void OnSetWindowExt(TSize ext) override;
    void OnSetViewportExt(TSize ext) override;
    void OnSetWindowOrg(TPoint org) override;
    void OnSetViewportOrg(TPoint org) override;
    void OnSetWorldTransform(const XForm& xform) override;
    void OnModifyWorldTransform(const XForm& xform, int mode) override;
    void OnSaveDC() override;
    void OnRestoreDC(int level) override;
    void OnMoveTo(TPoint p) override;
    void OnLineTo(TPoint from, TPoint to) override;
    void OnText(const TextRun& run) override;

  private:
    DeviceContext& target_;
    int baseDepth_;        // the target's saved states before ours
    bool syncing_ = true;  // taking the target's state: nothing goes back to it
};

}  // namespace quillon
