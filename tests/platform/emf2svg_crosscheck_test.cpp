// SPDX-License-Identifier: GPL-2.0-or-later
// An independent reader accepts our page files: emf2svg-conv turns a recorded page into SVG
// that holds the same texts and shapes.

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/emf/emf_recorder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

std::size_t Count(const std::string& haystack, const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t pos = haystack.find(needle); pos != std::string::npos;
         pos = haystack.find(needle, pos + 1))
        ++n;
    return n;
}

TEST(Emf2SvgCrossCheck, RecordedPageConvertsWithTheSameTexts) {
    if (std::system("command -v emf2svg-conv > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "emf2svg-conv is not installed";
    const fs::path dir =
        fs::temp_directory_path() / ("quillon_emf2svg_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path emf = dir / "page.emf", svg = dir / "page.svg";

    const std::vector<std::string> texts = {"Name analysis", "Vowels: 11", "Consonants 22",
                                            "Total 33", "Caf\xC3\xA9 \xE2\x82\xAC 5"};
    {
        EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{2400, 3150, 300, 300}});
        LogFont lf;
        lf.height = -50;
        lf.faceName = "Arial";
        const HFONT font = CreateFontIndirect(lf);
        rec.SelectObject(font);
        rec.SetBkMode(TRANSPARENT);
        for (std::size_t i = 0; i < texts.size(); ++i)
            rec.TextOut(150, 150 + static_cast<int>(i) * 80, texts[i]);
        const HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 128));
        rec.SelectObject(pen);
        rec.MoveTo(150, 700);
        rec.LineTo(2250, 700);
        rec.Rectangle(150, 750, 1000, 1000);
        rec.Ellipse(1100, 750, 1600, 1000);
        rec.FillRect(TRect{150, 1100, 2250, 1150}, GetStockObject(LTGRAY_BRUSH));
        TBitmap image(8, 8, 0xFF00FF00u);
        rec.StretchDIBits(150, 1200, 400, 400, 0, 0, 8, 8, image.View());
        rec.SelectObject(GetStockObject(BLACK_PEN));
        rec.SelectObject(GetStockObject(SYSTEM_FONT));
        DeleteObject(pen);
        DeleteObject(font);
        const Result<void> saved = rec.SaveToFile(emf.string());
        ASSERT_TRUE(saved) << saved.reason();
    }
    const std::string command =
        "emf2svg-conv -i '" + emf.string() + "' -o '" + svg.string() + "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(svg);
    std::stringstream content;
    content << in.rdbuf();
    const std::string s = content.str();
    for (const std::string& t : texts) EXPECT_EQ(Count(s, "<![CDATA[" + t + "]]>"), 1u) << t;
    EXPECT_EQ(Count(s, "<text"), texts.size());
    EXPECT_EQ(Count(s, "font-family=\"Arial\""), texts.size());
    EXPECT_GE(Count(s, "<ellipse"), 1u);
    EXPECT_GE(Count(s, "<image"), 1u);
    EXPECT_NE(s.find("M 150.0000,700.0000 L 2250.0000,700.0000"),
              std::string::npos);  // the line, unscaled
    if (!HasFailure()) fs::remove_all(dir);
}

}  // namespace
}  // namespace quillon
