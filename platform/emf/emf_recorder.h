// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The page recorder: a device context that records every call as an enhanced-metafile
// record and produces a standard .EMF file.
//
// The context records against a reference surface, the screen by default (its size and 96
// pixels per inch). A recording for a printed page (options.page) carries printer pixels, and
// its header says so: the picture frame is the page's printable area at its paper size, the
// reference device sizes are the page's pixels and millimetres, and the bounds cover the page
// and whatever was drawn beyond it, so other programs show the whole page at its size. A
// comment record after the header carries the page size, the printer's resolution and the
// reference surface; the suite's player recognises it and keeps playing a page into (0, 0,
// screen width, screen height) one recorded unit to one destination unit. A recording for no
// page describes the reference surface and is played by its frame as any metafile. Text is
// recorded as UTF-16 with the advance of every character measured at recording time (at the
// printer's resolution), so playback puts each glyph where the recording measured it.
//
// Pens, brushes and fonts are recorded only when the selection really changes what is
// selected; an object no longer selected (nor kept by a saved state) is deleted in the
// file at once, so a page needs only a handful of object slots. Memory grows with the
// page's own records only.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/device_context.h"
#include "platform/emf/emf_format.h"

namespace quillon {

struct EmfRecorderOptions {
    // Reference device: defaults to the screen's caps.
    std::optional<DeviceCaps> reference;
    // The printed page this recording is for (written into the page comment).
    std::optional<EmfPageInfo> page;
};

class EmfRecorder : public DeviceContext {
  public:
    explicit EmfRecorder(const EmfRecorderOptions& options = {});
    ~EmfRecorder() override;

    // Completes the file (end record, header counts and bounds) and returns its bytes.
    // Calls after this record nothing.
    const std::vector<std::uint8_t>& Finish();
    bool Finished() const { return finished_; }
    // Finishes, then writes the file, or says why it cannot be written.
    Result<void> SaveToFile(const std::string& path);
    std::uint32_t RecordCount() const { return records_; }
    std::size_t ByteCount() const { return buffer_.size(); }

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
    int MeasuringPixelsPerInch() const override;

  private:
    // What the file has selected: a stock object (0x80000000 + index) or an object slot.
    struct Selected {
        std::uint32_t handle = 0;
        GdiObjectData desc;
    };
    struct Selection {
        Selected pen, brush, font;
    };

    void Append(char* record);  // takes a record made by the encoder (and frees it)
    void AppendRaw(const void* data, std::size_t size);
    std::uint32_t NewSlot();
    std::uint32_t CreateObject(
        const GdiObjectData& desc);  // records the creation, returns its slot
    void SelectInFile(Selected& slot, std::uint32_t handle, const GdiObjectData& desc);
    void DeleteUnusedObjects();
    bool Referenced(std::uint32_t slot) const;
    void IncludeLogical(double x1, double y1, double x2, double y2, double inflate = 0);
    void IncludeDevice(double minX, double minY, double maxX, double maxY);
    void IncludePoints(std::span<const TPoint> points);
    std::int32_t PenInflate() const;
    // The header of a surface of width x height pixels at that resolution.
    void WriteHeader(int width, int height, int pixelsPerInchX, int pixelsPerInchY);

    std::vector<std::uint8_t> buffer_;
    std::uint32_t records_ = 0;
    bool finished_ = false;
    std::optional<EmfPageInfo> page_;
    Selection current_;
    std::vector<Selection> saved_;
    std::vector<bool> slotUsed_;  // index 0 is reserved by the format
    std::uint32_t maxSlot_ = 0;
    // Bounds of everything drawn, device pixels (inclusive).
    bool haveBounds_ = false;
    double boundsLeft_ = 0, boundsTop_ = 0, boundsRight_ = 0, boundsBottom_ = 0;
    // Device-pixel bounds of the last figure, for the record's own bounds field.
    std::int32_t lastBounds_[4] = {0, 0, -1, -1};
    double pageToMmX_ = 0, pageToMmY_ = 0;
};

}  // namespace quillon
