// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/printer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/emf/emf_recorder.h"
#include "platform/gdi/screen.h"
#include "tests/support/fake_printer.h"

namespace quillon {
namespace {

using testing::TestGraphicsBackend;

TEST(Printer, WithoutABackendThereAreNoPrintersAndAScreen) {
    ScopedGraphicsBackend none(nullptr);
    EXPECT_TRUE(Printer().Printers().empty());
    EXPECT_EQ(Printer().PrinterIndex(), -1);
    EXPECT_EQ(Printer().PageWidth(), 0);
    EXPECT_FALSE(Printer().BeginDoc());
    EXPECT_EQ(Printer().LastError(), "There is no default printer currently selected");
    EXPECT_EQ(Screen().PixelsPerInch(), 96);
    EXPECT_EQ(Screen().Width(), 1024);
    EXPECT_EQ(Screen().Height(), 768);
    // Measuring still works (screen caps).
    Printer().Canvas().Font().SetHeight(-20);
    EXPECT_EQ(Printer().Canvas().TextWidth("abc"), 30);
}

TEST(Printer, ListsBackendPrintersAndResolvesTheDefault) {
    TestGraphicsBackend backend;
    auto laser = backend.AddPrinter("Laser", 600, 600, 4800, 6324);
    auto generic = backend.AddPrinter("Generic / Text Only", 60, 72, 480, 792);
    backend.SetDefaultPrinterIndex(1);
    ScopedGraphicsBackend scope(&backend);
    TPrinter& p = Printer();
    EXPECT_EQ(p.Printers(), (std::vector<std::string>{"Laser", "Generic / Text Only"}));
    EXPECT_EQ(p.PrinterIndex(), 1);
    EXPECT_EQ(p.PrinterName(), "Generic / Text Only");
    EXPECT_TRUE(p.SetPrinterIndex(0));
    EXPECT_EQ(p.PageWidth(), 4800);
    EXPECT_EQ(p.PageHeight(), 6324);
    EXPECT_EQ(p.Handle()->GetDeviceCaps(LOGPIXELSX), 600);
    EXPECT_FALSE(p.SetPrinterIndex(2));
    EXPECT_TRUE(p.SetPrinterIndex(-1));
    EXPECT_EQ(p.PrinterIndex(), 1);
    EXPECT_EQ(p.Handle()->GetDeviceCaps(LOGPIXELSX), 60);
    EXPECT_EQ(p.Handle()->GetDeviceCaps(LOGPIXELSY), 72);
    // Landscape swaps the axes.
    p.SetOrientation(poLandscape);
    EXPECT_EQ(p.PageWidth(), 792);
    EXPECT_EQ(p.Handle()->GetDeviceCaps(LOGPIXELSX), 72);
    p.SetOrientation(poPortrait);
}

TEST(Printer, APageOfADocumentMayTurnToTheOtherOrientation) {
    TestGraphicsBackend backend;
    auto laser = backend.AddPrinter("Laser", 300, 300, 2400, 3150);
    ScopedGraphicsBackend scope(&backend);
    TPrinter& p = Printer();
    p.SetPrinterIndex(0);
    p.SetOrientation(poPortrait);
    ASSERT_TRUE(p.BeginDoc());
    DeviceContext* first = p.Handle();
    ASSERT_TRUE(p.NewPage(poLandscape));
    // The canvas draws on the turned page, whose size is the sheet's other way round.
    EXPECT_NE(p.Handle(), first);
    EXPECT_EQ(p.PageWidth(), 3150);
    EXPECT_EQ(p.PageHeight(), 2400);
    p.Canvas().MoveTo(0, 0);
    p.Canvas().LineTo(3000, 0);
    ASSERT_TRUE(p.NewPage());  // keeps the page before's orientation
    EXPECT_EQ(p.PageWidth(), 3150);
    ASSERT_TRUE(p.NewPage(poPortrait));
    EXPECT_EQ(p.PageWidth(), 2400);
    EXPECT_EQ(p.PageNumber(), 4);
    // The document's own orientation is still the one it began with.
    EXPECT_EQ(p.Orientation(), poPortrait);
    ASSERT_TRUE(p.EndDoc());
    const auto& doc = laser->Documents().back();
    EXPECT_EQ(doc.pageOrientations,
              (std::vector<TPrinterOrientation>{poPortrait, poLandscape, poLandscape, poPortrait}));
    ASSERT_EQ(doc.pages.size(), 4U);
    EXPECT_NE(std::find(doc.pages[1].begin(), doc.pages[1].end(), "LineTo 3000,0"),
              doc.pages[1].end());
    EXPECT_FALSE(p.NewPage(poLandscape));  // not printing
    EXPECT_EQ(p.LastError(), "Printer is not currently printing");
}

TEST(Printer, DocumentPagesReachThePrinterDouble) {
    TestGraphicsBackend backend;
    auto laser = backend.AddPrinter("Laser", 300, 300, 2400, 3150);
    ScopedGraphicsBackend scope(&backend);
    TPrinter& p = Printer();
    p.SetPrinterIndex(0);
    p.SetTitle("Report");
    ASSERT_TRUE(p.BeginDoc());
    EXPECT_TRUE(p.Printing());
    EXPECT_FALSE(p.BeginDoc());
    EXPECT_FALSE(p.SetPrinterIndex(0));
    p.Canvas().MoveTo(0, 0);
    p.Canvas().LineTo(100, 0);
    EXPECT_TRUE(p.NewPage());
    EXPECT_EQ(p.PageNumber(), 2);
    p.Canvas().Rectangle(1, 2, 3, 4);
    EXPECT_TRUE(p.EndDoc());
    EXPECT_FALSE(p.Printing());
    EXPECT_FALSE(p.EndDoc());
    ASSERT_EQ(laser->Documents().size(), 1u);
    const auto& doc = laser->Documents()[0];
    EXPECT_EQ(doc.title, "Report");
    EXPECT_TRUE(doc.ended);
    ASSERT_EQ(doc.pages.size(), 2u);
    EXPECT_EQ(doc.pages[0],
              (std::vector<std::string>{"MoveTo 0,0", "SelectPen solid 1 #000000",
                                        "SelectBrush solid #FFFFFF", "SetBkColor #FFFFFF",
                                        "SetBkMode opaque", "LineTo 100,0",
                                        // the canvas lets go of its objects at the page end
                                        "SelectPen solid 0 #000000", "SelectBrush null"}));
    EXPECT_EQ(doc.pages[1][doc.pages[1].size() - 3], "Rectangle 1,2,3,4");

    ASSERT_TRUE(p.BeginDoc());
    p.Abort();
    EXPECT_TRUE(p.Aborted());
    EXPECT_FALSE(p.Printing());
    EXPECT_TRUE(laser->Documents()[1].aborted);

    laser->FailNextBeginDoc("out of paper");
    EXPECT_FALSE(p.BeginDoc());
    EXPECT_EQ(p.LastError(), "out of paper");
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(Printer, CanvasFontKeepsItsPointSizeAtThePrinterResolution) {
    testing::TestGraphicsBackend backend;
    backend.AddPrinter("Laser", 600, 600, 4800, 6324);
    backend.AddPrinter("Draft", 150, 150, 1200, 1581);
    ScopedGraphicsBackend scope(&backend);
    TPrinter& p = Printer();
    p.SetPrinterIndex(0);
    p.Canvas().Font().SetSize(12);
    EXPECT_EQ(p.Canvas().Font().PixelsPerInch(), 600);
    EXPECT_EQ(p.Canvas().Font().Height(), -100);
    EXPECT_EQ(p.Canvas().TextHeight("X"), 100);  // measured at the printer's pixels
    p.SetPrinterIndex(1);
    EXPECT_EQ(p.Canvas().Font().Height(), -25);
    EXPECT_EQ(p.Canvas().Font().Size(), 12);
}

TEST(Printer, StoredPageLandsOnThePrinterPixelsItWasDrawnAt) {
    testing::TestGraphicsBackend backend;
    auto laser = backend.AddPrinter("Laser", 300, 300, 2400, 3150);
    ScopedGraphicsBackend scope(&backend);
    // A page recorded in printer pixels against the screen ...
    EmfRecorder page(EmfRecorderOptions{std::nullopt, EmfPageInfo{2400, 3150, 300, 300}});
    page.Rectangle(150, 150, 2250, 3000);
    page.TextOut(2000, 2900, "Page 1");
    const std::vector<std::uint8_t> bytes = page.Finish();
    // ... played into (0, 0, screen width, screen height) of the printer canvas.
    TPrinter& p = Printer();
    p.SetPrinterIndex(0);
    ASSERT_TRUE(p.BeginDoc());
    ASSERT_TRUE(p.Canvas().Handle()->PlayEnhMetaFile(
        bytes, TRect{0, 0, Screen().Width(), Screen().Height()}));
    ASSERT_TRUE(p.EndDoc());
    const auto& printed = laser->Documents().at(0).pages.at(0);
    EXPECT_EQ(printed,
              (std::vector<std::string>{"SaveDC", "Rectangle 150,150,2250,3000",
                                        "ExtTextOut 2000,2900 opts 0 \"Page 1\" dx 8,8,8,8,8,8",
                                        "RestoreDC 1"}));
}

}  // namespace
}  // namespace quillon
