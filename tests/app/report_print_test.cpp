// SPDX-License-Identifier: GPL-2.0-or-later
// The printed report: every text and shape of the page as the printer receives it (the page
// recorded as a metafile and played onto a 600 ppi printer double), for a name and for none,
// and the calculator's Print button with the printer remembered between prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/Inet.h"
#include "app/Ptr.h"
#include "platform/gdi/printer.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/forms/DBPrnWin.h"
#include "tests/app/calc_fixture.h"
#include "tests/support/fake_printer.h"

namespace quillon::testing {
namespace {

// Fixed advances, but with fonts shaped as real ones are: a positive height is the whole
// cell, of which the letters take 27/31 (Arial's share), so that a font whose cell height is
// scaled from the screen's letter height prints a little narrower than the screen shows it,
// as it does with real fonts. Line heights stay the cell heights.
class CellFontMeasurer : public FixedAdvanceMeasurer {
  public:
    void Advances(const LogFont& font, int pixelsPerInch, std::u16string_view text,
                  std::vector<double>& advances) override {
        LogFont letters = font;
        if (font.height > 0) letters.height = -static_cast<int>(font.height * 27.0 / 31.0 + 0.5);
        FixedAdvanceMeasurer::Advances(letters, pixelsPerInch, text, advances);
    }
};

class CellFontBackend : public TestGraphicsBackend {
  public:
    TextMeasurer& Measurer() override { return cells_; }

  private:
    CellFontMeasurer cells_;
};

class ReportPrintTest : public CalcWindowTest {
  protected:
    void SetUp() override {
        CalcWindowTest::SetUp();
        office_ = backend_.AddPrinter("Office", 300, 300, 2400, 3300);
        laser_ = backend_.AddPrinter("Laser", 600, 600, 4800, 6600);
        scope_ = std::make_unique<ScopedGraphicsBackend>(&backend_);
        Printer().Refresh();
        ASSERT_TRUE(Printer().SetPrinterIndex(1));
    }
    void TearDown() override {
        Printer().SetOrientation(poPortrait);
        scope_.reset();
        Printer().Refresh();
        CalcWindowTest::TearDown();
    }
    // Prints the report of what the calculator shows; the page the laser received.
    std::vector<std::string> PrintedPage() {
        auto report = std::make_unique<TPrintFrm>(nullptr);
        EXPECT_EQ(laser_->Documents().size(), 1u);
        if (laser_->Documents().empty() || laser_->Documents()[0].pages.empty()) return {};
        return laser_->Documents()[0].pages[0];
    }
    // The page's texts as "TextOut x,y "text"" (the player writes each with its advances).
    static std::vector<std::string> Texts(const std::vector<std::string>& page) {
        std::vector<std::string> out;
        for (const auto& l : page) {
            if (l.rfind("ExtTextOut ", 0) != 0) continue;
            const auto quote = l.find('"');
            const auto end = l.rfind('"');
            const std::string at = l.substr(11, l.find(' ', 11) - 11);
            const std::string text = l.substr(quote, end - quote + 1);
            if (text != "\"\"") out.push_back("TextOut " + at + " " + text);
        }
        return out;
    }
    static bool Has(const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) != v.end();
    }
    static std::string Dump(const std::vector<std::string>& v) {
        std::string s;
        for (const auto& l : v) s += l + "\n";
        return s;
    }

