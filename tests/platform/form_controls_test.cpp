// SPDX-License-Identifier: GPL-2.0-or-later
// Form files of real controls: a window read from its file, its handlers
// bound, written back with only what differs from the defaults; pictures.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gdi/graphics_backend.h"
#include "platform/sys/limits.h"
#include "platform/sys/notice.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/std_controls.h"

namespace quillon {
namespace {

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string r;
    for (unsigned char c : bytes) {
        r += digits[c >> 4];
        r += digits[c & 15];
    }
    return r;
}

// A question window in the manner of the program's own: a form class with
// its handlers, reading its file in the constructor.
class TQuestionFrm : public TForm {
    QUILLON_CLASS_INFO()
  public:
    explicit TQuestionFrm(TComponent* owner, std::string_view text) : TForm(owner) {
        DefineField("Data", Data);
        DefineField("YesBtn", YesBtn);
        DefineMethod<void(TObject*)>("FormCreate", [this](TObject*) { created = Data && YesBtn; });
        DefineMethod<void(TObject*)>("YesBtnClick", [this](TObject*) {
            answer = 1;
            Close();
        });
        DefineMethod<void(TObject*)>("FormActivate", [this](TObject*) {
            Beep();
            Data->SetCaption("NAMEY");
        });
        InitForm(text, "question.form");
    }
    TLabel* Data = nullptr;
    TButton* YesBtn = nullptr;
    bool created = false;
    int answer = 0;
};

const TClassInfo& TQuestionFrm::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TQuestionFrm>("TQuestionFrm", &TForm::StaticClassInfo()).Abstract();
    return info;
}

const char* kQuestion = R"(object YFrm: TQuestionFrm
  Left = 200
  Top = 100
  BorderIcons = []
  BorderStyle = bsDialog
  Caption = 'Y Character'
  ClientHeight = 224
  ClientWidth = 392
  Font.Height = -16
  Font.Style = [fsBold]
  Position = poScreenCenter
  Scaled = False
  OnActivate = FormActivate
  OnCreate = FormCreate
  object Panel1: TPanel
    Left = 16
    Top = 14
    Width = 350
    Height = 30
    BevelOuter = bvLowered
    Color = clWhite
    TabOrder = 2
    object Data: TLabel
      Left = 1
      Top = 1
      Width = 348
      Height = 28
      Align = alClient
      AutoSize = False
      Font.Height = -19
      Font.Name = 'Courier New'
      ParentFont = False
    end
  end
  object Panel2: TPanel
    Left = 56
    Top = 64
    Width = 266
    Height = 71
    BevelOuter = bvLowered
    Color = clWhite
    TabOrder = 3
    object Label1: TLabel
      Left = 8
      Top = 8
      Width = 250
      Height = 55
      Alignment = taCenter
      AutoSize = False
      Caption = 'Do you want this "Y" to be interpreted as a vowel?'
      WordWrap = True
    end
  end
  object YesBtn: TButton
    Left = 68
    Top = 156
    Width = 75
    Height = 25
    Caption = 'Yes'
    TabOrder = 0
    OnClick = YesBtnClick
  end
  object NoBtn: TButton
    Left = 236
    Top = 158
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'No'
    ModalResult = mrNo
    TabOrder = 1
  end
end
)";

class FormControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Headless().Reset();
        Application().ClearTerminated();
    }
};

