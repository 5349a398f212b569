// SPDX-License-Identifier: GPL-2.0-or-later
// The preview window and its page control through the headless desktop: the window's opening
// state and texts, the zoom sizes and ladder, page movement and the page number field, the
// print requests as printer documents, the print options dialog's loop, and bad settings and
// a page store that goes away.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/emf/emf_recorder.h"
#include "platform/emf/page_store.h"
#include "platform/gdi/printer.h"
#include "platform/gdi/screen.h"
#include "platform/sys/desktop.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Tallet.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Addit.h"
#include "printsuite/draw/Vex_Gdi.h"
#include "printsuite/draw/Vex_view.h"
#include "tests/printsuite/gdi_fixture.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

class PreviewTest : public testing::GdiTest {
  protected:
    void SetUp() override {
        GdiTest::SetUp();
        SetPageRecorderFactory(nullptr);  // real page files
        Headless().Reset();
        // The preview's zoom percentages are exact for pages of a 300-pixels-per-inch printer.
        backend_.SetDefaultPrinterIndex(k300);
        Printer().Refresh();
        ASSERT_TRUE(Printer().SetPrinterIndex(k300));
    }
    void TearDown() override {
        preview_.reset();
        ReleasePrintDialog();
        Headless().Reset();
        GdiTest::TearDown();
    }

    // Stores a viewer job of `pages` pages ("page n" on each) and opens the preview on it
    // with the default page size in the settings.
    void Open(int pages) {
        Store(pages);
        TRegIniFile ini("Tallet.Ini");
        ini.WriteString("Printer", "PageHeight", "3112");
        ini.WriteString("Printer", "PageWidth", "2400");
        OpenPreview();
    }
    void Store(int pages) {
        TGdi gdi(poViewer);
        gdi.DeletePages();
        gdi.StartDocument(clWhite, "", 100);
        for (int n = 1; n <= pages; ++n) {
            if (n > 1) gdi.NewPage();
            gdi.PutText(1000, 1200, "page " + std::to_string(n));
        }
        gdi.ClosePage();
        ASSERT_TRUE(gdi.SaveError().empty()) << gdi.SaveError();
    }
    void OpenPreview() {
        preview_ = std::make_unique<TVex_Prev>(nullptr);
        preview_->Activate();
    }
    TVex_Prev& P() { return *preview_; }
    TDrawIt& D() { return *preview_->DrawIt1; }

    void Type(TEdit* edit, const std::string& text) {
        edit->SetText(text);
        edit->InputKey(VK_RETURN, {}, U'\r');
    }

    // The "page n" texts of each printed document's pages.
    std::vector<std::vector<int>> Printed() const {
        std::vector<std::vector<int>> docs;
        for (const auto& doc : p300_->Documents()) {
            std::vector<int> pages;
            for (const auto& page : doc.pages) {
                int shown = 0;
                for (const auto& line : page)
                    for (int n = 1; n <= 1100 && !shown; ++n)
                        if (line.find("\"page " + std::to_string(n) + "\"") != std::string::npos)
                            shown = n;
                pages.push_back(shown);
            }
            docs.push_back(pages);
        }
        return docs;
    }
    using Docs = std::vector<std::vector<int>>;

    std::unique_ptr<TVex_Prev> preview_;
};

