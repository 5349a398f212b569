// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_fonts.h"

#include <QFontDatabase>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <tuple>

namespace quillon {

namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// Reference size at which a family's proportions are read: large enough that rounding
// inside the font engine does not matter.
constexpr int kReferencePixels = 1000;

int SanePixelsPerInch(int pixelsPerInch) {
    return pixelsPerInch >= 1 && pixelsPerInch <= 10000 ? pixelsPerInch : 96;
}

QFont BaseFont(const ResolvedFont& r) {
    QFont f(r.family);
    f.setWeight(static_cast<QFont::Weight>(r.weight));
    f.setItalic(r.italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    // Kerning would move glyphs away from the advances we measured one character at a time.
    f.setKerning(false);
    return f;
}

struct FaceProportions {
    double cellPerEm = 1.0;     // (ascent + descent) / em
    double averagePerEm = 0.5;  // average character width / em
};

// The average character width as the classic systems measured it, which a font's width in a
// file means: lowercase letters and the space weighted by how often English uses them (newer
// faces record an average over every glyph, some 30 % wider, which would narrow text too much).
double ClassicAverageWidth(const QFontMetricsF& fm) {
    static constexpr int kWeights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                                         56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};
    double weighted = 0;
    for (int i = 0; i < 27; ++i)
        weighted += kWeights[i] * fm.horizontalAdvance(QChar(i < 26 ? u'a' + i : u' '));
    return weighted > 0 ? weighted / 1000.0 : fm.averageCharWidth();
}

const FaceProportions& ProportionsOf(const QString& family, int weight, bool italic) {
    static std::map<std::tuple<QString, int, bool>, FaceProportions> cache;
    const auto key = std::make_tuple(family, weight, italic);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    ResolvedFont r;
    r.family = family;
    r.weight = weight;
    r.italic = italic;
    QFont f = BaseFont(r);
    f.setPixelSize(kReferencePixels);
    const QFontMetricsF fm(f);
    FaceProportions p;
    const double cell = fm.ascent() + fm.descent();
    if (cell > 0) p.cellPerEm = cell / kReferencePixels;
    if (const double average = ClassicAverageWidth(fm); average > 0)
        p.averagePerEm = average / kReferencePixels;
    return cache.emplace(key, p).first->second;
}

}  // namespace

QString FamilyForFace(std::string_view face) {
    static const struct {
        const char* face;
        const char* family;
    } kMap[] = {{"Arial", "Liberation Sans"},           {"MS Sans Serif", "Liberation Sans"},
                {"System", "Liberation Sans"},          {"Helvetica", "Liberation Sans"},
                {"Courier New", "Liberation Mono"},     {"Courier", "Liberation Mono"},
                {"Times New Roman", "Liberation Serif"}};
    for (const auto& m : kMap)
        if (EqualsIgnoreCase(face, m.face)) return QString::fromLatin1(m.family);
    const QString family = QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()));
    // A face that is not installed gets the sans-serif face the forms are laid out for
    // rather than whatever the system's default happens to be.
    static std::map<QString, bool> installed;
    auto it = installed.find(family);
    if (it == installed.end())
        it = installed.emplace(family, !family.isEmpty() && QFontDatabase::hasFamily(family)).first;
    return it->second ? family : QStringLiteral("Liberation Sans");
}

namespace {
ResolvedFont ResolveFontUncached(const LogFont& font) {
    ResolvedFont r;
    r.family = FamilyForFace(font.faceName);
    r.weight = font.weight <= 0 ? 400 : std::clamp(font.weight, 1, 1000);
    r.italic = font.italic;
    const FaceProportions& p = ProportionsOf(r.family, r.weight, r.italic);
    if (font.height < 0)
        r.em = -static_cast<double>(font.height);
    else if (font.height > 0)
        r.em = font.height / p.cellPerEm;
    else
        r.em = kDefaultFontHeight;
    if (font.width != 0) {
        const double natural = r.em * p.averagePerEm;
        if (natural > 0) r.stretch = std::abs(static_cast<double>(font.width)) / natural;
    }
    return r;
}
}  // namespace

ResolvedFont ResolveFont(const LogFont& font) {
    // Every measurement and every text run asks, mostly for the same few fonts: each is
    // resolved once (the face's family and proportions depend only on the record).
    struct Known {
        LogFont font;
        ResolvedFont resolved;
    };
    static std::vector<Known> known;  // most recently used last
    constexpr std::size_t kKeep = 16;
    for (auto it = known.rbegin(); it != known.rend(); ++it) {
        if (!(it->font == font)) continue;
        if (it != known.rbegin()) std::swap(*it, known.back());
        return known.back().resolved;
    }
    if (known.size() >= kKeep) known.erase(known.begin());
    known.push_back({font, ResolveFontUncached(font)});
    return known.back().resolved;
}

QFont MakeQFont(const ResolvedFont& r, double emPixels, int pixelsPerInch) {
    QFont f = BaseFont(r);
    const int ppi = SanePixelsPerInch(pixelsPerInch);
    // QFont takes whole pixel sizes only; a point size at the device's resolution keeps the
    // fraction.
    f.setPointSizeF(std::max(emPixels, 0.01) * 72.0 / ppi);
    return f;
}

