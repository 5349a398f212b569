// SPDX-License-Identifier: GPL-2.0-or-later
// Painting windows into a page: PaintWindowTo, the window borders, the self-printing
// requests; and NoPrinterAvailable.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/sys/desktop.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/base/Vex_Types.h"
#include "tests/printsuite/gdi_fixture.h"

namespace quillon {
namespace {

using Lines = std::vector<std::string>;

class WindowPaint : public testing::GdiTest {
  protected:
    void SetUp() override {
        GdiTest::SetUp();
        SetWindowPaintDC(&dc_);
        outer_ = new TPanel(&form_);
        outer_->SetName("Outer");
        outer_->SetParent(&form_);
        outer_->SetBevelOuter(bvNone);
        outer_->SetBounds(10, 10, 200, 100);
        field_ = new TEdit(&form_);
        field_->SetName("Field");
        field_->SetParent(outer_);
        field_->SetBounds(5, 6, 80, 20);
        field_->SetText("abc");
        label_ = new TLabel(&form_);
        label_->SetName("Words");
        label_->SetParent(outer_);
        label_->SetBounds(1, 40, 50, 15);
        label_->SetCaption("label text");
    }
    void TearDown() override {
        SetWindowPaintDC(nullptr);
        GdiTest::TearDown();
    }
    long Count(const std::string& line) const {
        return std::count(dc_.Lines().begin(), dc_.Lines().end(), line);
    }
    bool Has(const Lines& seq) const {
        const auto& l = dc_.Lines();
        return std::search(l.begin(), l.end(), seq.begin(), seq.end()) != l.end();
    }

    testing::RecordingDeviceContext dc_;
    TForm form_{nullptr};
    TPanel* outer_ = nullptr;
    TEdit* field_ = nullptr;
    TLabel* label_ = nullptr;
};

TEST_F(WindowPaint, EachWindowPaintsOnceInItsOwnPlaceAndClip) {
    PaintWindowTo(*outer_, dc_, 10, 10, 200, 100);
    // The panel: origin moved to its place, clipped to its size.
    EXPECT_TRUE(Has({"SaveDC", "SelectClipRgn 0,0,32000,32000", "SetWindowOrg -10,-10",
                     "IntersectClipRect 0,0,200,100"}))
        << dc_.Text();
    // The edit inside, in the same manner relative to the panel.
    EXPECT_TRUE(Has({"SaveDC", "SelectClipRgn 0,0,32000,32000", "SetWindowOrg -15,-16",
                     "IntersectClipRect 0,0,80,20"}))
        << dc_.Text();
    // Each painted once: the panel's pass leaves its window children to their own.
    long texts = 0;
    for (const auto& l : dc_.Lines())
        if (l.find("\"abc\"") != std::string::npos) ++texts;
    EXPECT_EQ(texts, 1) << dc_.Text();
    long labels = 0;
    for (const auto& l : dc_.Lines())
        if (l.find("\"label text\"") != std::string::npos) ++labels;
    EXPECT_EQ(labels, 1) << dc_.Text();
    // The edit's sunken client edge and the outline inside it; the panel has no border.
    EXPECT_TRUE(Has({"FillRect 0,0,79,1 solid #808080", "FillRect 0,0,1,19 solid #808080",
                     "FillRect 0,19,80,20 solid #FFFFFF", "FillRect 79,0,80,20 solid #FFFFFF",
                     "FillRect 1,1,78,2 solid #000000", "FillRect 1,1,2,18 solid #000000",
                     "FillRect 1,18,79,19 solid #C0C0C0", "FillRect 78,1,79,19 solid #C0C0C0",
                     "MoveTo 2,2", "LineTo 78,2", "LineTo 78,18", "LineTo 2,18", "LineTo 2,2"}))
        << dc_.Text();
    EXPECT_EQ(Count("MoveTo 2,2"), 1);
    // Every save is restored.
    EXPECT_EQ(Count("SaveDC"), Count("RestoreDC -1") + Count("RestoreDC 1") + Count("RestoreDC 2") +
                                   Count("RestoreDC 3") + Count("RestoreDC 4"));
    EXPECT_EQ(dc_.SaveDepth(), 0);
}

TEST_F(WindowPaint, HiddenWindowsAreLeftOut) {
    field_->SetVisible(false);
    PaintWindowTo(*outer_, dc_, 10, 10, 200, 100);
    for (const auto& l : dc_.Lines()) EXPECT_EQ(l.find("\"abc\""), std::string::npos) << l;
    EXPECT_EQ(Count("SetWindowOrg -15,-16"), 0);
}

TEST_F(WindowPaint, BordersByStyle) {
    DrawWindowBorder(*outer_, 200, 100);
    EXPECT_TRUE(dc_.Lines().empty());
    outer_->SetBorderStyle(bsSingle);
    EXPECT_EQ(WindowBorderOf(*outer_), WindowBorder::ClientEdge);
    field_->SetBorderStyle(bsNone);
    EXPECT_EQ(WindowBorderOf(*field_), WindowBorder::None);
    DrawWindowBorder(*outer_, 200, 100);
    EXPECT_EQ(dc_.Lines().size(), 13u);
    EXPECT_EQ(dc_.Lines().back(), "LineTo 2,2");
    // Without a window-painting context nothing is drawn.
    SetWindowPaintDC(nullptr);
    dc_.Clear();
    DrawWindowBorder(*outer_, 200, 100);
    EXPECT_TRUE(dc_.Lines().empty());
}

TEST_F(WindowPaint, TitledPanelsKeepTheirOriginAndFrameBelowTheStrip) {
    auto* titled = new TVexCustom(&form_);
    titled->SetName("Titled");
    titled->SetParent(&form_);
    titled->SetBorderStyle(bsSingle);
    titled->SetBounds(30, 40, 100, 60);
    PaintWindowTo(*titled, dc_, 30, 40, 100, 60);
    const auto& l = dc_.Lines();
    ASSERT_GE(l.size(), 2u);
    EXPECT_EQ(l[0], "SaveDC");
    EXPECT_NE(l[1], "SelectClipRgn 0,0,32000,32000");  // no clip reset, no origin move first
    // The border is drawn 20 pixels down, over the height less the strip.
    EXPECT_TRUE(Has({"SetWindowOrg -30,-60", "FillRect 0,0,99,1 solid #808080"})) << dc_.Text();
    EXPECT_EQ(Count("LineTo 98,38"), 1) << dc_.Text();
}

// A self-printing control and a continuation panel, as the rich edit and its continuation
// are.
class SelfPrinter : public TCustomControl, public TVexSelfPrinting {
  public:
    using TCustomControl::TCustomControl;
    int PrintRequest(const TVexPrint& r) override {
        requests.push_back(r);
        return kVexPrintedPart;
    }
    void RewindPrinting() override {}
    int UnprintedLength() const override { return 0; }
    std::string PrintingName() const override { return Name(); }
    std::vector<TVexPrint> requests;
};

class Continuation : public TCustomControl, public TVexContinuing {
  public:
    using TCustomControl::TCustomControl;
    TVexSelfPrinting* ContinuedControl() const override { return target; }
    TVexSelfPrinting* target = nullptr;
};

// The mapping the form printer sets before a control paints itself: screen pixels of the
// control scaled by printer / screen resolution, its top-left corner at (x1, y1).
void ControlMapping(DeviceContext& dc, int x1, int y1, int w, int h) {
    dc.SetMapMode(MM_ISOTROPIC);
    dc.SetViewportOrgEx(x1, y1);
    dc.SetWindowExtEx(w, h);
    dc.SetViewportExtEx(w * 600 / 96, h * 600 / 96);  // laser: 600 / 96 = 6.25
}

TEST_F(WindowPaint, SelfPrintingControlsGetTheirOwnPageRectangle) {
    auto* rich = new SelfPrinter(&form_);
    rich->SetParent(&form_);
    rich->SetBounds(16, 32, 96, 48);
    // Printed by itself at page pixels (300, 500): the request is the control's own page
    // rectangle, 96 x 48 screen pixels at 6.25 printer pixels each.
    ControlMapping(dc_, 300, 500, 96, 48);
    PaintWindowTo(*rich, dc_, 0, 0, 96, 48);
    ASSERT_EQ(rich->requests.size(), 1u);
    const TVexPrint& r = rich->requests[0];
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 500);
    EXPECT_EQ(r.currentX, 300);
    EXPECT_EQ(r.currentY, 500);
    EXPECT_EQ(r.right, 900);
    EXPECT_EQ(r.bottom, 800);
    EXPECT_EQ(r.dc, &dc_);

