// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The drawing surface every page, printer, screen and image is painted on. It keeps the
// classic device-context state (selected pen, brush and font; text colour, background mode
// and colour; text alignment; current position; clip; mapping mode with window and viewport
// extents and origins; world transform) on a save/restore stack and passes each call on to
// its implementation through the protected On... hooks:
//
//   - EmfRecorder records every call as an enhanced-metafile record (page files);
//   - the Qt painter context (platform/qt) renders with the current state;
//   - RecordingDeviceContext (tests/support) writes one readable line per call.
//
// Coordinates given to the drawing calls are logical units; the state maps them to device
// pixels: device = viewport(window(world(logical))). Drawing semantics: lines exclude their
// end point; Rectangle, RoundRect and Ellipse take bounds whose right and bottom edges are
// excluded (a pen-outlined Rectangle(0, 0, 10, 5) covers pixels 0..9 by 0..4); FillRect
// fills left..right-1 by top..bottom-1 with the given brush and never uses the pen.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/graphics.h"
#include "platform/gdi/text_measurer.h"
#include "platform/sys/result.h"

namespace quillon {

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Text alignment flags: horizontal (left, right, centre) and vertical (top, bottom,
// baseline) reference, and whether text starts at and updates the current position.
inline constexpr std::uint32_t TA_NOUPDATECP = 0;
inline constexpr std::uint32_t TA_UPDATECP = 1;
inline constexpr std::uint32_t TA_LEFT = 0;
inline constexpr std::uint32_t TA_RIGHT = 2;
inline constexpr std::uint32_t TA_CENTER = 6;
inline constexpr std::uint32_t TA_TOP = 0;
inline constexpr std::uint32_t TA_BOTTOM = 8;
inline constexpr std::uint32_t TA_BASELINE = 24;
inline constexpr std::uint32_t TA_HORIZONTAL_MASK = 6;
inline constexpr std::uint32_t TA_VERTICAL_MASK = 24;

// ExtTextOut options.
inline constexpr std::uint32_t ETO_OPAQUE = 0x0002;
inline constexpr std::uint32_t ETO_CLIPPED = 0x0004;

// Polygon fill modes.
inline constexpr int ALTERNATE = 1;
inline constexpr int WINDING = 2;

// Mapping modes.
inline constexpr int MM_TEXT = 1;
inline constexpr int MM_LOMETRIC = 2;
inline constexpr int MM_HIMETRIC = 3;
inline constexpr int MM_LOENGLISH = 4;
inline constexpr int MM_HIENGLISH = 5;
inline constexpr int MM_TWIPS = 6;
inline constexpr int MM_ISOTROPIC = 7;
inline constexpr int MM_ANISOTROPIC = 8;

// World transform modification modes.
inline constexpr int MWT_IDENTITY = 1;
inline constexpr int MWT_LEFTMULTIPLY = 2;
inline constexpr int MWT_RIGHTMULTIPLY = 3;

// Raster operation of bitmap copies.
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr std::uint32_t PATCOPY = 0x00F00021;

// Device caps indices.
inline constexpr int TECHNOLOGY = 2;
inline constexpr int HORZSIZE = 4;  // millimetres
inline constexpr int VERTSIZE = 6;
inline constexpr int HORZRES = 8;  // pixels
inline constexpr int VERTRES = 10;
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;
inline constexpr int PHYSICALWIDTH = 110;
inline constexpr int PHYSICALHEIGHT = 111;
inline constexpr int PHYSICALOFFSETX = 112;
inline constexpr int PHYSICALOFFSETY = 113;

inline constexpr int DT_RASDISPLAY = 1;
inline constexpr int DT_RASPRINTER = 2;
inline constexpr int DT_METAFILE = 5;

struct DeviceCaps {
    int technology = DT_RASDISPLAY;
    int widthPixels = 1024;  // HORZRES: the drawable (printable) area
    int heightPixels = 768;  // VERTRES
    int logPixelsX = 96;
    int logPixelsY = 96;
    int physicalWidth = 0;  // whole paper in pixels; 0 means the drawable size
    int physicalHeight = 0;
    int physicalOffsetX = 0;  // drawable area's corner on the paper, pixels
    int physicalOffsetY = 0;
    int bitsPerPixel = 32;
    int Get(int index) const;  // GetDeviceCaps semantics; 0 for an unknown index
};

// An affine transform: x' = x * m11 + y * m21 + dx, y' = x * m12 + y * m22 + dy.
struct XForm {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
    bool operator==(const XForm&) const = default;
    bool IsIdentity() const { return *this == XForm{}; }
    double MapX(double x, double y) const { return x * m11 + y * m21 + dx; }
    double MapY(double x, double y) const { return x * m12 + y * m22 + dy; }
    // The transform that applies *this first, then `next`.
    XForm Then(const XForm& next) const;
    std::optional<XForm> Inverse() const;
    static XForm Translation(double x, double y) { return XForm{1, 0, 0, 1, x, y}; }
    static XForm Scaling(double sx, double sy) { return XForm{sx, 0, 0, sy, 0, 0}; }
};

struct TPointF {
    double X = 0;
    double Y = 0;
    bool operator==(const TPointF&) const = default;
};

// A text call as the implementation sees it. Positions are logical units.
struct TextRun {
    enum class Call : std::uint8_t { TextOut, ExtTextOut };
    Call call = Call::TextOut;
    TPoint reference;           // the point given (the current position when TA_UPDATECP is set)
    std::uint32_t options = 0;  // ETO_*
    std::optional<TRect> rect;  // ExtTextOut's rectangle
    std::u16string text;
    std::vector<int> dx;  // advance after each UTF-16 unit; measured unless the caller gave them
    bool dxGiven = false;
    // Resolved from the alignment and the font (along the escapement direction):
    TPointF origin;  // start of the text on its baseline
    int width = 0;   // sum of dx
    double ascent = 0;
    double descent = 0;
    // Unit vectors in logical units: along the baseline (the escapement, counter-clockwise as
    // seen on the device) and across it towards the glyphs' feet. On a mapping whose y axis
    // runs upward on the device, "down" is towards smaller y.
    TPointF baseline{1, 0};
    TPointF down{0, 1};
};

enum class ArcKind : std::uint8_t { Arc, ArcTo, Chord, Pie };

// The figure built between BeginPath and EndPath (logical units).
struct DcPath {
    enum class Op : std::uint8_t { MoveTo, LineTo, BezierTo, Close };
    struct Element {
        Op op;
        TPointF p;  // end point (for BezierTo three elements: two control points and the end)
    };
    std::vector<Element> elements;
};

// Mapping of logical units to device pixels: world transform, then the page mapping of the
// mapping mode (window extent and origin onto viewport extent and origin). The fixed modes
// (MM_LOMETRIC ... MM_TWIPS) take their extents from the device's resolution; MM_ISOTROPIC
// shrinks one viewport extent so that both axes scale alike. The metafile player runs the
// same rules for the mapping recorded in a file.
struct MappingState {
    int mode = MM_TEXT;
    TSize windowExt{1, 1};
    TSize viewportExt{1, 1};
    TPoint windowOrg;
    TPoint viewportOrg;
    XForm world;

    // Each returns false (and changes nothing) where the classic platform refuses the call:
    // an unknown mode, extents outside the isotropic and anisotropic modes, a zero extent,
    // a world transform that cannot be inverted or has a component beyond +-1e18.
    bool SetMode(int mode, const DeviceCaps& caps);
    bool SetWindowExt(TSize ext);
    bool SetViewportExt(TSize ext);
    bool ScaleWindowExt(int xNum, int xDenom, int yNum, int yDenom);
    bool ScaleViewportExt(int xNum, int xDenom, int yNum, int yDenom);
    bool SetWorld(const XForm& xform);
    bool ModifyWorld(const XForm& xform, int how);
    XForm PageToDevice() const;
    XForm LogicalToDevice() const { return world.Then(PageToDevice()); }

  private:
    void AdjustIsotropic();
};

// The whole state that SaveDC pushes and RestoreDC pops.
struct DcState {
    HPEN penHandle = kStockObjectFlag | BLACK_PEN;
    LogPen pen{};
    HBRUSH brushHandle = kStockObjectFlag | WHITE_BRUSH;
    LogBrush brush{BS_SOLID, 0xFFFFFF, 0};
    HFONT fontHandle = kStockObjectFlag | SYSTEM_FONT;
    LogFont font;  // the system font (see DefaultFont)
    TColorRef textColor = 0;
    TColorRef bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    std::uint32_t textAlign = 0;
    int polyFillMode = ALTERNATE;
    int stretchBltMode = 1;
    MappingState mapping;
    std::optional<TRect> clip;  // device pixels; none means the whole surface
    TPoint currentPosition;
    // Playing a picture made elsewhere: one pixel of the device it was recorded for, in device
    // pixels here. A pen of at least one unit is then at least that pixel wide (where the
    // classic interface makes it at least one pixel here) and, thinner than a pixel here, is
    // drawn one pixel wide at the strength of the share it covers, as readers that scale
    // pictures show it. 0: the classic rule.
    double thinPenPixel = 0;
};

// The font a context starts with.
LogFont DefaultFont();

class DeviceContext {
  public:
    explicit DeviceContext(const DeviceCaps& caps);
    virtual ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // --- objects -------------------------------------------------------------------------
    // Selects a pen, brush or font; returns the handle of the object of that kind that was
    // selected before, or 0 (and changes nothing) when `object` names no object.
    HGDIOBJ SelectObject(HGDIOBJ object);
    HGDIOBJ CurrentObject(GdiObjectKind kind) const;

    // --- attributes (each returns the previous value) --------------------------------------
    TColorRef SetTextColor(TColorRef color);
    TColorRef SetBkColor(TColorRef color);
    int SetBkMode(int mode);  // TRANSPARENT or OPAQUE; 0 (no change) for anything else
    void SetThinPenPixel(double devicePixels) { state_.thinPenPixel = devicePixels; }
    std::uint32_t SetTextAlign(std::uint32_t align);
    int SetPolyFillMode(int mode);
    int SetStretchBltMode(int mode);

    // --- mapping ---------------------------------------------------------------------------
    int SetMapMode(int mode);                // 0 (no change) for an unknown mode
    TSize SetWindowExtEx(int cx, int cy);    // ignored (returns the old value) outside the
    TSize SetViewportExtEx(int cx, int cy);  // isotropic and anisotropic modes, or for 0
    TPoint SetWindowOrgEx(int x, int y);
    TPoint SetViewportOrgEx(int x, int y);
    TPoint OffsetWindowOrgEx(int dx, int dy);
    TPoint OffsetViewportOrgEx(int dx, int dy);
    bool SetWorldTransform(const XForm& xform);
    bool ModifyWorldTransform(const XForm& xform, int mode);
    int GetMapMode() const { return state_.mapping.mode; }
    TSize GetWindowExt() const { return state_.mapping.windowExt; }
    TSize GetViewportExt() const { return state_.mapping.viewportExt; }
    TPoint GetWindowOrg() const { return state_.mapping.windowOrg; }
    TPoint GetViewportOrg() const { return state_.mapping.viewportOrg; }
    const XForm& GetWorldTransform() const { return state_.mapping.world; }
    // Logical -> device pixels (world transform, then window/viewport mapping).
    XForm LogicalToDevice() const;
    TPointF LPtoDP(TPointF p) const;

    // --- state stack and clipping ------------------------------------------------------------
    // The new depth (1 for the first save); 0 (nothing saved) past limits::kMaxContextSavedStates.
    int SaveDC();
    // A positive level restores the state saved at that depth, a negative one counts back
    // from the top (-1: the last save). False (no change) for a level that was not saved.
    bool RestoreDC(int level);
    int SaveDepth() const { return static_cast<int>(stack_.size()); }
    // Narrows the clip to the rectangle (logical units).
    void IntersectClipRect(int left, int top, int right, int bottom);
    // Replaces the clip by a rectangle in device pixels, or removes it (nullopt).
    void SelectClipRgn(std::optional<TRect> deviceRect);
    std::optional<TRect> ClipRect() const { return state_.clip; }  // device pixels

    // --- drawing -----------------------------------------------------------------------------
    TPoint MoveToEx(int x, int y);  // returns the previous position
    void MoveTo(int x, int y) { MoveToEx(x, y); }
    void LineTo(int x, int y);
    TPoint CurrentPosition() const { return state_.currentPosition; }
    void Rectangle(int left, int top, int right, int bottom);
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    void Ellipse(int left, int top, int right, int bottom);
    void Arc(ArcKind kind, const TRect& box, TPoint start, TPoint end);
    void Polyline(std::span<const TPoint> points);
    void PolylineTo(std::span<const TPoint> points);
    void Polygon(std::span<const TPoint> points);
    void PolyPolygon(std::span<const TPoint> points, std::span<const int> counts);
    void PolyPolyline(std::span<const TPoint> points, std::span<const int> counts);
    void PolyBezier(std::span<const TPoint> points);    // 1 + 3n points
    void PolyBezierTo(std::span<const TPoint> points);  // 3n points
    void SetPixel(int x, int y, TColorRef color);
    void FillRect(const TRect& rect, HBRUSH brush);  // a null or unknown brush fills nothing
    void FillRect(const TRect& rect, const LogBrush& brush);
    // The text (UTF-8) at (x, y) under the current alignment; advances are measured.
    void TextOut(int x, int y, std::string_view text);
    // UTF-16 text with optional advances (one per unit; missing ones are measured).
    void ExtTextOut(int x, int y, std::uint32_t options, const TRect* rect,
                    std::u16string_view text, std::span<const int> dx = {});
    // The source rectangle (top-down pixel coordinates of `image`) stretched onto the
    // destination rectangle (logical units; a negative size mirrors).
    void StretchDIBits(int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc,
                       int hSrc, const BitmapView& image, std::uint32_t rop = SRCCOPY);

    // --- paths ---------------------------------------------------------------------------------
    void BeginPath();
    void EndPath();
    void CloseFigure();
    void AbortPath();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    bool InPathBracket() const { return inPath_; }
    const DcPath& CurrentPath() const { return path_; }

    // --- metafiles -----------------------------------------------------------------------------
    // Plays an enhanced metafile with its picture frame mapped onto `rect` (logical units); a
    // page of the suite maps the screen it was recorded against (see emf_player.h).
    // The context's state is the same afterwards. An error with the reason (the playback
    // stops there) when the data is not a well-formed metafile.
    Result<void> PlayEnhMetaFile(std::span<const std::uint8_t> emf, const TRect& rect);

    // --- measurement and caps ------------------------------------------------------------------
    int GetDeviceCaps(int index) const { return caps_.Get(index); }
    const DeviceCaps& Caps() const { return caps_; }
    // Width of the text in the selected font (sum of the rounded advances) and the cell height.
    TSize GetTextExtent(std::string_view utf8) const;
    TSize GetTextExtent(std::u16string_view text) const;
    FontMetricsF GetTextMetrics() const;
    // Advances of the text, rounded as they are recorded and drawn.
    void MeasureAdvances(std::u16string_view text, std::vector<int>& out) const;
    // The measurer used: the one set on this context, else the graphics backend's.
    TextMeasurer& Measurer() const;
    void SetMeasurer(TextMeasurer* measurer) { measurer_ = measurer; }

    const DcState& State() const { return state_; }

  protected:
    // Hooks, called after the state has been updated. The defaults do nothing.
    virtual void OnSelectObject(GdiObjectKind /*kind*/, HGDIOBJ /*handle*/) {}
    virtual void OnSetTextColor(TColorRef) {}
    virtual void OnSetBkColor(TColorRef) {}
    virtual void OnSetBkMode(int) {}
    virtual void OnSetTextAlign(std::uint32_t) {}
    virtual void OnSetPolyFillMode(int) {}
    virtual void OnSetStretchBltMode(int) {}
    virtual void OnSetMapMode(int) {}
    virtual void OnSetWindowExt(TSize) {}
    virtual void OnSetViewportExt(TSize) {}  // as asked (GetViewportExt has the adjusted one)
    virtual void OnSetWindowOrg(TPoint) {}
    virtual void OnSetViewportOrg(TPoint) {}
    virtual void OnSetWorldTransform(const XForm&) {}
    virtual void OnModifyWorldTransform(const XForm& /*xform*/, int /*mode*/) {}
    virtual void OnSaveDC() {}
    virtual void OnRestoreDC(int /*level as passed*/) {}
    virtual void OnIntersectClipRect(const TRect& /*logical*/) {}
    virtual void OnSelectClipRgn(const std::optional<TRect>& /*device*/) {}
    virtual void OnMoveTo(TPoint) {}
    virtual void OnLineTo(TPoint /*from*/, TPoint /*to*/) {}
    virtual void OnRectangle(const TRect&) {}
    virtual void OnRoundRect(const TRect&, TSize /*corner*/) {}
    virtual void OnEllipse(const TRect&) {}
    virtual void OnArc(ArcKind, const TRect&, TPoint /*start*/, TPoint /*end*/) {}
    virtual void OnPolyline(std::span<const TPoint>, bool /*fromCurrentPosition*/) {}
    virtual void OnPolygon(std::span<const TPoint>) {}
    virtual void OnPolyPolygon(std::span<const TPoint>, std::span<const int> /*counts*/) {}
    virtual void OnPolyPolyline(std::span<const TPoint>, std::span<const int> /*counts*/) {}
    virtual void OnPolyBezier(std::span<const TPoint>, bool /*fromCurrentPosition*/) {}
    virtual void OnSetPixel(TPoint, TColorRef) {}
    virtual void OnFillRect(const TRect&, const LogBrush&) {}
    virtual void OnText(const TextRun&) {}
    virtual void OnStretchDIBits(const TRect& /*dest*/, const TRect& /*src*/, const BitmapView&,
                                 std::uint32_t /*rop*/) {}
    virtual void OnBeginPath() {}
    virtual void OnEndPath() {}
    virtual void OnCloseFigure() {}
    virtual void OnAbortPath() {}
    // Called with the finished path (still available through CurrentPath()).
    virtual void OnFillPath(const DcPath&) {}
    virtual void OnStrokePath(const DcPath&) {}
    virtual void OnStrokeAndFillPath(const DcPath&) {}

    // Contexts that render (rather than record) leave this false: between BeginPath and
    // EndPath the figure calls then only build the path and their hooks are not called.
    virtual bool WantsCallsInPathBracket() const { return false; }
    // Resolution text is measured at (the page recorder measures at the printer's).
    virtual int MeasuringPixelsPerInch() const { return caps_.logPixelsY; }

    void SetCaps(const DeviceCaps& caps) { caps_ = caps; }

  private:
    bool Drawing() const { return !inPath_ || WantsCallsInPathBracket(); }
    void EmitText(TextRun& run, int x, int y, std::span<const int> dx);
    void PathMove(TPointF p);
    void PathLine(TPointF p);
    void PathBezier(TPointF c1, TPointF c2, TPointF p);
    void PathClosedPolygon(std::span<const TPoint> points);
    void PathEllipse(const TRect& box);
    void FinishPath();

    DeviceCaps caps_;
    DcState state_;
    std::vector<DcState> stack_;
    TextMeasurer* measurer_ = nullptr;
    bool inPath_ = false;
    bool pathClosed_ = false;  // EndPath was called: the path can be filled or stroked
    DcPath path_;
};

// Saves the context's state and restores it when leaving the scope.
class ScopedDcSave {
  public:
    explicit ScopedDcSave(DeviceContext& dc) : dc_(dc), level_(dc.SaveDC()) {}
    ~ScopedDcSave() { dc_.RestoreDC(level_); }
    ScopedDcSave(const ScopedDcSave&) = delete;
    ScopedDcSave& operator=(const ScopedDcSave&) = delete;

  private:
    DeviceContext& dc_;
    int level_;
};

// A context that draws nothing: measuring on a printer that is not printing, and tests.
class NullDeviceContext : public DeviceContext {
  public:
    explicit NullDeviceContext(const DeviceCaps& caps) : DeviceContext(caps) {}
};

}  // namespace quillon