TEST_F(PreviewTest, OpensCentredMaximisedOnWholePageWithItsTexts) {
    Store(2);
    TRegIniFile ini("Tallet.Ini");
    ini.DeleteKey("Printer", "Preview Heading");
    ini.DeleteKey("Printer", "View Background");
    OpenPreview();
    EXPECT_EQ(P().Position(), poScreenCenter);
    EXPECT_EQ(P().WindowState(), wsMaximized);
    EXPECT_TRUE(P().KeyPreview());
    EXPECT_EQ(P().PrintPreview->ItemIndex(), kWholePageEntry);
    EXPECT_EQ(P().Caption(), "Ostra Preview");
    std::vector<std::string> entries;
    for (int i = 0; i < P().PrintPreview->Items().Count(); ++i)
        entries.push_back(P().PrintPreview->Items()[i]);
    EXPECT_EQ(entries, (std::vector<std::string>{"250%", "200%", "150%", "100%", "75%", "50%",
                                                 "25%", "10%", "Page Width", "Whole Page"}));
    EXPECT_EQ(P().Print->Caption(), "&All");
    EXPECT_EQ(P().Odd->Caption(), "&Odd");
    EXPECT_EQ(P().Even->Caption(), "&Even");
    EXPECT_EQ(P().Current->Caption(), "&Current");
    EXPECT_EQ(P().Additional->Caption(), "&Add nl");
    EXPECT_EQ(P().CloseButton->Caption(), "&Close");
    EXPECT_EQ(P().Page->Caption(), "Page");
    EXPECT_EQ(P().Label2->Caption(), "of");
    EXPECT_TRUE(P().PageTot->ReadOnly());
    EXPECT_EQ(P().PageTot->Color(), clSilver);
    EXPECT_EQ(P().ScrollBox1->Color(), static_cast<TColor>(1234));  // the settings' default
    EXPECT_EQ(P().PageNo->Text(), "1");
    EXPECT_EQ(P().PageTot->Text(), "2");
}

TEST_F(PreviewTest, ZoomSizesOfTheDefaultPage) {
    Open(1);
    P().PrintPreview->SetItemIndex(3);  // 100%
    P().PrintPreviewClick(nullptr);
    EXPECT_EQ(D().Width(), 850);
    EXPECT_EQ(D().Height(), 1122);
    EXPECT_EQ(D().Zoom(), 100);
    EXPECT_EQ(P().ScrollBox1->HorzScrollBar().Range(), 900);
    EXPECT_EQ(P().ScrollBox1->VertScrollBar().Range(), 1172);
    EXPECT_EQ(P().ScrollBox1->VertScrollBar().Increment(), 112);
    P().PrintPreview->SetItemIndex(0);  // 250%: Round(2125 x 3112 / 2400) + 20
    P().PrintPreviewClick(nullptr);
    EXPECT_EQ(D().Width(), 2125);
    EXPECT_EQ(D().Height(), 2775);
    EXPECT_EQ(D().Left(), P().Width() - 10 > 2125 ? (P().Width() - 10 - 2125) / 2 : 35);
    D().SetZoom(2000, 100);
    EXPECT_EQ(D().Left(), (2000 - 10 - 850) / 2);
    D().SetZoom(800, 100);
    EXPECT_EQ(D().Left(), 35);
}

TEST_F(PreviewTest, FittingEntriesUseTheScrollBox) {
    Open(1);
    P().WholePageButtonClick(nullptr);
    const int areaH = P().ScrollBox1->Height(), areaW = P().ScrollBox1->Width();
    const int pw = Printer().PageWidth(), ph = Printer().PageHeight();
    EXPECT_EQ(D().Height(), areaH - 40);
    const int width = static_cast<int>(std::nearbyint(static_cast<double>(pw) / ph * (areaH - 40)));
    EXPECT_EQ(D().Width(), width);
    EXPECT_EQ(D().Left(), (areaW - width) / 2);
    EXPECT_EQ(P().ScrollBox1->VertScrollBar().Range(), areaH - 40 + 50);
    EXPECT_EQ(P().ScrollBox1->HorzScrollBar().Increment(), width / 10);
    P().PageWidthButtonClick(nullptr);
    EXPECT_EQ(P().PrintPreview->ItemIndex(), kPageWidthEntry);
    EXPECT_EQ(D().Width(), areaW - 40);
    EXPECT_EQ(D().Height(),
              static_cast<int>(std::nearbyint(static_cast<double>(ph) / pw * (areaW - 40))));
}