    // A continuation panel at page pixels (1000, 2000), 64 x 32 screen pixels.
    auto* more = new Continuation(&form_);
    more->SetParent(&form_);
    more->SetBounds(16, 96, 64, 32);
    ControlMapping(dc_, 1000, 2000, 64, 32);
    PaintWindowTo(*more, dc_, 0, 0, 64, 32);  // names no control: nothing is sent
    EXPECT_EQ(rich->requests.size(), 1u);
    more->target = rich;
    PaintWindowTo(*more, dc_, 0, 0, 64, 32);
    ASSERT_EQ(rich->requests.size(), 2u);
    const TVexPrint& c = rich->requests[1];
    EXPECT_EQ(c.left, 1000);
    EXPECT_EQ(c.top, 2000);
    EXPECT_EQ(c.right, 1400);
    EXPECT_EQ(c.bottom, 2200);

    // Inside a panel that paints its children itself, the control's place in the panel
    // counts: (16, 8) screen pixels into a panel printed at (0, 0).
    auto* box = new TPanel(&form_);
    box->SetParent(&form_);
    box->SetBounds(0, 0, 200, 100);
    auto* inner = new SelfPrinter(&form_);
    inner->SetParent(box);
    inner->SetBounds(16, 8, 96, 48);
    ControlMapping(dc_, 0, 0, 200, 100);
    PaintWindowTo(*box, dc_, 0, 0, 200, 100);
    ASSERT_EQ(inner->requests.size(), 1u);
    EXPECT_EQ(inner->requests[0].left, 100);
    EXPECT_EQ(inner->requests[0].top, 50);
    EXPECT_EQ(inner->requests[0].right, 700);
    EXPECT_EQ(inner->requests[0].bottom, 350);
}

TEST(NoPrinterAvailable, SaysSoOnlyWithoutPrinters) {
    Headless().Reset();
    {
        ScopedGraphicsBackend none(nullptr);
        Printer().Refresh();
        EXPECT_TRUE(NoPrinterAvailable());
        ASSERT_EQ(Headless().boxes.size(), 1u);
        EXPECT_EQ(Headless().boxes[0].text, "Error: No Printer Available");
        EXPECT_EQ(Headless().boxes[0].flags, MB_OK | MB_ICONINFORMATION);
    }
    testing::TestGraphicsBackend backend;
    backend.AddPrinter("Laser", 600, 600, 4800, 6600);
    ScopedGraphicsBackend scope(&backend);
    Printer().Refresh();
    EXPECT_FALSE(NoPrinterAvailable());
    EXPECT_EQ(Headless().boxes.size(), 1u);
    Headless().Reset();
}

}  // namespace
}  // namespace quillon