TEST_F(FormControlsTest, AFormReadsItsFileBindsItsHandlersAndWritesItBack) {
    TQuestionFrm form(nullptr, kQuestion);
    EXPECT_TRUE(form.created);  // OnCreate after reading, with the fields bound
    EXPECT_EQ(form.Caption(), "Y Character");
    EXPECT_EQ(form.ClientWidth(), 392);
    EXPECT_EQ(form.ClientHeight(), 224);
    EXPECT_EQ(form.BorderStyle(), bsDialog);
    EXPECT_TRUE(form.BorderIcons().Empty());
    EXPECT_EQ(form.Font().Height(), -16);
    EXPECT_TRUE(form.Font().Style().Contains(fsBold));
    auto* data = dynamic_cast<TLabel*>(form.FindComponent("Data"));
    auto* panel1 = dynamic_cast<TPanel*>(form.FindComponent("Panel1"));
    auto* label1 = dynamic_cast<TLabel*>(form.FindComponent("Label1"));
    auto* yes = dynamic_cast<TButton*>(form.FindComponent("YesBtn"));
    auto* no = dynamic_cast<TButton*>(form.FindComponent("NoBtn"));
    ASSERT_TRUE(data && panel1 && label1 && yes && no);
    // Children in order, inside their parents.
    ASSERT_EQ(form.ControlCount(), 4);
    EXPECT_EQ(form.Controls(0), panel1);
    EXPECT_EQ(data->Parent(), panel1);
    // Fonts: the label keeps the form's style and takes its own face and height.
    EXPECT_EQ(data->Font().Name(), "Courier New");
    EXPECT_EQ(data->Font().Height(), -19);
    EXPECT_TRUE(data->Font().Style().Contains(fsBold));
    EXPECT_TRUE(label1->ParentFont());
    EXPECT_EQ(label1->Font().Height(), -16);
    // Colours: a label takes its panel's colour.
    EXPECT_EQ(panel1->Color(), clWhite);
    EXPECT_EQ(data->Color(), clWhite);
    // Aligned to the client area of the lowered panel (bevel of 1).
    EXPECT_EQ(data->BoundsRect(), Rect(1, 1, 349, 29));
    // Buttons take their default size.
    EXPECT_EQ(yes->BoundsRect(), Rect(68, 156, 143, 181));
    EXPECT_EQ(yes->TabOrder(), 0);
    EXPECT_EQ(panel1->TabOrder(), 2);

    // Shown modally: activation, the cancel button, the bound handler.
    Headless().modalScripts.push_back([&](TCustomForm& f) {
        EXPECT_EQ(data->Caption(), "NAMEY");
        EXPECT_EQ(f.ActiveControl(), yes);
        f.InputKey(VK_ESCAPE, {}, 27);
    });
    EXPECT_EQ(form.ShowModal(), mrNo);
    EXPECT_EQ(form.answer, 0);
    Headless().modalScripts.push_back([&](TCustomForm&) { yes->InputClick(); });
    form.ShowModal();
    EXPECT_EQ(form.answer, 1);
    EXPECT_EQ(Headless().beeps, 2);
    EXPECT_EQ(form.Left(), (1024 - form.Width()) / 2);  // centred when shown

    // Written back: the same text, once what the showing changed (position,
    // focus, the label's text) is put back.
    form.SetBounds(200, 100, form.Width(), form.Height());
    form.SetActiveControl(nullptr);
    data->SetCaption("");
    EXPECT_EQ(WriteComponent(form), kQuestion);

    // A field forgets a component that goes away.
    EXPECT_EQ(form.Data, data);
    delete data;
    EXPECT_EQ(form.Data, nullptr);
}

TEST_F(FormControlsTest, AFieldOfAnotherClassIsAnError) {
    std::string text = kQuestion;
    text.replace(text.find("object YesBtn: TButton"), 22, "object YesBtn: TCheckBox");
    try {
        TQuestionFrm form(nullptr, text);
        FAIL();
    } catch (const EFormFileError& e) {
        EXPECT_STREQ(
            e.what(),
            "question.form:54: 'YesBtn' is a TCheckBox, which TQuestionFrm does not expect");
    }
}