TEST_F(PreviewTest, AResizedWindowGetsItsZoomAppliedAgain) {
    // The window manager maximises the window after it is shown: the fitting entries follow
    // the new area, a percentage is centred in the new width.
    Open(1);
    const int pw = Printer().PageWidth(), ph = Printer().PageHeight();
    P().SetBounds(0, 0, 1600, 1000);
    const int areaW = P().ScrollBox1->Width(), areaH = P().ScrollBox1->Height();
    ASSERT_GT(areaH, 800);
    EXPECT_EQ(P().PrintPreview->ItemIndex(), kWholePageEntry);
    EXPECT_EQ(D().Height(), areaH - 40);
    const int width = static_cast<int>(std::nearbyint(static_cast<double>(pw) / ph * (areaH - 40)));
    EXPECT_EQ(D().Width(), width);
    EXPECT_EQ(D().Left(), (areaW - width) / 2);
    EXPECT_EQ(P().ScrollBox1->VertScrollBar().Range(), areaH - 40 + 50);
    P().PageWidthButtonClick(nullptr);
    P().SetBounds(0, 0, 900, 700);
    EXPECT_EQ(D().Width(), P().ScrollBox1->Width() - 40);
    P().PrintPreview->SetItemIndex(3);
    P().PrintPreviewClick(nullptr);
    P().SetBounds(0, 0, 2000, 900);
    EXPECT_EQ(D().Width(), 850);
    EXPECT_EQ(D().Left(), (2000 - 10 - 850) / 2);
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 3);
}

TEST_F(PreviewTest, HundredPercentIsTheRealSizeForEveryPrinterResolution) {
    // A 600-pixels-per-inch page twice as many pixels wide shows as wide as a 300 one.
    Store(1);
    TRegIniFile ini("Tallet.Ini");
    ini.WriteString("Printer", "PageHeight", "6224");
    ini.WriteString("Printer", "PageWidth", "4800");
    ini.WriteString("Printer", "PrinterIndex", std::to_string(kLaser));
    OpenPreview();
    ASSERT_EQ(Printer().Caps().logPixelsX, 600);
    P().PrintPreview->SetItemIndex(3);
    P().PrintPreviewClick(nullptr);
    EXPECT_EQ(D().Width(), 850);
    EXPECT_EQ(D().Height(), 1122);
    P().PrintPreview->SetItemIndex(0);
    P().PrintPreviewClick(nullptr);
    EXPECT_EQ(D().Width(), 2125);
}

TEST_F(PreviewTest, EscapeClosesAndPageKeysStayWithThePageArea) {
    Open(3);
    // Page Down in the zoom list scrolls the page area and leaves the list's entry alone:
    // the key is used up before it reaches the list.
    EXPECT_FALSE(P().PrintPreview->InputKeyDown(VK_NEXT));
    EXPECT_EQ(P().PrintPreview->ItemIndex(), kWholePageEntry);
    EXPECT_FALSE(P().PrintPreview->InputKeyDown(VK_PRIOR));
    EXPECT_EQ(P().ScrollBox1->VertScrollBar().Position(), 0);
    preview_.reset();
    Headless().modalScripts.push_back([](TCustomForm& f) { f.InputKey(VK_ESCAPE, {}, 27); });
    ShowPreview();
    EXPECT_EQ(Headless().modalForms, std::vector<std::string>{"Vex_Prev"});
    EXPECT_FALSE(PageFileExists(1, poViewer));
}

TEST_F(PreviewTest, PageSizesOutOfRangeTakeTheDefault) {
    for (const char* bad : {"0", "-3112", "2147483647", "$7FFFFFFF"}) {
        Store(1);
        TRegIniFile ini("Tallet.Ini");
        ini.WriteString("Printer", "PageHeight", bad);
        ini.WriteString("Printer", "PageWidth", bad);
        OpenPreview();
        P().PrintPreview->SetItemIndex(0);  // 250 %
        P().PrintPreviewClick(nullptr);
        EXPECT_EQ(D().Width(), 2125) << bad;
        EXPECT_EQ(D().Height(), 2775) << bad;
        P().WholePageButtonClick(nullptr);
        EXPECT_EQ(D().Height(), P().ScrollBox1->Height() - 40) << bad;
        preview_.reset();
    }
    EXPECT_TRUE(Headless().boxes.empty());
}

