// SPDX-License-Identifier: GPL-2.0-or-later
// Component bases: the enumerations' ordinals, TVexComponent, TVexCustom's client area,
// painting and form-file form.
#include "printsuite/base/Vex_Types.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

using Lines = std::vector<std::string>;

TEST(VexEnumerations, OrdinalsAsFormsStoreThem) {
    EXPECT_EQ(static_cast<int>(stButton), 5);
    EXPECT_EQ(static_cast<int>(stSunken), 3);
    EXPECT_EQ(static_cast<int>(tText), 5);
    EXPECT_EQ(static_cast<int>(tPageNumber), 2);
    EXPECT_EQ(static_cast<int>(tFirstAndlast), 5);
    EXPECT_EQ(static_cast<int>(tAllButFirstAndLast), 6);
    EXPECT_EQ(static_cast<int>(frThickThick), 4);
    EXPECT_EQ(static_cast<int>(poCentimetres), 1);
    EXPECT_EQ(static_cast<int>(poViewer), 1);
    EXPECT_EQ(static_cast<int>(poHTML), 2);
    EXPECT_EQ(kOutputHigh, poViewer);
}

class Named : public TVexComponent {
  public:
    using TVexComponent::TVexComponent;
    std::string GetComponentName() override { return "Named component"; }
    void Execute() override { ++runs; }
    int runs = 0;
};

TEST(TVexComponent, BaseDoesNothingAndNamesNothing) {
    TComponent owner(nullptr);
    auto* plain = new TVexComponent(&owner);
    EXPECT_EQ(plain->GetComponentName(), "");
    plain->Execute();
    EXPECT_EQ(plain->Owner(), &owner);
    EXPECT_EQ(plain->ClassName(), "TVexComponent");
    // Through the base, the derived operations run.
    TVexComponent* derived = new Named(&owner);
    derived->Execute();
    EXPECT_EQ(derived->GetComponentName(), "Named component");
    EXPECT_EQ(static_cast<Named*>(derived)->runs, 1);
    EXPECT_EQ(owner.ComponentCount(), 2);  // the owner destroys both
}

TEST(TVexCustom, ClientAreaBelowTheTitleStrip) {
    TForm form(nullptr);
    auto* panel = new TVexCustom(&form);
    panel->SetParent(&form);
    panel->SetBounds(10, 10, 200, 100);
    EXPECT_EQ(panel->ClientRect(), (TRect{0, 19, 200, 100}));
    EXPECT_EQ(panel->ClientHeight(), 81);
    // An aligned child fills what is below the strip.
    auto* inner = new TPanel(&form);
    inner->SetParent(panel);
    inner->SetBevelOuter(bvNone);
    inner->SetAlign(alClient);
    // (inside the panel's one-pixel raised bevel).
    EXPECT_EQ(inner->BoundsRect(), (TRect{1, 20, 199, 99}));
}

TEST(TVexCustom, PaintsItsTitleStripWithNameEdgeAndPointer) {
    TForm form(nullptr);
    auto* panel = new TVexCustom(&form);
    panel->SetName("Totals");
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 120, 60);
    panel->SetCaption("gone");
    testing::RecordingDeviceContext dc;
    panel->PaintTo(dc, 0, 0);
    EXPECT_EQ(panel->Caption(), "");
    const Lines& l = dc.Lines();
    auto at = [&](const std::string& line) {
        return std::find(l.begin(), l.end(), line) - l.begin();
    };
    auto has = [&](const std::string& line) { return at(line) < static_cast<long>(l.size()); };
    EXPECT_TRUE(has("Rectangle 0,0,120,60")) << dc.Text();
    EXPECT_TRUE(has("SelectBrush solid #C0C0C0"));
    EXPECT_TRUE(has("Rectangle 0,0,120,20"));
    EXPECT_TRUE(has("SelectFont \"MS Sans Serif\" -9 w400"));
    EXPECT_TRUE(has("TextOut 15,2 \"Totals\""));
    EXPECT_LT(at("Rectangle 0,0,120,60"), at("Rectangle 0,0,120,20"));
    EXPECT_LT(at("Rectangle 0,0,120,20"), at("TextOut 15,2 \"Totals\""));
    // The raised edge: white up and across, grey down and back (the canvas selects its pen
    // when it first draws with it).
    const Lines edge = {"MoveTo 1,18",  "SelectPen solid 1 #FFFFFF", "LineTo 1,1",
                        "LineTo 119,1", "SelectPen solid 1 #808080", "LineTo 119,18",
                        "LineTo 2,18"};
    const auto e = std::search(l.begin(), l.end(), edge.begin(), edge.end());
    EXPECT_NE(e, l.end()) << dc.Text();
    // The pointer: seven black columns, each from its first to its second point.
    const Lines pointer = {"MoveTo 5,10",  "SelectPen solid 1 #000000",
                           "LineTo 5,11",  "MoveTo 6,10",
                           "LineTo 6,12",  "MoveTo 7,4",
                           "LineTo 7,13",  "MoveTo 8,4",
                           "LineTo 8,14",  "MoveTo 9,4",
                           "LineTo 9,13",  "MoveTo 10,10",
                           "LineTo 10,12", "MoveTo 11,10",
                           "LineTo 11,11"};
    EXPECT_NE(std::search(l.begin(), l.end(), pointer.begin(), pointer.end()), l.end())
        << dc.Text();
}

TEST(TVexCustom, ReadFromAndWrittenToFormFiles) {
    RegisterVexClasses();
    ASSERT_EQ(FindClass("TVexCustom"), &TVexCustom::StaticClassInfo());
    TForm form(nullptr);
    auto* panel = new TVexCustom(&form);
    panel->SetName("Box");
    panel->SetParent(&form);
    panel->SetBounds(1, 2, 30, 40);
    const std::string text = WriteComponent(*panel);
    // Button face, not taken from the parent: the panel's defaults, not written.
    EXPECT_EQ(text.find("Color"), std::string::npos) << text;
    panel->SetColor(clWhite);
    EXPECT_NE(WriteComponent(*panel).find("Color = clWhite"), std::string::npos);

    // A form holding one is read back with its name and place.
    const char* kForm = R"(object Holder: TForm
  object Pane: TVexCustom
    Left = 8
    Top = 9
    Width = 150
    Height = 70
    Color = clWhite
  end
end
)";
    auto holder = CreateComponent(kForm, nullptr);
    ASSERT_TRUE(holder) << holder.reason();
    auto* pane = dynamic_cast<TVexCustom*>((*holder)->FindComponent("Pane"));
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->BoundsRect(), Bounds(8, 9, 150, 70));
    EXPECT_EQ(pane->Color(), clWhite);
}

}  // namespace
}  // namespace quillon
