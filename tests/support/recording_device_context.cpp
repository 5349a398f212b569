// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/recording_device_context.h"

#include <cstdio>
#include <sstream>

#include "platform/sys/utf8.h"

namespace quillon::testing {

namespace {

std::string Pt(TPoint p) {
    return std::to_string(p.X) + "," + std::to_string(p.Y);
}
std::string Sz(TSize s) {
    return std::to_string(s.cx) + "," + std::to_string(s.cy);
}
std::string Rc(const TRect& r) {
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) +
           "," + std::to_string(r.Bottom);
}
std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}
std::string Xf(const XForm& x) {
    return Num(x.m11) + "," + Num(x.m12) + "," + Num(x.m21) + "," + Num(x.m22) + "," + Num(x.dx) +
           "," + Num(x.dy);
}
std::string Points(std::span<const TPoint> pts) {
    std::string s;
    for (const TPoint& p : pts) s += " " + Pt(p);
    return s;
}
std::string Counts(std::span<const int> counts) {
    std::string s = " [";
    for (std::size_t i = 0; i < counts.size(); ++i) s += (i ? "," : "") + std::to_string(counts[i]);
    return s + "]";
}
const char* PenStyle(std::uint32_t s) {
    switch (s & PS_STYLE_MASK) {
        case PS_SOLID:
            return "solid";
        case PS_DASH:
            return "dash";
        case PS_DOT:
            return "dot";
        case PS_DASHDOT:
            return "dashdot";
        case PS_DASHDOTDOT:
            return "dashdotdot";
        case PS_NULL:
            return "null";
        case PS_INSIDEFRAME:
            return "insideframe";
        default:
            return "other";
    }
}

}  // namespace

std::string RecordingDeviceContext::Text() const {
    std::string s;
    for (const std::string& l : lines_) s += l + "\n";
    return s;
}

std::vector<std::string> RecordingDeviceContext::LinesStartingWith(
    std::initializer_list<std::string_view> prefixes) const {
    std::vector<std::string> out;
    for (const std::string& l : lines_) {
        for (std::string_view p : prefixes) {
            if (std::string_view(l).substr(0, p.size()) == p) {
                out.push_back(l);
                break;
            }
        }
    }
    return out;
}

std::string RecordingDeviceContext::Color(TColorRef c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return buf;
}

std::string RecordingDeviceContext::Describe(const LogPen& pen) {
    return std::string(PenStyle(pen.style)) + " " + std::to_string(pen.width) + " " +
           Color(pen.color);
}

std::string RecordingDeviceContext::Describe(const LogBrush& b) {
    switch (b.style) {
        case BS_SOLID:
            return "solid " + Color(b.color);
        case BS_NULL:
            return "null";
        case BS_HATCHED:
            return "hatched " + std::to_string(b.hatch) + " " + Color(b.color);
        case BS_PATTERN: {
            std::string s = "pattern";
            if (b.pattern) {
                s += " " + std::to_string(b.pattern->width) + "x" +
                     std::to_string(b.pattern->height) + " mean " + Color(b.color);
                // Small tiles are listed row by row.
                if (b.pattern->pixels.size() <= 16) {
                    for (std::size_t i = 0; i < b.pattern->pixels.size(); ++i) {
                        if (i % static_cast<std::size_t>(b.pattern->width) == 0) s += " |";
                        s += " " + Color(((b.pattern->pixels[i] >> 16) & 0xFF) |
                                         (b.pattern->pixels[i] & 0xFF00) |
                                         ((b.pattern->pixels[i] & 0xFF) << 16));
                    }
                }
            }
            return s;
        }
        default:
            return "style" + std::to_string(b.style) + " " + Color(b.color);
    }
}

std::string RecordingDeviceContext::Describe(const LogFont& f) {
    std::string s =
        "\"" + f.faceName + "\" " + std::to_string(f.height) + " w" + std::to_string(f.weight);
    if (f.italic) s += " italic";
    if (f.underline) s += " underline";
    if (f.strikeOut) s += " strikeout";
    if (f.escapement != 0) s += " esc" + std::to_string(f.escapement);
    return s;
}

void RecordingDeviceContext::OnSelectObject(GdiObjectKind kind, HGDIOBJ) {
    switch (kind) {
        case GdiObjectKind::Pen:
            Add("SelectPen " + Describe(State().pen));
            break;
        case GdiObjectKind::Brush:
            Add("SelectBrush " + Describe(State().brush));
            break;
        case GdiObjectKind::Font:
            Add("SelectFont " + Describe(State().font));
            break;
        case GdiObjectKind::None:
            break;
    }
}