TEST_F(PreviewTest, TheOptionsDialogIsScaledWithItsControls) {
    // Laid out at 120 pixels per inch, shown on a 96 one: every control shrinks with the
    // window, so that Print and Close stay inside it.
    ASSERT_EQ(Screen().PixelsPerInch(), 96);
    TAddition d(nullptr);
    EXPECT_EQ(d.Width(), 336);
    EXPECT_EQ(d.Height(), 264);
    EXPECT_EQ(d.Print->BoundsRect(), Rect(176, 200, 176 + 68, 200 + 24));
    EXPECT_EQ(d.CancelBtn->BoundsRect(), Rect(252, 200, 252 + 68, 200 + 24));
    EXPECT_EQ(d.PageRange->BoundsRect(), Rect(8, 6, 8 + 312, 6 + 120));
    EXPECT_EQ(d.Edit1->BoundsRect(), Rect(80, 56, 80 + 216, 56 + 19));  // inside the frame
    EXPECT_LE(d.CancelBtn->Top() + d.CancelBtn->Height(), d.ClientHeight());
    EXPECT_LE(d.CancelBtn->Left() + d.CancelBtn->Width(), d.ClientWidth());
    EXPECT_EQ(d.Font().Height(), -10);
}

TEST_F(PreviewTest, ZoomButtonsWrapAndTheMouseStepsTheLadder) {
    Open(1);
    P().PrintPreview->SetItemIndex(0);
    P().ZoomOutClick(nullptr);
    EXPECT_EQ(P().PrintPreview->ItemIndex(), kWholePageEntry);
    P().ZoomInClick(nullptr);
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 0);
    P().ZoomInClick(nullptr);
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 1);
    EXPECT_EQ(D().Width(), 1700);  // 200 %

    // Right click at 250 %: the control steps to 300 %, the list keeps "250%" and applies it.
    P().PrintPreview->SetItemIndex(0);
    P().PrintPreviewClick(nullptr);
    std::vector<int> messages;
    D().ZoomMessage = [&](int zoom) {
        messages.push_back(zoom);
        P().ZoomMessage(zoom);
    };
    D().InputMouseDown(mbRight, {}, 10, 10);
    EXPECT_EQ(messages, std::vector<int>{300});
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 0);
    EXPECT_EQ(D().Width(), 2125);
    // Left clicks walk down; at 10 % the zoom stays and the list's zoom is applied again.
    D().InputMouseDown(mbLeft, {}, 10, 10);
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 1);
    D().SetZoom(P().Width(), 10);
    P().PrintPreview->SetItemIndex(7);
    D().InputMouseDown(mbLeft, {}, 10, 10);
    EXPECT_EQ(messages.back(), 10);
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 7);
    const std::size_t before = messages.size();
    D().InputMouseDown(mbMiddle, {}, 10, 10);
    EXPECT_EQ(messages.size(), before);
    // A zoom off the ladder stays.
    D().SetZoom(P().Width(), 120);
    D().InputMouseDown(mbRight, {}, 10, 10);
    EXPECT_EQ(messages.back(), 120);
}

TEST_F(PreviewTest, CtrlPlusAndMinusStepTheLadder) {
    Open(1);
    P().PrintPreview->SetItemIndex(3);  // 100%
    P().PrintPreviewClick(nullptr);
    P().InputKeyDown(VK_OEM_PLUS, TShiftState{} + ssCtrl);
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 2);  // 150%
    EXPECT_EQ(D().Zoom(), 150);
    P().InputKeyDown(VK_SUBTRACT, TShiftState{} + ssCtrl);
    P().InputKeyDown(VK_OEM_MINUS, TShiftState{} + ssCtrl);
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 4);  // 75%
    P().InputKeyDown(VK_OEM_PLUS, {});            // without Ctrl: nothing
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 4);
}

TEST_F(PreviewTest, CtrlWheelStepsTheLadderAndAPlainWheelIsLeftToScrolling) {
    Open(1);
    P().PrintPreview->SetItemIndex(3);  // 100%
    P().PrintPreviewClick(nullptr);
    EXPECT_TRUE(D().InputMouseWheel(TShiftState{} + ssCtrl, 120, 10, 10));
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 2);  // 150%
    EXPECT_EQ(D().Zoom(), 150);
    EXPECT_TRUE(D().InputMouseWheel(TShiftState{} + ssCtrl, -120, 10, 10));
    EXPECT_TRUE(D().InputMouseWheel(TShiftState{} + ssCtrl, -240, 10, 10));
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 4);         // 75%
    EXPECT_FALSE(D().InputMouseWheel({}, 120, 10, 10));  // scrolls the page area instead
    EXPECT_FALSE(D().InputMouseWheel(TShiftState{} + ssCtrl, 0, 10, 10));
    EXPECT_EQ(P().PrintPreview->ItemIndex(), 4);
    EXPECT_EQ(D().Zoom(), 75);
}