    CellFontBackend backend_;
    std::unique_ptr<ScopedGraphicsBackend> scope_;
    std::shared_ptr<FakePrinter> office_, laser_;
};

TEST_F(ReportPrintTest, GoldenRiverPrintsEveryTextInItsPlace) {
    data->InputText("golden river 7");
    const auto page = PrintedPage();
    const auto texts = Texts(page);
    // The title: label at (24, 12) of the panel, which starts half an inch in; 10/300 inch on.
    EXPECT_TRUE(Has(texts, "TextOut 470,395 \"GOLDEN RIVER 7\"")) << Dump(texts);
    // Right-aligned headings end at X1 + 20 + (X2 - X1) - 20: Label2 at (30, 82), 94 wide:
    // X1 = 300 + 187.5 -> 488, X2 = 487.5 + 587.5 = 1075; Y1 = 300 + 512.5 -> 812.
    EXPECT_TRUE(Has(texts, "TextOut 1075,832 \"Vowels\"")) << Dump(texts);
    EXPECT_TRUE(Has(texts, "TextOut 1075,1008 \"Data\""));
    EXPECT_TRUE(Has(texts, "TextOut 1075,1170 \"Consonants\""));
    // The data line (124, 109): X1 = 300 + 775, Y1 = 300 + 681.25 -> 981.
    EXPECT_TRUE(Has(texts, "TextOut 1095,1001 \":  GOLDEN RIVER 7\""));
    // Sums: Vtot at (509, 83), 30 wide: X2 = 300 + 3181.25 + 187.5 = 3668.75 -> 3669.
    EXPECT_TRUE(Has(texts, "TextOut 3669,839 \"25\"")) << Dump(texts);
    EXPECT_TRUE(Has(texts, "TextOut 3669,1014 \"73\""));
    EXPECT_TRUE(Has(texts, "TextOut 3669,1176 \"41\""));
    // The system, centred in (500, 203), 169 wide: on 3425 + 20 + 1056 div 2.
    EXPECT_TRUE(Has(texts, "TextOut 3973,1589 \"" + calc->MthBtn->Caption() + "\"")) << Dump(texts);
    EXPECT_TRUE(Has(texts, "TextOut 3973,1739 \"System\""));
    // The grid's totals column (392, 20 wide: X2 = 2875) on the row at 238 (1787.5 -> 1788).
    EXPECT_TRUE(Has(texts, "TextOut 2875,1808 \"11\"")) << Dump(texts);
    EXPECT_TRUE(Has(texts, "TextOut 476,2245 \"Notes:\"")) << Dump(texts);
    // The footer texts: eight spaces before "Printed on", the web address at the right.
    const auto footer = std::find_if(texts.begin(), texts.end(), [](const std::string& l) {
        return l.find("\"        Printed on ") != std::string::npos;
    });
    ASSERT_NE(footer, texts.end()) << Dump(texts);
    EXPECT_EQ(footer->rfind("TextOut 331,", 0), 0u) << *footer;
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& l) {
        return l.find("\"" + std::string(kReportWebAddress) + "\"") != std::string::npos;
    }));
}

TEST_F(ReportPrintTest, ALongNameOfTheWidestLetterStaysOnOneLineAt300And600Ppi) {
    // The name label takes the name's size on the screen; on paper the name, word-wrapped
    // into the label, is one line at either resolution.
    const std::string name(30, 'W');
    data->InputText(name);
    const auto texts = Texts(PrintedPage());
    EXPECT_TRUE(Has(texts, "TextOut 470,395 \"" + name + "\"")) << Dump(texts);
    EXPECT_TRUE(Has(texts, "TextOut 1095,1001 \":  " + name + "\""));
    ASSERT_TRUE(Printer().SetPrinterIndex(0));
    auto report = std::make_unique<TPrintFrm>(nullptr);
    ASSERT_EQ(office_->Documents().size(), 1u);
    const auto at300 = Texts(office_->Documents()[0].pages[0]);
    // (150 + 75, 150 + 37.5 -> 188) and (150 + 387.5 -> 538, 150 + 340.625 -> 491), 10 in.
    EXPECT_TRUE(Has(at300, "TextOut 235,198 \"" + name + "\"")) << Dump(at300);
    EXPECT_TRUE(Has(at300, "TextOut 548,501 \":  " + name + "\""));
}

TEST_F(ReportPrintTest, TheFooterCarriesTheAddressTheLinksWindowOpens) {
    const auto texts = Texts(PrintedPage());
    Headless().openResult = true;
    InternetFrm->Show();
    dynamic_cast<TControl*>(InternetFrm->FindComponent("Label10"))->InputClick();
    ASSERT_EQ(Headless().openedDocuments.size(), 1u);
    const std::string site = Headless().openedDocuments[0];
    EXPECT_EQ(site, "http://quillon.sourceforge.io");
    // The right footer is that address, as one text.
    const std::string written = " \"" + site + "\"";
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& l) {
        return l.size() > written.size() &&
               l.compare(l.size() - written.size(), written.size(), written) == 0;
    })) << Dump(texts);
}