TEST_F(FormControlsTest, ANewFormAndNewControlsWriteOnlyTheirNames) {
    TForm form(nullptr);
    form.SetName("Form1");
    auto add = [&](TControl* c, const char* name) {
        c->SetName(name);
        c->SetParent(&form);
    };
    add(new TLabel(&form), "Label1");
    add(new TEdit(&form), "Edit1");
    add(new TButton(&form), "Button1");
    add(new TPanel(&form), "Panel1");
    add(new TShape(&form), "Shape1");
    add(new TCheckBox(&form), "CheckBox1");
    add(new TMemo(&form), "Memo1");
    add(new TStringGrid(&form), "Grid1");
    add(new TScrollBox(&form), "Box1");
    const std::string text = WriteComponent(form);
    // Every control writes its geometry (which has no stored default) and its
    // tab order; nothing else.
    EXPECT_EQ(text.find("Color"), std::string::npos) << text;
    EXPECT_EQ(text.find("Font"), std::string::npos) << text;
    EXPECT_EQ(text.find("TabStop"), std::string::npos) << text;
    EXPECT_EQ(text.find("Visible"), std::string::npos) << text;
    EXPECT_NE(
        text.find(
            "  object Edit1: TEdit\n    Left = 0\n    Top = 0\n    Width = 121\n    Height = 21\n"
            "    TabOrder = 0\n  end\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("ClientHeight = 240\n  ClientWidth = 320\n"), std::string::npos) << text;
    // And the whole file reads back to the same.
    auto again = CreateComponent(text, nullptr);
    ASSERT_TRUE(again) << again.reason();
    EXPECT_EQ(WriteComponent(**again), text);
}

TEST_F(FormControlsTest, ChangedPropertiesRoundTrip) {
    TForm form(nullptr);
    form.SetName("Form1");
    form.SetKeyPreview(true);
    form.SetColor(clSilver);
    form.Font().SetName("Arial");
    auto* shape = new TShape(&form);
    shape->SetName("Line");
    shape->SetParent(&form);
    shape->SetShape(stRoundRect);
    shape->Brush().SetStyle(bsClear);
    shape->Pen().SetColor(clRed);
    shape->Pen().SetWidth(3);
    auto* memo = new TMemo(&form);
    memo->SetName("Memo1");
    memo->SetParent(&form);
    memo->Lines().SetText("one\n'two'\n\tthree\n");
    memo->SetScrollBars(ssVertical);
    auto* grid = new TStringGrid(&form);
    grid->SetName("Grid");
    grid->SetParent(&form);
    grid->SetColCount(3);
    grid->SetColWidths(1, 100);
    grid->SetOptions(grid->Options() + goEditing);
    auto* label = new TLabel(&form);
    label->SetName("Link");
    label->SetParent(&form);
    label->SetCursor(crHandPoint);
    label->Font().SetColor(clNavy);
    label->Font().SetStyle(TFontStyles{fsBold, fsUnderline});
    label->SetHint("http://example.org/");
    label->SetShowHint(true);
    auto* box = new TScrollBox(&form);
    box->SetName("Box");
    box->SetParent(&form);
    box->VertScrollBar().SetRange(500);

    const std::string text = WriteComponent(form);
    for (const char* expected :
         {"  Color = clSilver\n", "  Font.Name = 'Arial'\n", "  KeyPreview = True\n",
          "    Brush.Style = bsClear\n", "    Pen.Color = clRed\n", "    Pen.Width = 3\n",
          "    Shape = stRoundRect\n",
          "    Lines.Strings = (\n      'one'\n      '''two'''\n      #9'three')\n",
          "    ScrollBars = ssVertical\n", "    ColCount = 3\n", "    ColWidths = (64 100 64)\n",
          "    Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, "
          "goEditing]\n",
          "    Cursor = crHandPoint\n", "    Font.Color = clNavy\n",
          "    Font.Style = [fsBold, fsUnderline]\n", "    ParentFont = False\n",
          "    ShowHint = True\n", "    VertScrollBar.Range = 500\n"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
    // The label's font is written against the form's: its face is the form's.
    EXPECT_EQ(text.find("    Font.Name"), std::string::npos) << text;

    auto again = CreateComponent(text, nullptr);
    ASSERT_TRUE(again) << again.reason();
    auto* label2 = dynamic_cast<TLabel*>((*again)->FindComponent("Link"));
    ASSERT_TRUE(label2);
    EXPECT_EQ(label2->Font().Name(), "Arial");
    EXPECT_EQ(label2->Font().Color(), clNavy);
    EXPECT_FALSE(label2->ParentFont());
    auto* grid2 = dynamic_cast<TStringGrid*>((*again)->FindComponent("Grid"));
    ASSERT_TRUE(grid2);
    EXPECT_EQ(grid2->ColWidths(1), 100);
    EXPECT_EQ(WriteComponent(**again), text);
}

TEST_F(FormControlsTest, PictureButtonsTakeTheirGlyphStripFromTheFile) {
    const std::string bmp =
        ReadText(std::filesystem::path(QUILLON_SOURCE_DIR) / "app/res/print_glyph.bmp");
    ASSERT_FALSE(bmp.empty());
    const std::string text =
        "object F: TForm\n  object PrintBtn: TBitBtn\n    Left = 410\n    Top = 282\n"
        "    Width = 32\n    Height = 25\n    Glyph.Data = {" +
        Hex(bmp) + "}\n  end\nend\n";
    auto form = CreateComponent(text, nullptr);
    ASSERT_TRUE(form) << form.reason();
    auto* btn = dynamic_cast<TBitBtn*>((*form)->FindComponent("PrintBtn"));
    ASSERT_TRUE(btn);
    ASSERT_EQ(btn->Glyph().Width(), 32);
    ASSERT_EQ(btn->Glyph().Height(), 16);
    EXPECT_EQ(btn->NumGlyphs(), 2);  // a strip twice as wide as high
    const std::uint32_t clear = btn->TransparentColor();
    EXPECT_EQ(clear, btn->Glyph().Pixel(0, 15) & 0xFFFFFFu);
    const TBitmap normal = btn->GlyphImage(0);
    const TBitmap disabled = btn->GlyphImage(1);
    ASSERT_EQ(normal.Width(), 16);
    ASSERT_EQ(disabled.Width(), 16);
    int transparent = 0, different = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t p = normal.Pixel(x, y);
            const bool isClear = (btn->Glyph().Pixel(x, y) & 0xFFFFFFu) == clear;
            EXPECT_EQ(p >> 24, isClear ? 0u : 0xFFu);
            transparent += isClear;
            EXPECT_EQ(disabled.Pixel(x, y) & 0xFFFFFFu, btn->Glyph().Pixel(16 + x, y) & 0xFFFFFFu);
            different += (p & 0xFFFFFFu) != (disabled.Pixel(x, y) & 0xFFFFFFu);
        }
    }
    EXPECT_GT(transparent, 0);
    EXPECT_GT(different, 0);  // the greyed twin is not the same picture
    btn->SetEnabled(false);
    EXPECT_EQ(btn->CurrentGlyph().Pixel(5, 5), disabled.Pixel(5, 5));

    // Written back as a bitmap and read again: the same pixels.
    const std::string written = WriteComponent(**form);
    auto again = CreateComponent(written, nullptr);
    ASSERT_TRUE(again) << again.reason();
    auto* btn2 = dynamic_cast<TBitBtn*>((*again)->FindComponent("PrintBtn"));
    ASSERT_TRUE(btn2);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_EQ(btn2->Glyph().Pixel(x, y) & 0xFFFFFFu, btn->Glyph().Pixel(x, y) & 0xFFFFFFu);

    // Bytes that are no picture fail with the line.
    const std::string bad =
        "object F: TForm\n  object B: TBitBtn\n    Glyph.Data = {00112233}\n  end\nend\n";
    auto refused = CreateComponent(bad, nullptr, TFormReadOptions{"bad.form", false, nullptr});
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.reason().rfind("bad.form:3: cannot set 'Glyph.Data': ", 0), 0u)
        << refused.reason();
}

TEST_F(FormControlsTest, ValuesOutsideWhatControlsTakeAreRefused) {
    struct Case {
        const char* body;
        const char* error;
    };
    const Case cases[] = {
        {"  object G: TStringGrid\n    ColWidths = (64 'a')\n  end\n",
         "f.form:3: wrong value type in 'ColWidths': only integers may be listed"},
        {"  object E: TEdit\n    Left = 1000001\n  end\n",
         "f.form:3: value out of range for 'Left'"},
        {"  object E: TEdit\n    Width = -1\n  end\n", "f.form:3: value out of range for 'Width'"},
        {"  object L: TLabel\n    FocusControl = Missing\n  end\n",
         "f.form:3: unknown component 'Missing' for 'FocusControl'"},
        {"  object L: TLabel\n  end\n  ActiveControl = L\n",
         "f.form:4: wrong value type for 'ActiveControl': 'L' is not a TWinControl"},
        {"  object L: TLabel\n    object B: TButton\n    end\n  end\n",
         "f.form:3: a TButton cannot be placed inside a TLabel"},
        {"  object B: TBitBtn\n    Kind = bkMaybe\n  end\n",
         "f.form:3: 'bkMaybe' is not a value of TBitBtnKind for 'Kind'"},
        {"  Font.Style = [fsBold, fsHeavy]\n",
         "f.form:2: 'fsHeavy' is not an element of TFontStyle for 'Font.Style'"},
        {"  Font.Color = clChartreuse\n",
         "f.form:2: 'clChartreuse' is not a colour for 'Font.Color'"},
        {"  object G: TStringGrid\n    Cells = ('a' 'b')\n  end\n",
         "f.form:3: wrong value type in 'Cells': each row is a list of strings"},
        {"  object G: TStringGrid\n    Cells = (('a' 2))\n  end\n",
         "f.form:3: wrong value type in 'Cells': only strings may be listed"},
        {"  object G: TStringGrid\n    Cells = (('a' ('b')))\n  end\n",
         "f.form:3: value expected but '(' found"},
        {"  object G: TStringGrid\n    Cells = 'a'\n  end\n",
         "f.form:3: wrong value type for 'Cells': a list of rows of strings expected"},
        {"  object M: TMemo\n    Lines.Strings = (('a'))\n  end\n",
         "f.form:3: wrong value type in 'Lines.Strings': only strings may be listed"},
        // Lists over several lines: the item that does not fit is named by its own line,
        // wherever it stands among strings (which the reader keeps without a line each).
        {"  object M: TMemo\n    Lines.Strings = (\n      'a'\n      'b'\n      3\n      'c')\n  "
         "end\n",
         "f.form:6: wrong value type in 'Lines.Strings': only strings may be listed"},
        {"  object G: TStringGrid\n    ColWidths = (\n      'a'\n      64)\n  end\n",
         "f.form:4: wrong value type in 'ColWidths': only integers may be listed"},
        {"  object G: TStringGrid\n    ColWidths = (\n      64\n      65 'a')\n  end\n",
         "f.form:5: wrong value type in 'ColWidths': only integers may be listed"},
        {"  object G: TStringGrid\n    Cells = (\n      ('a' 'b')\n      'c'\n      ('d'))\n  "
         "end\n",
         "f.form:5: wrong value type in 'Cells': each row is a list of strings"},
        {"  object G: TStringGrid\n    Cells = (\n      'c'\n      ('d'))\n  end\n",
         "f.form:4: wrong value type in 'Cells': each row is a list of strings"},
        {"  object G: TStringGrid\n    Cells = (\n      ('a'\n       'b' 7 'c'))\n  end\n",
         "f.form:5: wrong value type in 'Cells': only strings may be listed"},
    };
    for (const Case& c : cases) {
        const std::string text = std::string("object F: TForm\n") + c.body + "end\n";
        auto refused = CreateComponent(text, nullptr, TFormReadOptions{"f.form", false, nullptr});
        EXPECT_FALSE(refused) << c.body;
        EXPECT_EQ(refused.reason(), c.error);
    }
}

// The cells of a grid's rows count toward what a grid holds, not toward the values: a file of
// as many as a grid takes is read (more than there may be values), one more is refused at its
// line.
TEST_F(FormControlsTest, CellsWrittenInRowsAreBoundedByWhatAGridHolds) {
    const std::int64_t rows = limits::kMaxGridCells / 4;
    static_assert(limits::kMaxGridCells % 4 == 0);
    static_assert(limits::kMaxGridCells > limits::kMaxFormValues);
    auto file = [&](bool oneMore) {
        std::string text =
            "object F: TForm\n  object G: TStringGrid\n    ColCount = 4\n    Cells = (\n";
        for (std::int64_t r = 0; r < rows; ++r) text += "('' 'a' '' 'b')\n";
        if (oneMore) text += "('x')\n";
        return text + ")\n  end\nend\n";
    };
    auto form = CreateComponent(file(false), nullptr, TFormReadOptions{"g.form", false, nullptr});
    ASSERT_TRUE(form) << form.reason();
    auto* grid = dynamic_cast<TStringGrid*>((*form)->FindComponent("G"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->RowCount(), rows);
    EXPECT_EQ(grid->Cells(3, static_cast<int>(rows) - 1), "b");
    EXPECT_EQ(grid->Cells(2, static_cast<int>(rows) - 1), "");
    auto refused = CreateComponent(file(true), nullptr, TFormReadOptions{"g.form", false, nullptr});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.reason(), "g.form:" + std::to_string(rows + 5) + ": more than " +
                                    std::to_string(limits::kMaxGridCells) +
                                    " cells in one form file");
}

TEST_F(FormControlsTest, AStringGridTakesItsCellsRowByRowAndWritesThemBack) {
    const std::string cells = "    Cells = (\n"
                              "      ('Name' 'Fee')\n"
                              "      ('Ann' '12.50' 'paid')\n"
                              "      ()\n"
                              "      ('' 'it''s'#9'x'))\n";
    const std::string text = "object F: TForm\n"
                             "  object G: TStringGrid\n"
                             "    ColCount = 2\n"
                             "    RowCount = 3\n" +
                             cells + "  end\nend\n";
    auto form = CreateComponent(text, nullptr);
    ASSERT_TRUE(form) << form.reason();
    auto* grid = dynamic_cast<TStringGrid*>((*form)->FindComponent("G"));
    ASSERT_NE(grid, nullptr);
    // The grid grows to hold the rows and the widest row.
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->Cells(0, 0), "Name");
    EXPECT_EQ(grid->Cells(2, 1), "paid");
    EXPECT_EQ(grid->Cells(0, 2), "");
    EXPECT_EQ(grid->Cells(1, 3), "it's\tx");
    const std::string written = WriteComponent(**form);
    EXPECT_NE(written.find("    ColCount = 3\n"), std::string::npos) << written;
    EXPECT_NE(written.find(cells), std::string::npos) << written;
    auto again = CreateComponent(written, nullptr);
    ASSERT_TRUE(again) << again.reason();
    EXPECT_EQ(WriteComponent(**again), written);
    // Cells outside what the counts keep are not written.
    grid->SetRowCount(1);
    EXPECT_NE(WriteComponent(**form).find("    Cells = (\n      ('Name' 'Fee'))\n"),
              std::string::npos);
    grid->SetCells(0, 0, "");
    grid->SetCells(1, 0, "");
    EXPECT_EQ(WriteComponent(**form).find("Cells"), std::string::npos);
}