TEST_F(PreviewTest, PageMovementAndThePageNumberField) {
    Open(3);
    EXPECT_EQ(P().PageTot->Text(), "3");
    P().NextPageClick(nullptr);
    P().NextPageClick(nullptr);
    P().NextPageClick(nullptr);
    EXPECT_EQ(D().CurrentPage(), 3);
    EXPECT_EQ(P().PageNo->Text(), "3");
    P().PrevPageClick(nullptr);
    EXPECT_EQ(P().PageNo->Text(), "2");
    Type(P().PageNo, "7");
    EXPECT_EQ(P().PageNo->Text(), "3");
    Type(P().PageNo, "0");
    EXPECT_EQ(P().PageNo->Text(), "1");
    Type(P().PageNo, "2000000000");  // clamped to the count first: no two billion file tests
    EXPECT_EQ(P().PageNo->Text(), "3");
    Type(P().PageNo, "-5");
    EXPECT_EQ(P().PageNo->Text(), "1");
    Type(P().PageNo, "2x");
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text, "'2x' is not a valid integer value.");
    EXPECT_EQ(D().CurrentPage(), 1);
    EXPECT_EQ(P().PageNo->Text(), "2x");
}

TEST_F(PreviewTest, HomeAndEndGoToTheFirstAndLastPage) {
    Open(4);
    P().InputKeyDown(VK_END);
    EXPECT_EQ(D().CurrentPage(), 4);
    EXPECT_EQ(P().PageNo->Text(), "4");
    P().InputKeyDown(VK_HOME);
    EXPECT_EQ(D().CurrentPage(), 1);
    EXPECT_EQ(P().PageNo->Text(), "1");
}

TEST_F(PreviewTest, PageUpAtTheTopStaysAtZero) {
    Open(1);
    P().PrintPreview->SetItemIndex(0);
    P().PrintPreviewClick(nullptr);
    P().InputKeyDown(VK_PRIOR);
    EXPECT_EQ(P().ScrollBox1->VertScrollBar().Position(), 0);
    P().InputKeyDown(VK_NEXT);
    const int down = P().ScrollBox1->VertScrollBar().Position();
    EXPECT_EQ(down, std::min(D().Height() / 20, P().ScrollBox1->VertScrollBar().MaxPosition()));
}

TEST_F(PreviewTest, PagesBeyondAThousandAreCountedShownAndPrinted) {
    Open(2);
    // Pages 3 .. 1002 as copies of page 2.
    for (int n = 3; n <= 1002; ++n)
        fs::copy_file(PageFileName(2, poViewer), PageFileName(n, poViewer));
    P().FormActivate(nullptr);
    EXPECT_EQ(P().PageTot->Text(), "1002");
    Type(P().PageNo, "1002");
    EXPECT_EQ(P().PageNo->Text(), "1002");
    P().PrintClick(nullptr);
    const Docs docs = Printed();
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].size(), 1002u);
}

TEST_F(PreviewTest, EachRequestIsOneDocumentWithItsPagesInOrder) {
    Open(5);
    P().OddClick(nullptr);
    P().EvenClick(nullptr);
    P().PrintClick(nullptr);
    P().NextPageClick(nullptr);
    P().NextPageClick(nullptr);
    P().CurrentClick(nullptr);
    EXPECT_EQ(Printed(), (Docs{{1, 3, 5}, {2, 4}, {1, 2, 3, 4, 5}, {3}}));
    for (const auto& doc : p300_->Documents()) EXPECT_TRUE(doc.ended);
    EXPECT_EQ(PrintDialog1, nullptr);
    EXPECT_TRUE(Headless().boxes.empty());
}

TEST_F(PreviewTest, CallBeforeAndCallAfterFrameEachRequest) {
    Open(2);
    std::vector<std::string> log;
    P().CallBefore = [&](TObject*) {
        log.push_back("before " + std::to_string(p300_->Documents().size()));
    };
    P().CallAfter = [&](TObject*) {
        log.push_back("after " + std::to_string(p300_->Documents().size()));
    };
    P().PrintClick(nullptr);
    P().CurrentClick(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"before 0", "after 1", "before 1", "after 2"}));
}