TEST_F(ReportPrintTest, RulesAreFilledRectanglesOfTheScaledHeight) {
    data->InputText("golden river 7");
    const auto page = PrintedPage();
    std::vector<std::string> rects;
    for (const auto& l : page)
        if (l.rfind("Rectangle", 0) == 0) rects.push_back(l);
    // The title rule, the short writing line, then thirteen lines 40 screen pixels apart:
    // tops 2562, 2812, ... 5562, each 7 pixels high (2562.5 to 2568.75).
    std::vector<std::string> expected{"Rectangle 425,575,4581,588", "Rectangle 850,2312,4519,2319"};
    for (int i = 0; i < 13; ++i) {
        const int top = 2562 + 250 * i;
        expected.push_back("Rectangle 456," + std::to_string(top) + ",4519," +
                           std::to_string(top + 7));
    }
    EXPECT_EQ(rects, expected);
    // The panel prints as a white box without frame.
    EXPECT_TRUE(Has(page, "FillRect 300,300,5175,5681 solid #FFFFFF")) << Dump(std::vector<std::string>(page.begin(), page.begin() + std::min<std::size_t>(page.size(), 60)));
}

TEST_F(ReportPrintTest, AnEmptyNamePrintsPrefixesAndZeros) {
    const auto texts = Texts(PrintedPage());
    EXPECT_TRUE(Has(texts, "TextOut 1095,1001 \":\"")) << Dump(texts);  // ":  " trimmed
    EXPECT_TRUE(Has(texts, "TextOut 3669,839 \"0\"")) << Dump(texts);
    EXPECT_FALSE(std::any_of(texts.begin(), texts.end(), [](const std::string& l) {
        return l.rfind("TextOut 470,395 ", 0) == 0;
    }));
    int zeros = 0;
    for (const auto& t : texts)
        if (t.size() > 4 && t.compare(t.size() - 4, 4, " \"0\"") == 0) ++zeros;
    EXPECT_EQ(zeros, 3 + 27 + 3);  // three sums, the grid and its totals
}

TEST_F(ReportPrintTest, EqualDigitSumsPrintBold) {
    data->InputText("IIIAA");
    const auto page = PrintedPage();
    // "11" is written in a bold font, "29" and "2" in regular ones.
    const auto fontBefore = [&](const std::string& text) {
        const auto at = std::find_if(page.begin(), page.end(), [&](const std::string& l) {
            return l.rfind("ExtTextOut", 0) == 0 && l.find("\"" + text + "\"") != std::string::npos;
        });
        const auto font = std::find_if(std::make_reverse_iterator(at), page.rend(),
                                       [](const std::string& l) { return l.rfind("SelectFont", 0) == 0; });
        return font == page.rend() ? std::string() : *font;
    };
    EXPECT_NE(fontBefore("11").find(" w700"), std::string::npos) << fontBefore("11");
    EXPECT_NE(fontBefore("29").find(" w400"), std::string::npos) << fontBefore("29");
}

TEST_F(ReportPrintTest, PrintButtonPrintsOnTheChosenPrinterAndRemembersIt) {
    data->InputText("golden river 7");
    HeadlessPrintDialogs().answers.push_back(
        [](const std::vector<std::string>&, const PrintDialogChoice&) {
            return std::optional<PrintDialogChoice>(PrintDialogChoice{0, poPortrait, 1});
        });
    calc->PrintBtn->InputClick();
    ASSERT_EQ(office_->Documents().size(), 1u);
    EXPECT_EQ(office_->Documents()[0].title, "GOLDEN RIVER 7");
    EXPECT_EQ(ReadJobSetting(kPrinterNameValue, ""), "Office");
    EXPECT_EQ(Application().Forms().size(), 3u);  // the report is gone
    // Something else makes another printer current; the dialog still opens on "Office".
    ASSERT_TRUE(Printer().SetPrinterIndex(1));
    HeadlessPrintDialogs().answers.push_back(HeadlessPrintDialog::Cancel());
    calc->PrintBtn->InputClick();
    ASSERT_EQ(HeadlessPrintDialogs().showings.size(), 2u);
    EXPECT_EQ(HeadlessPrintDialogs().showings[1].initial.printerIndex, 0);
    EXPECT_EQ(office_->Documents().size(), 1u);
    EXPECT_TRUE(laser_->Documents().empty());
}

TEST(ReportDocumentTitle, IsTheNameOrTheReportsOwnTitle) {
    EXPECT_EQ(ReportDocumentTitle("golden river 7"), "GOLDEN RIVER 7");
    EXPECT_EQ(ReportDocumentTitle("  may "), "MAY");
    EXPECT_EQ(ReportDocumentTitle(""), "Quillon report");
    EXPECT_EQ(ReportDocumentTitle("   "), "Quillon report");
}

}  // namespace
}  // namespace quillon::testing
