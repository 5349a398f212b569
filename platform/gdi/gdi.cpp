// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/gdi.h"

#include <mutex>
#include <unordered_map>

#include "platform/sys/utf8.h"

namespace quillon {

namespace {

LogFont StockFont(const char* face, std::int32_t height, std::int32_t weight, std::uint8_t pitch) {
    LogFont f;
    f.height = height;
    f.weight = weight;
    f.faceName = face;
    f.pitchAndFamily = pitch;
    return f;
}

GdiObjectData StockObject(int index) {
    switch (index) {
        case WHITE_BRUSH:
            return LogBrush{BS_SOLID, 0xFFFFFF, 0};
        case LTGRAY_BRUSH:
            return LogBrush{BS_SOLID, 0xC0C0C0, 0};
        case GRAY_BRUSH:
            return LogBrush{BS_SOLID, 0x808080, 0};
        case DKGRAY_BRUSH:
            return LogBrush{BS_SOLID, 0x404040, 0};
        case BLACK_BRUSH:
            return LogBrush{BS_SOLID, 0x000000, 0};
        case NULL_BRUSH:
            return LogBrush{BS_NULL, 0, 0};
        case WHITE_PEN:
            return LogPen{PS_SOLID, 0, 0xFFFFFF};
        case BLACK_PEN:
            return LogPen{PS_SOLID, 0, 0x000000};
        case NULL_PEN:
            return LogPen{PS_NULL, 0, 0};
        case OEM_FIXED_FONT:
            return StockFont("Terminal", 12, FW_NORMAL, 1);
        case ANSI_FIXED_FONT:
            return StockFont("Courier", 13, FW_NORMAL, 1);
        case ANSI_VAR_FONT:
            return StockFont("MS Sans Serif", 13, FW_NORMAL, 2);
        case SYSTEM_FONT:
            return StockFont("System", kDefaultFontHeight, FW_BOLD, 2);
        case DEVICE_DEFAULT_FONT:
            return StockFont("System", kDefaultFontHeight, FW_BOLD, 2);
        case SYSTEM_FIXED_FONT:
            return StockFont("Fixedsys", 15, FW_NORMAL, 1);
        case DEFAULT_GUI_FONT:
            return StockFont("MS Sans Serif", -11, FW_NORMAL, 2);
        default:
            return std::monostate{};
    }
}

struct ObjectTable {
    std::mutex mutex;
    std::unordered_map<HGDIOBJ, GdiObjectData> objects;
    HGDIOBJ next = 1;

    HGDIOBJ Add(GdiObjectData data) {
        std::lock_guard lock(mutex);
        // Ids stay below the stock-object range; after 2^31 creations they wrap to 1 and
        // skip the ones still alive.
        while (next == 0 || (next & kStockObjectFlag) != 0 || objects.count(next) != 0) {
            next = (next & kStockObjectFlag) != 0 ? 1 : next + 1;
        }
        HGDIOBJ h = next++;
        objects.emplace(h, std::move(data));
        return h;
    }
};

ObjectTable& Table() {
    // Never destroyed: canvases and pages owned by other static objects delete their
    // objects during exit, after function-local statics may already be gone.
    static ObjectTable* table = new ObjectTable;
    return *table;
}

GdiObjectKind KindOf(const GdiObjectData& d) {
    switch (d.index()) {
        case 1:
            return GdiObjectKind::Pen;
        case 2:
            return GdiObjectKind::Brush;
        case 3:
            return GdiObjectKind::Font;
        default:
            return GdiObjectKind::None;
    }
}

}  // namespace

std::string CutFaceName(const std::string& face) {
    std::size_t pos = 0;
    std::size_t count = 0;
    while (pos < face.size() && count < kMaxFaceNameLength) {
        pos += utf8::DecodeOne(std::string_view(face).substr(pos)).length;
        ++count;
    }
    return face.substr(0, pos);
}

HPEN CreatePen(std::uint32_t style, std::int32_t width, TColorRef color) {
    return CreatePenIndirect(LogPen{style, width, color});
}

HPEN CreatePenIndirect(const LogPen& pen) {
    return Table().Add(pen);
}

HBRUSH CreateSolidBrush(TColorRef color) {
    return CreateBrushIndirect(LogBrush{BS_SOLID, color, 0});
}

HBRUSH CreateHatchBrush(std::int32_t hatch, TColorRef color) {
    return CreateBrushIndirect(LogBrush{BS_HATCHED, color, hatch});
}

HBRUSH CreateBrushIndirect(const LogBrush& brush) {
    return Table().Add(brush);
}

HFONT CreateFontIndirect(const LogFont& font) {
    LogFont f = font;
    f.faceName = CutFaceName(f.faceName);
    return Table().Add(std::move(f));
}

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || StockObject(index).index() == 0) return 0;
    return kStockObjectFlag | static_cast<HGDIOBJ>(index);
}

bool DeleteObject(HGDIOBJ object) {
    if (object == 0 || (object & kStockObjectFlag) != 0) return false;
    ObjectTable& t = Table();
    std::lock_guard lock(t.mutex);
    return t.objects.erase(object) != 0;
}

GdiObjectData GetObjectData(HGDIOBJ object) {
    if (object == 0) return std::monostate{};
    if ((object & kStockObjectFlag) != 0) {
        HGDIOBJ index = object & ~kStockObjectFlag;
        if (index > 64) return std::monostate{};
        return StockObject(static_cast<int>(index));
    }
    ObjectTable& t = Table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(object);
    if (it == t.objects.end()) return std::monostate{};
    return it->second;
}

GdiObjectKind GetObjectKind(HGDIOBJ object) {
    return KindOf(GetObjectData(object));
}

std::optional<LogPen> GetLogPen(HGDIOBJ object) {
    GdiObjectData d = GetObjectData(object);
    if (auto* p = std::get_if<LogPen>(&d)) return *p;
    return std::nullopt;
}

std::optional<LogBrush> GetLogBrush(HGDIOBJ object) {
    GdiObjectData d = GetObjectData(object);
    if (auto* p = std::get_if<LogBrush>(&d)) return *p;
    return std::nullopt;
}

std::optional<LogFont> GetLogFont(HGDIOBJ object) {
    GdiObjectData d = GetObjectData(object);
    if (auto* p = std::get_if<LogFont>(&d)) return *p;
    return std::nullopt;
}

std::size_t LiveGdiObjectCount() {
    ObjectTable& t = Table();
    std::lock_guard lock(t.mutex);
    return t.objects.size();
}

}  // namespace quillon