// A modal script for the options dialog: sets it up and presses Print (or Close).
std::function<void(TCustomForm&)> Options(std::function<void(TAddition&)> setup,
                                          bool print = true) {
    return [setup, print](TCustomForm& f) {
        auto& d = dynamic_cast<TAddition&>(f);
        setup(d);
        (print ? d.Print : d.CancelBtn)->Click();
    };
}

TEST_F(PreviewTest, TheOptionsDialogComesBackAfterEveryPrint) {
    Open(30);
    P().NextPageClick(nullptr);
    P().NextPageClick(nullptr);  // page 3 shown
    std::vector<std::string> seen;
    auto& s = Headless().modalScripts;
    s.push_back(Options([&](TAddition& d) {
        seen.push_back(d.Caption() + "|" + d.Copies->Text() + "|" +
                       std::to_string(d.ComboBox1->ItemIndex()) + "|" +
                       (d.All->Checked() ? "all" : "") + "|" + (d.Edit1->Enabled() ? "on" : "off"));
        d.Range->SetChecked(true);
        d.RangeClick(d.Range);
        d.Edit1->SetText("1,2,5,7-14,21");
    }));
    s.push_back(Options([](TAddition& d) {
        d.Current->SetChecked(true);
        d.RangeClick(d.Current);
        d.Copies->SetText("2");
    }));
    s.push_back(Options([](TAddition& d) {
        d.Current->SetChecked(true);
        d.ComboBox1->SetItemIndex(2);  // even pages of the current page 3: nothing
    }));
    s.push_back(Options([](TAddition& d) {
        d.All->SetChecked(true);
        d.ComboBox1->SetItemIndex(1);
        d.Copies->SetText("0");
    }));
    s.push_back(Options([](TAddition&) {}, false));
    int before = 0, after = 0;
    P().CallBefore = [&](TObject*) { ++before; };
    P().CallAfter = [&](TObject*) { ++after; };
    P().AdditionalClick(nullptr);
    EXPECT_EQ(seen, std::vector<std::string>{"Print Options|1|0|all|off"});
    EXPECT_EQ(Headless().modalForms.size(), 5u);
    EXPECT_EQ(before, 4);
    EXPECT_EQ(after, 4);
    EXPECT_EQ(Printed(), (Docs{{1, 2, 5, 7, 8, 9, 10, 11, 12, 13, 14, 21}, {3}, {3}}));
    // The field tells the page that is shown once the dialog has closed.
    P().PageNo->SetText("");
    P().FormActivate(nullptr);
    EXPECT_EQ(P().PageNo->Text(), "3");
}

TEST_F(PreviewTest, AConversionErrorInAListEndsTheRequestAndClosesTheStatusDialog) {
    Open(3);
    bool statusOpen = false;
    auto& s = Headless().modalScripts;
    s.push_back(Options([](TAddition& d) {
        d.Range->SetChecked(true);
        d.RangeClick(d.Range);
        d.Edit1->SetText("1,x");
        d.Copies->SetText("3");
    }));
    s.push_back(Options([&](TAddition&) { statusOpen = PrintDialog1 != nullptr; }, false));
    P().AdditionalClick(nullptr);
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text, "'x' is not a valid integer value.");
    EXPECT_FALSE(statusOpen);
    EXPECT_EQ(PrintDialog1, nullptr);
    // Page 1 was sent before the error and stays printed; no further copy was tried.
    EXPECT_EQ(Printed(), (Docs{{1}}));
    EXPECT_TRUE(p300_->Documents()[0].ended);
}

TEST_F(PreviewTest, CopiesThatAreNotANumberPrintNothing) {
    Open(2);
    Headless().modalScripts.push_back(Options([](TAddition& d) { d.Copies->SetText("two"); }));
    P().AdditionalClick(nullptr);
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text, "'two' is not a valid integer value.");
    EXPECT_TRUE(p300_->Documents().empty());
}