void RecordingDeviceContext::OnSetTextColor(TColorRef c) {
    Add("SetTextColor " + Color(c));
}
void RecordingDeviceContext::OnSetBkColor(TColorRef c) {
    Add("SetBkColor " + Color(c));
}
void RecordingDeviceContext::OnSetBkMode(int m) {
    Add(std::string("SetBkMode ") + (m == TRANSPARENT ? "transparent" : "opaque"));
}
void RecordingDeviceContext::OnSetTextAlign(std::uint32_t a) {
    Add("SetTextAlign " + std::to_string(a));
}
void RecordingDeviceContext::OnSetPolyFillMode(int m) {
    Add("SetPolyFillMode " + std::to_string(m));
}
void RecordingDeviceContext::OnSetStretchBltMode(int m) {
    Add("SetStretchBltMode " + std::to_string(m));
}
void RecordingDeviceContext::OnSetMapMode(int m) {
    Add("SetMapMode " + std::to_string(m));
}
void RecordingDeviceContext::OnSetWindowExt(TSize s) {
    Add("SetWindowExt " + Sz(s));
}
void RecordingDeviceContext::OnSetViewportExt(TSize s) {
    Add("SetViewportExt " + Sz(s));
}
void RecordingDeviceContext::OnSetWindowOrg(TPoint p) {
    Add("SetWindowOrg " + Pt(p));
}
void RecordingDeviceContext::OnSetViewportOrg(TPoint p) {
    Add("SetViewportOrg " + Pt(p));
}
void RecordingDeviceContext::OnSetWorldTransform(const XForm& x) {
    Add("SetWorldTransform " + Xf(x));
}
void RecordingDeviceContext::OnModifyWorldTransform(const XForm& x, int mode) {
    Add("ModifyWorldTransform " + Xf(x) + " mode " + std::to_string(mode));
}
void RecordingDeviceContext::OnSaveDC() {
    Add("SaveDC");
}
void RecordingDeviceContext::OnRestoreDC(int level) {
    Add("RestoreDC " + std::to_string(level));
}
void RecordingDeviceContext::OnIntersectClipRect(const TRect& r) {
    Add("IntersectClipRect " + Rc(r));
}
void RecordingDeviceContext::OnSelectClipRgn(const std::optional<TRect>& r) {
    Add("SelectClipRgn " + (r ? Rc(*r) : std::string("none")));
}
void RecordingDeviceContext::OnMoveTo(TPoint p) {
    Add("MoveTo " + Pt(p));
}
void RecordingDeviceContext::OnLineTo(TPoint, TPoint to) {
    Add("LineTo " + Pt(to));
}
void RecordingDeviceContext::OnRectangle(const TRect& r) {
    Add("Rectangle " + Rc(r));
}
void RecordingDeviceContext::OnRoundRect(const TRect& r, TSize c) {
    Add("RoundRect " + Rc(r) + " corner " + Sz(c));
}
void RecordingDeviceContext::OnEllipse(const TRect& r) {
    Add("Ellipse " + Rc(r));
}
void RecordingDeviceContext::OnArc(ArcKind kind, const TRect& r, TPoint s, TPoint e) {
    static const char* names[] = {"Arc", "ArcTo", "Chord", "Pie"};
    Add(std::string(names[static_cast<int>(kind)]) + " " + Rc(r) + " from " + Pt(s) + " to " +
        Pt(e));
}
void RecordingDeviceContext::OnPolyline(std::span<const TPoint> p, bool fromCp) {
    Add(std::string(fromCp ? "PolylineTo" : "Polyline") + Points(p));
}
void RecordingDeviceContext::OnPolygon(std::span<const TPoint> p) {
    Add("Polygon" + Points(p));
}
void RecordingDeviceContext::OnPolyPolygon(std::span<const TPoint> p, std::span<const int> c) {
    Add("PolyPolygon" + Counts(c) + Points(p));
}
void RecordingDeviceContext::OnPolyPolyline(std::span<const TPoint> p, std::span<const int> c) {
    Add("PolyPolyline" + Counts(c) + Points(p));
}
void RecordingDeviceContext::OnPolyBezier(std::span<const TPoint> p, bool fromCp) {
    Add(std::string(fromCp ? "PolyBezierTo" : "PolyBezier") + Points(p));
}
void RecordingDeviceContext::OnSetPixel(TPoint p, TColorRef c) {
    Add("SetPixel " + Pt(p) + " " + Color(c));
}
void RecordingDeviceContext::OnFillRect(const TRect& r, const LogBrush& b) {
    Add("FillRect " + Rc(r) + " " + Describe(b));
}
void RecordingDeviceContext::OnText(const TextRun& run) {
    const std::string text = "\"" + utf8::FromUtf16(run.text) + "\"";
    if (run.call == TextRun::Call::TextOut) {
        Add("TextOut " + Pt(run.reference) + " " + text);
        return;
    }
    std::string line = "ExtTextOut " + Pt(run.reference) + " opts " + std::to_string(run.options);
    if (run.rect) line += " rect " + Rc(*run.rect);
    line += " " + text + " dx ";
    for (std::size_t i = 0; i < run.dx.size(); ++i)
        line += (i ? "," : "") + std::to_string(run.dx[i]);
    Add(line);
}
void RecordingDeviceContext::OnStretchDIBits(const TRect& d, const TRect& s, const BitmapView& v,
                                             std::uint32_t rop) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", rop);
    Add("StretchDIBits " + Rc(d) + " from " + Rc(s) + " of " + std::to_string(v.width) + "x" +
        std::to_string(v.height) + " rop " + buf + (v.premultipliedAlpha ? " alpha" : "") +
        (v.premultipliedAlpha || v.opacity != 255 ? " opacity " + std::to_string(v.opacity) : ""));
}
void RecordingDeviceContext::OnBeginPath() {
    Add("BeginPath");
}
void RecordingDeviceContext::OnEndPath() {
    Add("EndPath");
}
void RecordingDeviceContext::OnCloseFigure() {
    Add("CloseFigure");
}
void RecordingDeviceContext::OnAbortPath() {
    Add("AbortPath");
}
void RecordingDeviceContext::OnFillPath(const DcPath&) {
    Add("FillPath");
}
void RecordingDeviceContext::OnStrokePath(const DcPath&) {
    Add("StrokePath");
}
void RecordingDeviceContext::OnStrokeAndFillPath(const DcPath&) {
    Add("StrokeAndFillPath");
}

}  // namespace quillon::testing
