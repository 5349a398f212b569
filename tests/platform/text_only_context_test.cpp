// SPDX-License-Identifier: GPL-2.0-or-later
// The text-only context: words reach the target where its own mapping puts them, with the
// font, colour and alignment they were written in; figures, fills, pictures and clips do not.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/text_only_context.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

using testing::RecordingDeviceContext;

TEST(TextOnlyContext, PassesTextAndWhatPlacesItAndDropsEverythingElse) {
    RecordingDeviceContext page;
    page.SetMapMode(MM_ISOTROPIC);
    page.SetWindowExtEx(100, 50);
    page.SetViewportExtEx(600, 300);
    page.SetViewportOrgEx(400, 200);
    page.Clear();
    TextOnlyContext text(page);
    // It starts where the page is: a point of the control lands on the same page pixel.
    EXPECT_EQ(text.LPtoDP({10, 5}).X, page.LPtoDP({10, 5}).X);
    EXPECT_EQ(text.LPtoDP({10, 5}).Y, page.LPtoDP({10, 5}).Y);
    EXPECT_TRUE(page.Lines().empty());

    const std::uint32_t pixel = 0xFF00FF00;
    text.Rectangle(0, 0, 10, 10);
    text.Ellipse(0, 0, 10, 10);
    text.FillRect(TRect{0, 0, 5, 5}, LogBrush{BS_SOLID, 0xFF, 0});
    text.StretchDIBits(0, 0, 4, 4, 0, 0, 1, 1, BitmapView{1, 1, {&pixel, 1}});
    text.IntersectClipRect(0, 0, 3, 3);
    text.SetBkMode(OPAQUE);
    text.SetTextColor(0x0000FF);
    text.SetTextAlign(TA_RIGHT);
    text.OffsetWindowOrgEx(-8, -4);
    const TRect box{0, 0, 40, 10};
    text.ExtTextOut(2, 3, ETO_OPAQUE | ETO_CLIPPED, &box, u"Go");
    text.MoveTo(1, 1);
    text.LineTo(30, 7);
    std::vector<std::string> lines = page.Lines();
    for (std::string& l : lines)  // the advances are the measurer's
        if (l.rfind("ExtTextOut", 0) == 0) l.erase(l.find(" dx "));
    EXPECT_EQ(lines, (std::vector<std::string>{"SetTextColor #FF0000", "SetTextAlign 2",
                                               "SetWindowOrg -8,-4", "SetBkMode transparent",
                                               "ExtTextOut 2,3 opts 0 \"Go\"", "SetBkMode opaque",
                                               "MoveTo 1,1", "MoveTo 30,7"}));
}

TEST(TextOnlyContext, RestoresTheTargetToTheLevelsItSaved) {
    RecordingDeviceContext page;
    page.SaveDC();  // a level of the page's own before the control paints
    TextOnlyContext text(page);
    const int level = text.SaveDC();
    EXPECT_EQ(level, 1);
    EXPECT_EQ(page.SaveDepth(), 2);
    text.SetTextColor(0x123456);
    EXPECT_TRUE(text.RestoreDC(level));
    EXPECT_EQ(page.SaveDepth(), 1);  // the page's own save stays
    EXPECT_EQ(page.State().textColor, 0u);
}

}  // namespace
}  // namespace quillon