TEST_F(PreviewTest, RangeFieldsAreEnabledOnlyWithRange) {
    TAddition d(nullptr);
    EXPECT_EQ(d.Caption(), "Print Options");
    EXPECT_EQ(d.PageRange->Caption(), "Page Range");
    EXPECT_EQ(d.Range->Caption(), "Range");
    EXPECT_EQ(d.Label1->Caption(), "Enter page numbers and/or page ranges");
    EXPECT_EQ(d.Label3->Caption(), "separated by commas e.g. 1,2,5,7-14,21");
    EXPECT_EQ(d.Label4->Caption(), "# of Copies");
    EXPECT_EQ(d.Print->Caption(), "&Print");
    EXPECT_EQ(d.CancelBtn->Caption(), "&Close");
    EXPECT_EQ(d.ComboBox1->Items().Count(), 3);
    EXPECT_EQ(d.ComboBox1->Items()[2], "Print Even Pages");
    EXPECT_TRUE(d.Print->Default());
    EXPECT_TRUE(d.CancelBtn->Cancel());
    d.Range->SetChecked(true);
    d.RangeClick(d.Range);
    EXPECT_TRUE(d.Edit1->Enabled());
    EXPECT_TRUE(d.Label1->Enabled());
    d.Edit1->SetText("4-5");
    d.All->SetChecked(true);
    d.RangeClick(d.All);
    EXPECT_FALSE(d.Range->Checked());
    EXPECT_EQ(d.Edit1->Text(), "");
    EXPECT_FALSE(d.Edit1->Enabled());
    EXPECT_FALSE(d.Label3->Enabled());
}

TEST_F(PreviewTest, SettingsThatAreNotIntegersAreReportedAndThePreviewStaysUsable) {
    Store(2);
    TRegIniFile ini("Tallet.Ini");
    ini.WriteString("Printer", "PageHeight", "tall");
    ini.WriteString("Printer", "PageWidth", "0");
    ini.WriteString("Printer", "View Background", "blue");
    ini.WriteString("Printer", "PrinterIndex", "1.5");
    OpenPreview();
    std::vector<std::string> texts;
    for (const auto& box : Headless().boxes) texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"'tall' is not a valid integer value.",
                                               "'blue' is not a valid integer value.",
                                               "'1.5' is not a valid integer value."}));
    // The defaults stand in: 100 % is the default page's size.
    P().PrintPreview->SetItemIndex(3);
    P().PrintPreviewClick(nullptr);
    EXPECT_EQ(D().Width(), 850);
    EXPECT_EQ(D().Height(), 1122);
    EXPECT_EQ(P().ScrollBox1->Color(), static_cast<TColor>(1234));
    P().NextPageClick(nullptr);
    EXPECT_EQ(P().PageNo->Text(), "2");
    // Printing reads the printer index again and says why it does not print.
    Headless().boxes.clear();
    P().PrintClick(nullptr);
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text, "'1.5' is not a valid integer value.");
    EXPECT_TRUE(p300_->Documents().empty());
    ini.WriteString("Printer", "PrinterIndex", "-1");
    P().PrintClick(nullptr);
    EXPECT_EQ(Printed(), (Docs{{1, 2}}));
}

TEST_F(PreviewTest, ThePageStoreGoingAwayLeavesAUsablePreview) {
    Open(3);
    const fs::path store = fs::path(PageFileName(1, poViewer)).parent_path();
    ASSERT_FALSE(store.empty());
    fs::remove_all(store);
    P().NextPageClick(nullptr);
    EXPECT_EQ(D().CurrentPage(), 1);
    Type(P().PageNo, "3");
    EXPECT_EQ(P().PageNo->Text(), "1");
    P().PrintClick(nullptr);
    EXPECT_TRUE(p300_->Documents().empty());
    EXPECT_EQ(PrintDialog1, nullptr);
    P().FormActivate(nullptr);
    EXPECT_EQ(P().PageTot->Text(), "0");
}

