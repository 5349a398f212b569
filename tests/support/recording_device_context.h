// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A device context that writes one readable line per call, for exact assertions on what
// a piece of drawing code (or a metafile playback) asked for. Colours are written #RRGGBB.
//
//   SelectPen solid 1 #000000          SelectBrush solid #FFFFFF / hatched 2 #FF0000 / null
//   SelectFont "Arial" -40 w700 italic underline esc900
//   SetTextColor #000000  SetBkColor #C0C0C0  SetBkMode transparent  SetTextAlign 6
//   SetMapMode 7  SetWindowExt 2400,3112  SetViewportExt 523,687  SetWindowOrg 0,0
//   SetViewportOrg 5,5  SetWorldTransform 1,0,0,1,0,0  ModifyWorldTransform 1,0,0,1,5,5 mode 2
//   SaveDC  RestoreDC -1  IntersectClipRect 0,0,100,50  SelectClipRgn none / 0,0,32000,32000
//   MoveTo 10,20  LineTo 30,20  Rectangle 0,0,10,5  RoundRect 0,0,10,5 corner 2,2
//   Ellipse 0,0,10,5  FillRect 0,0,10,5 solid #FFFFFF  TextOut 10,20 "Hello"
//   ExtTextOut 10,20 opts 0 "Hello" dx 5,5,5,5,5  StretchDIBits 0,0,40,20 from 0,0,4,2 of 4x2 rop
//   CC0020 Polyline 0,0 10,10  PolylineTo ...  Polygon ...  PolyBezier ...  PolyPolygon [3,4] ...
//   SetPixel 1,2 #FF0000  Arc 0,0,10,10 from 10,5 to 0,5 (Chord, Pie, ArcTo)
//   BeginPath  EndPath  CloseFigure  AbortPath  FillPath  StrokePath  StrokeAndFillPath

#include <string>
#include <vector>

#include "platform/gdi/device_context.h"

namespace quillon::testing {

class RecordingDeviceContext : public DeviceContext {
  public:
    explicit RecordingDeviceContext(const DeviceCaps& caps = DeviceCaps{}) : DeviceContext(caps) {}

    const std::vector<std::string>& Lines() const { return lines_; }
    // The lines joined with newlines (each line ends with one).
    std::string Text() const;
    // Only the lines that start with one of the prefixes.
    std::vector<std::string> LinesStartingWith(
        std::initializer_list<std::string_view> prefixes) const;
    void Clear() { lines_.clear(); }

    static std::string Color(TColorRef color);
    static std::string Describe(const LogPen& pen);
    static std::string Describe(const LogBrush& brush);
    static std::string Describe(const LogFont& font);

  protected:
    void OnSelectObject(GdiObjectKind kind, HGDIOBJ handle) override;
    void OnSetTextColor(TColorRef) override;
    void OnSetBkColor(TColorRef) override;
    void OnSetBkMode(int) override;
    void OnSetTextAlign(std::uint32_t) override;
    void OnSetPolyFillMode(int) override;
    void OnSetStretchBltMode(int) override;
    void OnSetMapMode(int) override;
    void OnSetWindowExt(TSize) override;
    void OnSetViewportExt(TSize) override;
    void OnSetWindowOrg(TPoint) override;
    void OnSetViewportOrg(TPoint) override;
    void OnSetWorldTransform(const XForm&) override;
    void OnModifyWorldTransform(const XForm&, int) override;
    void OnSaveDC() override;
    void OnRestoreDC(int) override;
    void OnIntersectClipRect(const TRect&) override;
    void OnSelectClipRgn(const std::optional<TRect>&) override;
    void OnMoveTo(TPoint) override;
    void OnLineTo(TPoint, TPoint) override;
    void OnRectangle(const TRect&) override;
    void OnRoundRect(const TRect&, TSize) override;
    void OnEllipse(const TRect&) override;
    void OnArc(ArcKind, const TRect&, TPoint, TPoint) override;
    void OnPolyline(std::span<const TPoint>, bool) override;
    void OnPolygon(std::span<const TPoint>) override;
    void OnPolyPolygon(std::span<const TPoint>, std::span<const int>) override;
    void OnPolyPolyline(std::span<const TPoint>, std::span<const int>) override;
    void OnPolyBezier(std::span<const TPoint>, bool) override;
    void OnSetPixel(TPoint, TColorRef) override;
    void OnFillRect(const TRect&, const LogBrush&) override;
    void OnText(const TextRun&) override;
    void OnStretchDIBits(const TRect&, const TRect&, const BitmapView&, std::uint32_t) override;
    void OnBeginPath() override;
    void OnEndPath() override;
    void OnCloseFigure() override;
    void OnAbortPath() override;
    void OnFillPath(const DcPath&) override;
    void OnStrokePath(const DcPath&) override;
    void OnStrokeAndFillPath(const DcPath&) override;
    bool WantsCallsInPathBracket() const override { return true; }

  private:
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    std::vector<std::string> lines_;
};

}  // namespace quillon::testing
