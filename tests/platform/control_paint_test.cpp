// SPDX-License-Identifier: GPL-2.0-or-later
// Controls that paint themselves do it through a canvas on any device
// context: the same calls land on a recording context as on the screen.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

using testing::RecordingDeviceContext;

std::vector<std::string> Drawing(const RecordingDeviceContext& dc) {
    return dc.LinesStartingWith({"SetWindowOrg", "IntersectClipRect", "Rectangle", "Ellipse",
                                 "RoundRect", "FillRect", "Polyline", "MoveTo", "LineTo", "TextOut",
                                 "ExtTextOut", "SelectPen", "SelectBrush", "SetPixel"});
}

TEST(ControlPaint, ShapesDrawTheirFigureWithTheirPenAndBrush) {
    TForm form(nullptr);
    auto* shape = new TShape(&form);
    shape->SetParent(&form);
    shape->SetBounds(0, 0, 100, 40);
    shape->SetShape(stCircle);
    shape->Brush().SetColor(clRed);
    shape->Pen().SetColor(clBlue);
    RecordingDeviceContext dc;
    shape->PaintTo(dc, 10, 20);
    // A circle in a 100 x 40 box is 40 across and centred; (10, 20) moves the origin.
    EXPECT_EQ(Drawing(dc),
              (std::vector<std::string>{"SetWindowOrg -10,-20", "IntersectClipRect 0,0,100,40",
                                        "SelectPen solid 1 #0000FF", "SelectBrush solid #FF0000",
                                        "Ellipse 30,0,70,40", "SelectPen solid 0 #000000",
                                        "SelectBrush null"}));
    EXPECT_EQ(dc.SaveDepth(), 0);  // the context is as it was
    // A round square with a wide pen keeps inside the box.
    shape->SetShape(stRoundSquare);
    shape->Pen().SetWidth(3);
    dc.Clear();
    shape->PaintTo(dc, 0, 0);
    const auto lines = dc.LinesStartingWith({"RoundRect"});
    EXPECT_EQ(lines, std::vector<std::string>{"RoundRect 31,1,69,39 corner 9,9"});
}

TEST(ControlPaint, PanelsDrawBevelsFaceAndCaption) {
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 50, 20);
    panel->SetCaption("Hi");
    panel->SetBevelOuter(bvLowered);
    panel->SetColor(clWhite);
    RecordingDeviceContext dc;
    panel->PaintTo(dc, 0, 0);
    // Lowered bevel: shadow on the top and left, highlight on the bottom and
    // right; then the face and the caption centred in it.
    EXPECT_EQ(
        Drawing(dc),
        (std::vector<std::string>{
            "SetWindowOrg 0,0", "IntersectClipRect 0,0,50,20", "SelectPen solid 1 #808080",
            "SelectBrush solid #FFFFFF", "Polyline 0,19 0,0 49,0", "SelectPen solid 1 #FFFFFF",
            "Polyline 49,0 49,19 -1,19", "FillRect 1,1,49,19 solid #FFFFFF", "SelectBrush null",
            "ExtTextOut 19,4 opts 4 rect 1,1,49,19 \"Hi\" dx 6,5", "SelectPen solid 0 #000000",
            "SelectBrush null"}));
}

TEST(ControlPaint, CustomControlsPaintThroughOnPaintAndChildrenFollow) {
    TForm form(nullptr);
    auto* box = new TPanel(&form);
    box->SetParent(&form);
    box->SetBounds(0, 0, 40, 30);
    box->SetBevelOuter(bvNone);
    box->OnPaint = [&](TObject*) {
        box->Canvas().Pen().SetColor(clRed);
        box->Canvas().MoveTo(1, 1);
        box->Canvas().LineTo(5, 5);
    };
    auto* inner = new TShape(&form);
    inner->SetParent(box);
    inner->SetBounds(10, 12, 4, 4);
    RecordingDeviceContext dc;
    box->PaintTo(dc, 100, 200);
    const auto lines = dc.LinesStartingWith({"SetWindowOrg", "MoveTo", "LineTo", "Rectangle"});
    EXPECT_EQ(lines, (std::vector<std::string>{"SetWindowOrg -100,-200", "MoveTo 1,1", "LineTo 5,5",
                                               "SetWindowOrg -110,-212", "Rectangle 0,0,4,4"}));
}

TEST(ControlPaint, LabelsAndBevels) {
    TForm form(nullptr);
    form.Font().SetHeight(-12);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetCaption("Total");
    label->SetColor(clWhite);
    RecordingDeviceContext dc;
    label->PaintTo(dc, 5, 5);
    EXPECT_EQ(Drawing(dc),
              (std::vector<std::string>{
                  "SetWindowOrg -5,-5", "IntersectClipRect 0,0,30,12", "SelectBrush solid #FFFFFF",
                  "FillRect 0,0,30,12 solid #FFFFFF", "SelectBrush null", "TextOut 0,0 \"Total\"",
                  "MoveTo 30,0", "SelectBrush null"}));
    // A transparent label leaves its background alone.
    label->SetTransparent(true);
    dc.Clear();
    label->PaintTo(dc, 0, 0);
    EXPECT_TRUE(dc.LinesStartingWith({"FillRect"}).empty());
    auto* bevel = new TBevel(&form);
    bevel->SetParent(&form);
    bevel->SetBounds(0, 0, 10, 5);
    RecordingDeviceContext dc2;
    bevel->PaintTo(dc2, 0, 0);
    EXPECT_EQ(dc2.LinesStartingWith({"Polyline"}),
              (std::vector<std::string>{"Polyline 0,4 0,0 9,0", "Polyline 9,0 9,4 0,4"}));
    bevel->SetShape(bsTopLine);
    bevel->SetStyle(bsRaised);
    dc2.Clear();
    bevel->PaintTo(dc2, 0, 0);
    EXPECT_EQ(dc2.LinesStartingWith({"SelectPen", "MoveTo", "LineTo"}),
              (std::vector<std::string>{"MoveTo 0,0", "SelectPen solid 1 #FFFFFF", "LineTo 10,0",
                                        "MoveTo 0,1", "SelectPen solid 1 #808080", "LineTo 10,1",
                                        "SelectPen solid 0 #000000"}));
}

}  // namespace
}  // namespace quillon