TEST_F(FormControlsTest, AStringGridCellAtTheStringLimitAndARowTooWide) {
    // A cell of the longest string a form file holds is read whole; one byte more is refused.
    const std::string big(limits::kMaxFormString, 'x');
    auto form = CreateComponent("object F: TForm\n  object G: TStringGrid\n    Cells = (('" + big +
                                    "'))\n  end\nend\n",
                                nullptr);
    ASSERT_TRUE(form) << form.reason();
    auto* grid = dynamic_cast<TStringGrid*>((*form)->FindComponent("G"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->Cells(0, 0).size(), big.size());
    auto tooBig = CreateComponent(
        "object F: TForm\n  object G: TStringGrid\n    Cells = (('" + big + "x'))\n  end\nend\n",
        nullptr, TFormReadOptions{"big.form", false, nullptr});
    ASSERT_FALSE(tooBig);
    EXPECT_EQ(tooBig.reason(), "big.form:3: a string longer than 1 MB");
    std::string wide = "object F: TForm\n  object G: TStringGrid\n    Cells = ((";
    for (int i = 0; i <= 100000; ++i) wide += "'' ";
    wide += "))\n  end\nend\n";
    auto refused = CreateComponent(wide, nullptr, TFormReadOptions{"w.form", false, nullptr});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.reason(), "w.form:3: cannot set 'Cells': Grid index out of range");
}