TEST_F(PreviewTest, PaintingPlaysOnlyThePageShownIntoTheFrame) {
    Open(3);
    P().PrintPreview->SetItemIndex(3);
    P().PrintPreviewClick(nullptr);
    P().NextPageClick(nullptr);
    testing::RecordingDeviceContext dc(Screen().Caps());
    D().PaintTo(dc, 0, 0);
    const std::string calls = dc.Text();
    EXPECT_NE(calls.find("\"page 2\""), std::string::npos) << calls;
    EXPECT_EQ(calls.find("\"page 1\""), std::string::npos);
    EXPECT_EQ(calls.find("\"page 3\""), std::string::npos);
    EXPECT_NE(calls.find("SetMapMode 7"), std::string::npos);
    EXPECT_NE(calls.find("SetWindowExt 2400,3112"), std::string::npos) << calls;
    EXPECT_NE(calls.find("SetViewportExt 820,1092"), std::string::npos) << calls;
    // A page that is gone leaves the frame alone.
    fs::remove(PageFileName(3, poViewer));
    P().NextPageClick(nullptr);
    EXPECT_EQ(D().CurrentPage(), 2);
}

TEST_F(PreviewTest, APageTurnedTheOtherWayIsLaidOutInItsShapeAndPrintedTurned) {
    // A job of the printer's portrait page whose second page was laid out landscape.
    const auto page = [](int n, int width, int height) {
        EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{width, height, 300, 300}});
        rec.TextOut(100, 100, "page " + std::to_string(n));
        Result<std::vector<std::uint8_t>> data = rec.Finish();
        ASSERT_TRUE(data);
        ASSERT_TRUE(WritePageFile(PageFileName(n, poViewer), *data));
    };
    DeletePageFiles(poViewer);
    page(1, 2400, 3300);
    page(2, 3300, 2400);
    page(3, 2400, 3300);
    TRegIniFile ini("Tallet.Ini");
    ini.WriteString("Printer", "PageWidth", "2400");
    ini.WriteString("Printer", "PageHeight", "3300");
    ini.WriteString("Printer", "Orientation", "Portrait");
    OpenPreview();
    P().WholePageButtonClick(nullptr);
    const int height = P().ScrollBox1->Height() - 40;
    EXPECT_EQ(D().Height(), height);
    EXPECT_EQ(D().Width(), static_cast<int>(std::nearbyint(2400.0 / 3300 * height)));
    P().NextPageClick(nullptr);
    EXPECT_EQ(P().PageNo->Text(), "2");
    EXPECT_EQ(D().Height(), height);
    EXPECT_EQ(D().Width(), static_cast<int>(std::nearbyint(3300.0 / 2400 * height)));
    EXPECT_EQ(D().Left(), (P().ScrollBox1->Width() - D().Width()) / 2);
    // The page is played into the frame by its own page's shape.
    testing::RecordingDeviceContext dc(Screen().Caps());
    D().PaintTo(dc, 0, 0);
    EXPECT_NE(dc.Text().find("SetWindowExt 3300,2400"), std::string::npos) << dc.Text();
    // Home goes back to the first page, laid out upright again.
    std::uint16_t home = VK_HOME;
    P().FormKeyDown(nullptr, home, {});
    EXPECT_EQ(D().Width(), static_cast<int>(std::nearbyint(2400.0 / 3300 * height)));

    // Printed as one document whose second sheet is turned; the printer measures the job's
    // page afterwards, also after a request that began on the turned page.
    P().PrintClick(nullptr);
    ASSERT_EQ(p300_->Documents().size(), 1u);
    EXPECT_EQ(p300_->Documents()[0].pageOrientations,
              (std::vector<TPrinterOrientation>{poPortrait, poLandscape, poPortrait}));
    P().NextPageClick(nullptr);
    P().CurrentClick(nullptr);
    ASSERT_EQ(p300_->Documents().size(), 2u);
    EXPECT_EQ(p300_->Documents()[1].pageOrientations,
              std::vector<TPrinterOrientation>{poLandscape});
    EXPECT_EQ(Printer().Orientation(), poPortrait);
    EXPECT_EQ(Printer().PageWidth(), 2400);
    EXPECT_TRUE(Headless().boxes.empty());
}

TEST_F(PreviewTest, ClosingFreesThePageFiles) {
    Open(2);
    ASSERT_TRUE(PageFileExists(2, poViewer));
    Headless().modalScripts.push_back(
        [](TCustomForm& f) { dynamic_cast<TVex_Prev&>(f).CloseButton->Click(); });
    ShowPreview();
    EXPECT_EQ(Headless().modalForms, std::vector<std::string>{"Vex_Prev"});
    EXPECT_FALSE(PageFileExists(1, poViewer));
}

}  // namespace
}  // namespace quillon