namespace {

struct CachedRawFont {
    QString family;
    int weight;
    bool italic;
    double em;
    QRawFont raw;
};

std::vector<CachedRawFont>& RawFontCache() {
    // Most recently used last. Never destroyed: a graphics session that ends among the exit
    // handlers (a static one) still clears it, after a static vector would have gone.
    static auto* cache = new std::vector<CachedRawFont>;
    return *cache;
}

}  // namespace

void ReleaseRawFonts() {
    RawFontCache().clear();
}

QRawFont RawFontFor(const ResolvedFont& r, double emDevicePixels) {
    using Cached = CachedRawFont;
    std::vector<Cached>& cache = RawFontCache();
    constexpr std::size_t kKeep = 24;
    const double em = std::max(emDevicePixels, 0.01);
    for (auto it = cache.rbegin(); it != cache.rend(); ++it) {
        if (it->em == em && it->weight == r.weight && it->italic == r.italic &&
            it->family == r.family) {
            if (it != cache.rbegin()) {
                Cached hit = std::move(*it);
                cache.erase(std::next(it).base());
                cache.push_back(std::move(hit));
            }
            return cache.back().raw;
        }
    }
    // The base font at a reference size picks the face; the raw font then takes the exact
    // (fractional) size.
    QFont f = BaseFont(r);
    f.setPixelSize(kReferencePixels);
    QRawFont raw = QRawFont::fromFont(f);
    raw.setPixelSize(em);
    if (cache.size() >= kKeep) cache.erase(cache.begin());
    cache.push_back(Cached{r.family, r.weight, r.italic, em, raw});
    return raw;
}

// ---------------------------------------------------------------------------------------------

// Unhinted outlines scale linearly with the size, and Qt resolves font sizes to whole pixels:
// so each face is measured once at a large reference size and every size and resolution is
// scaled from there, which keeps fractional sizes exact.
struct QtTextMeasurer::Entry {
    QString family;
    int weight = 400;
    bool italic = false;
    std::unique_ptr<QFontMetricsF> metrics;  // at kReferencePixels
    double ascent = 0, descent = 0, averageCharWidth = 0;
    std::array<double, 256> latin;  // reference advances of U+0000..U+00FF, NaN until measured

    double Advance(QChar c) { return metrics->horizontalAdvance(c); }
    double Advance(const QString& s) { return metrics->horizontalAdvance(s); }
};

QtTextMeasurer::QtTextMeasurer() = default;
QtTextMeasurer::~QtTextMeasurer() = default;

QtTextMeasurer::Entry& QtTextMeasurer::EntryFor(const ResolvedFont& r) {
    auto same = [&](const Entry& e) {
        return e.weight == r.weight && e.italic == r.italic && e.family == r.family;
    };
    if (!entries_.empty() && same(*entries_.back())) return *entries_.back();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (same(**it)) {
            auto hit = std::move(*it);
            entries_.erase(it);
            entries_.push_back(std::move(hit));
            return *entries_.back();
        }
    }
    constexpr std::size_t kKeep = 16;
    if (entries_.size() >= kKeep) entries_.erase(entries_.begin());
    auto e = std::make_unique<Entry>();
    e->family = r.family;
    e->weight = r.weight;
    e->italic = r.italic;
    QFont f = BaseFont(r);
    f.setPixelSize(kReferencePixels);
    e->metrics = std::make_unique<QFontMetricsF>(f);
    e->ascent = e->metrics->ascent();
    e->descent = e->metrics->descent();
    e->averageCharWidth = ClassicAverageWidth(*e->metrics);
    e->latin.fill(std::numeric_limits<double>::quiet_NaN());
    entries_.push_back(std::move(e));
    return *entries_.back();
}

FontMetricsF QtTextMeasurer::Metrics(const LogFont& font, int /*pixelsPerInch*/) {
    const ResolvedFont r = ResolveFont(font);
    Entry& e = EntryFor(r);
    const double scale = r.em / kReferencePixels;
    FontMetricsF m;
    m.ascent = e.ascent * scale;
    m.descent = e.descent * scale;
    m.internalLeading = std::max(0.0, m.ascent + m.descent - r.em);
    m.averageCharWidth = e.averageCharWidth * scale * r.stretch;
    return m;
}

void QtTextMeasurer::Advances(const LogFont& font, int /*pixelsPerInch*/, std::u16string_view text,
                              std::vector<double>& advances) {
    advances.clear();
    advances.reserve(text.size());
    const ResolvedFont r = ResolveFont(font);
    Entry& e = EntryFor(r);
    const double scale = r.em / kReferencePixels * r.stretch;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u < 256) {
            double& a = e.latin[u];
            if (std::isnan(a)) a = e.Advance(QChar(u));
            advances.push_back(a * scale);
            continue;
        }
        const bool high = u >= 0xD800 && u <= 0xDBFF;
        const bool low = u >= 0xDC00 && u <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            // One character in two units: its advance on the first, 0 on the second.
            const QChar pair[2] = {QChar(u), QChar(text[i + 1])};
            advances.push_back(e.Advance(QString(pair, 2)) * scale);
            advances.push_back(0.0);
            ++i;
            continue;
        }
        // An unpaired surrogate is drawn as the replacement character.
        advances.push_back(e.Advance(QChar(high || low ? char16_t(0xFFFD) : u)) * scale);
    }
}

}  // namespace quillon