TEST_F(FormControlsTest, LabelsSizeThemselvesToTheirCaption) {
    // Without a backend text is measured at 0.5 em per character, a line
    // being 1 em high.
    TForm form(nullptr);
    form.Font().SetHeight(-12);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetCaption("Total");
    EXPECT_EQ(label->Width(), 30);
    EXPECT_EQ(label->Height(), 12);
    label->SetCaption("&Abort");  // the accelerator mark takes no room
    EXPECT_EQ(label->Width(), 30);
    // Right-aligned: the right edge stays where it was.
    label->SetBounds(57, 25, 30, 12);
    label->SetAlignment(taRightJustify);
    label->SetCaption("Consonants");
    EXPECT_EQ(label->Left(), 27);
    EXPECT_EQ(label->Width(), 60);
    // Word-wrapped: the width stays and the height takes the lines.
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetBounds(0, 0, 70, 12);
    label->SetAutoSize(true);
    label->SetCaption("Do you want this");
    EXPECT_EQ(label->Width(), 70);
    EXPECT_EQ(label->Height(), 24);
}

TEST_F(FormControlsTest, ClassesAreFoundByName) {
    for (const char* name :
         {"TForm",     "TPanel",      "TLabel",      "TEdit",      "TMaskEdit",
          "TMemo",     "TButton",     "TBitBtn",     "TCheckBox",  "TRadioButton",
          "TGroupBox", "TRadioGroup", "TComboBox",   "TScrollBox", "TShape",
          "TBevel",    "TImage",      "TStringGrid", "TRichEdit",  "tlabel"}) {
        const TClassInfo* c = FindClass(name);
        ASSERT_TRUE(c) << name;
        std::unique_ptr<TComponent> made(c->create(nullptr));
        EXPECT_TRUE(SameText(made->ClassName(), name));
    }
    EXPECT_EQ(FindClass("TControl"), nullptr);  // abstract bases are not created by name
    EXPECT_TRUE(FindClass("TRichEdit")->InheritsFrom("TCustomMemo"));
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// The fuzzer's seeds double as fixtures: the good ones read and write back
// unchanged on the second round, the bad ones fail with a reason.
TEST(FormSeeds, SeedFilesReadAndRoundTrip) {
    const std::filesystem::path dir =
        std::filesystem::path(QUILLON_SOURCE_DIR) / "tests/fuzz/fuzz_form_reader";
    int good = 0, bad = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        TFormReadOptions options;
        options.fileName = name;
        options.ignoreMissingHandlers = true;
        auto form = CreateComponent(ReadText(entry.path()), nullptr, options);
        if (name.rfind("bad_", 0) == 0) {
            EXPECT_FALSE(form) << name;
            EXPECT_EQ(form.reason().rfind(name + ":", 0), 0u) << form.reason();
            ++bad;
            continue;
        }
        ASSERT_TRUE(form) << form.reason();
        const std::string written = WriteComponent(**form);
        auto again = CreateComponent(written, nullptr, options);
        ASSERT_TRUE(again) << name << ": " << again.reason() << "\n" << written;
        EXPECT_EQ(WriteComponent(**again), written) << name;
        ++good;
    }
    EXPECT_GE(good, 2);
    EXPECT_GE(bad, 2);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// A grid read from a file keeps at most kMaxGridCells cells: its rows past them are cut, with
// one notice; a grid within the limit keeps every row.
TEST(FormFileGrids, AGridPastTheCellLimitIsCutToItsFirstRows) {
    std::vector<std::string> told;
    const NoticeSink before = SetNoticeSink([&told](const std::string& l) { told.push_back(l); });
    auto grid = [](int rows, int cols, int fixed) {
        return "object F: TForm\n  object G: TStringGrid\n    FixedRows = " +
               std::to_string(fixed) + "\n    FixedCols = " + std::to_string(fixed) +
               "\n    RowCount = " + std::to_string(rows) +
               "\n    ColCount = " + std::to_string(cols) + "\n  end\nend\n";
    };
    auto read = [](const std::string& text) {
        auto form = CreateComponent(text, nullptr);
        EXPECT_TRUE(form) << form.reason();
        return form;
    };
    {
        auto huge = read(grid(1000000, 100000, 1));
        const auto* g = dynamic_cast<TStringGrid*>((*huge)->FindComponent("G"));
        ASSERT_TRUE(g);
        EXPECT_EQ(g->ColCount(), 100000);
        EXPECT_EQ(g->RowCount(), 10);
        EXPECT_EQ(g->RowHeights(9), g->DefaultRowHeight());
        EXPECT_THROW(static_cast<void>(g->RowHeights(10)), EListError);
    }
    {
        // Fixed rows and columns past the cut stay fewer than the rows and columns.
        auto fixed = read(grid(2000, 2000, 2000));
        const auto* g = dynamic_cast<TStringGrid*>((*fixed)->FindComponent("G"));
        EXPECT_EQ(g->RowCount(), 524);
        EXPECT_EQ(g->FixedRows(), 523);
        EXPECT_EQ(g->FixedCols(), 1999);
    }
    EXPECT_EQ(told, (std::vector<std::string>{
                        "G: a grid of 1000000 x 100000 cells cut to its first 10 rows (at most "
                        "1048576 cells)",
                        "G: a grid of 2000 x 2000 cells cut to its first 524 rows (at most 1048576 "
                        "cells)"}));
    auto real = read(grid(100000, 10, 1));
    EXPECT_EQ(dynamic_cast<TStringGrid*>((*real)->FindComponent("G"))->RowCount(), 100000);
    EXPECT_EQ(told.size(), 2u);
    SetNoticeSink(before);
}

}  // namespace
}  // namespace quillon
