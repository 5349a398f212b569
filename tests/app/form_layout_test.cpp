// SPDX-License-Identifier: GPL-2.0-or-later
// The three windows as their form files lay them out: every control's kind,
// place, size, text, hint, font and tab order.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/URL.h"
#include "platform/gdi/graphics.h"
#include "tests/app/calc_fixture.h"

namespace quillon::testing {
namespace {

struct Expect {
    const char* name;
    const char* cls;
    int left, top, width, height;  // width / height -1: not checked (auto-size)
    const char* text;
    const char* hint;
    int tabOrder;  // -1: not a tab stop (or not a window control)
};

void CheckControls(const TCustomForm& form, const std::vector<Expect>& table) {
    for (const Expect& e : table) {
        SCOPED_TRACE(e.name);
        auto* c = dynamic_cast<TControl*>(form.FindComponent(e.name));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->ClassName(), e.cls);
        EXPECT_EQ(c->Left(), e.left);
        EXPECT_EQ(c->Top(), e.top);
        if (e.width >= 0) {
            EXPECT_EQ(c->Width(), e.width);
        }
        if (e.height >= 0) {
            EXPECT_EQ(c->Height(), e.height);
        }
        EXPECT_EQ(c->Text(), e.text);
        EXPECT_EQ(c->Hint(), e.hint);
        if (e.hint[0]) {
            EXPECT_TRUE(c->HintShown());
        }
        if (auto* w = dynamic_cast<TWinControl*>(c); w && e.tabOrder >= 0) {
            EXPECT_TRUE(w->TabStop());
            EXPECT_EQ(w->TabOrder(), e.tabOrder);
        } else if (w) {
            EXPECT_FALSE(w->TabStop());
        }
    }
}

void CheckFont(const TControl& c, const char* name, int height, TFontStyles style) {
    SCOPED_TRACE(c.Name());
    EXPECT_EQ(c.Font().Name(), name);
    EXPECT_EQ(c.Font().Height(), height);
    EXPECT_EQ(c.Font().Style(), style);
}

TEST_F(CalcWindowTest, TheCalculatorWindow) {
    EXPECT_EQ(calc->Caption(), "Quillon Ver. 2.1 - (c) 2026 the Quillon developers");
    EXPECT_EQ(calc->ClientWidth(), 584);
    EXPECT_EQ(calc->ClientHeight(), 328);
    EXPECT_EQ(calc->BorderStyle(), bsSingle);
    EXPECT_EQ(calc->BorderIcons(), (TBorderIcons{biSystemMenu, biMinimize}));
    EXPECT_EQ(calc->Position(), poScreenCenter);
    EXPECT_FALSE(calc->Scaled());
    CheckFont(*calc, "MS Sans Serif", -13, TFontStyles{fsBold});
    const char* only = "Analysis Only.";
    CheckControls(
        *calc,
        {
            {"Label12", "TLabel", 24, 16, -1, -1, "Vowels", "", -1},
            {"Vowels", "TEdit", 24, 35, 358, 30, "", only, -1},
            {"Label13", "TLabel", 24, 78, -1, -1, "Data Entry", "", -1},
            {"Data", "TEdit", 24, 97, 358, 30, "", "Enter Data Here.", 0},
            {"Label14", "TLabel", 24, 140, -1, -1, "Consonants", "", -1},
            {"Constants", "TEdit", 24, 159, 358, 30, "", only, -1},
            {"Label17", "TLabel", 412, 16, -1, -1, "Total", "", -1},
            {"Label18", "TLabel", 476, 12, 25, 20, "+", "", -1},
            {"Label20", "TLabel", 532, 12, 25, 20, "+", "", -1},
            {"VTotal", "TEdit", 410, 35, 40, 30, "0", only, -1},
            {"Total", "TEdit", 410, 97, 40, 30, "0", only, -1},
            {"CTotal", "TEdit", 410, 159, 40, 30, "0", only, -1},
            {"VTot1", "TEdit", 474, 35, 30, 30, "", only, -1},
            {"Tot1", "TEdit", 474, 97, 30, 30, "", only, -1},
            {"CTot1", "TEdit", 474, 159, 30, 30, "", only, -1},
            {"VTot2", "TEdit", 530, 35, 30, 30, "", only, -1},
            {"Tot2", "TEdit", 530, 97, 30, 30, "", only, -1},
            {"CTot2", "TEdit", 530, 159, 30, 30, "", only, -1},
            {"Panel1", "TPanel", 22, 211, 363, 95, "", "", -1},
            {"Panel2", "TPanel", 3, 3, 357, 89, "", only, -1},
            {"ClearBtn", "TButton", 410, 211, 60, 25, "Clear", "Clear All Data", 1},
            {"HelpBtn", "TButton", 500, 210, 60, 25, "Help", "Open Help", 2},
            {"MthBtn", "TButton", 424, 247, 125, 25, "Pythagorean", "Click to Change System", 3},
            {"PrintBtn", "TBitBtn", 410, 282, 32, 25, "", "Print Report", 4},
            {"InternetBtn", "TBitBtn", 454, 282, 32, 25, "", "Internet Resources", 5},
            {"ExitBtn", "TButton", 500, 282, 60, 25, "Exit", "Close Program", 6},
        });
    for (const char* name : {"Vowels", "Data", "Constants", "VTotal", "Total", "CTotal", "VTot1",
                             "Tot1", "CTot1", "VTot2", "Tot2", "CTot2"}) {
        auto* e = dynamic_cast<TEdit*>(calc->FindComponent(name));
        CheckFont(*e, "Courier New", -19, TFontStyles{fsBold});
        EXPECT_EQ(e->ReadOnly(), std::string(name) != "Data") << name;
    }
    EXPECT_EQ(data->MaxLength(), 30);
    CheckFont(*calc->Label18, "MS Sans Serif", -19, TFontStyles{fsBold});
    EXPECT_EQ(calc->Label18->Alignment(), taCenter);
    EXPECT_EQ(calc->Panel1->BevelOuter(), bvLowered);
    EXPECT_EQ(calc->Panel1->BevelWidth(), 3);
    EXPECT_EQ(calc->Panel1->Color(), clWhite);
    EXPECT_EQ(calc->Panel2->Parent(), calc->Panel1);
    EXPECT_EQ(calc->Panel2->BorderStyle(), bsSingle);
    EXPECT_EQ(calc->Panel2->Color(), clWhite);
    // Both picture buttons hold a strip of two 16 x 16 pictures.
    for (TBitBtn* b : {calc->PrintBtn, calc->InternetBtn}) {
        EXPECT_EQ(b->Glyph().Width(), 32) << b->Name();
        EXPECT_EQ(b->Glyph().Height(), 16) << b->Name();
        EXPECT_EQ(b->NumGlyphs(), 2) << b->Name();
    }
    EXPECT_NE(calc->PrintDialog1, nullptr);
}

TEST_F(CalcWindowTest, TheGridOfTheCalculator) {
    const int lefts[9] = {92, 116, 140, 164, 188, 212, 236, 260, 284};
    const char* heads[9] = {"Label10", "Label11", "Label15", "Label19", "Label23",
                            "Label27", "Label31", "Label35", "Label39"};
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i + 1);
        auto* head = dynamic_cast<TLabel*>(calc->FindComponent(heads[i]));
        ASSERT_NE(head, nullptr);
        EXPECT_EQ(head->Parent(), calc->Panel2);
        EXPECT_EQ(head->Caption(), std::to_string(i + 1));
        EXPECT_EQ(head->Left(), lefts[i]);
        EXPECT_EQ(head->Top(), 7);
        const TLabel* cells[3] = {calc->V[i], calc->C[i], calc->T[i]};
        const int tops[3] = {25, 44, 63};
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(cells[r]->Parent(), calc->Panel2);
            EXPECT_EQ(cells[r]->Left(), lefts[i]);
            EXPECT_EQ(cells[r]->Top(), tops[r]);
            EXPECT_EQ(cells[r]->Width(), 20);
            EXPECT_EQ(cells[r]->Alignment(), taRightJustify);
            EXPECT_FALSE(cells[r]->AutoSize());
            EXPECT_EQ(cells[r]->Caption(), "0");
            CheckFont(*cells[r], "MS Sans Serif", -13, TFontStyles{fsBold});
        }
    }
    for (TLabel* t : {calc->vvt, calc->cct, calc->ttt}) EXPECT_EQ(t->Left(), 318);
    auto* total = dynamic_cast<TLabel*>(calc->FindComponent("Label16"));
    EXPECT_EQ(total->Caption(), "Total");
    EXPECT_EQ(total->Left(), 312);
    const char* rows[3][2] = {{"Label7", "Vowels"}, {"Label8", "Consonants"}, {"Label9", "Total"}};
    for (auto& row : rows) {
        auto* l = dynamic_cast<TLabel*>(calc->FindComponent(row[0]));
        EXPECT_EQ(l->Caption(), row[1]);
        EXPECT_EQ(l->Alignment(), taRightJustify);
        EXPECT_EQ(l->Left() + l->Width(), 87) << row[0];
    }
}

TEST_F(CalcWindowTest, TheQuestionWindow) {
    EXPECT_EQ(YFrm->Caption(), "Y Character");
    EXPECT_EQ(YFrm->Width(), 392);
    EXPECT_EQ(YFrm->Height(), 224);
    EXPECT_EQ(YFrm->Position(), poScreenCenter);
    CheckFont(*YFrm, "MS Sans Serif", -16, TFontStyles{fsBold});
    CheckControls(*YFrm, {
                             {"Panel1", "TPanel", 16, 14, 350, 30, "", "", -1},
                             {"Panel2", "TPanel", 56, 64, 266, 71, "", "", -1},
                             {"Label1", "TLabel", 8, 8, 250, 55,
                              "Do you want this \"Y\" to be interpreted as a vowel?", "", -1},
                             {"YesBtn", "TButton", 68, 156, 75, 25, "Yes", "", 0},
                             {"NoBtn", "TButton", 236, 158, 75, 25, "No", "", 1},
                         });
    CheckFont(*YFrm->Data, "Courier New", -19, TFontStyles{fsBold});
    EXPECT_EQ(YFrm->Label1->Alignment(), taCenter);
    EXPECT_TRUE(YFrm->Label1->WordWrap());
    EXPECT_TRUE(YFrm->NoBtn->Cancel());
    EXPECT_FALSE(YFrm->YesBtn->Cancel());
    EXPECT_EQ(YFrm->CancelButton(), YFrm->NoBtn);
}

TEST_F(CalcWindowTest, TheLinksWindow) {
    TInternetFrm& w = *InternetFrm;
    EXPECT_EQ(w.Caption(), "Quillon");
    EXPECT_EQ(w.ClientWidth(), 333);
    EXPECT_EQ(w.ClientHeight(), 372);
    EXPECT_EQ(w.BorderStyle(), bsDialog);
    EXPECT_EQ(w.BorderIcons(), TBorderIcons{});
    EXPECT_EQ(w.Color(), cl3DLight);
    CheckFont(w, "MS Sans Serif", -13, TFontStyles{fsBold});
    CheckControls(w,
                  {
                      {"Panel3", "TPanel", 0, 0, 333, 41, "Internet Resources", "", -1},
                      {"Panel4", "TPanel", 17, 53, 298, 267, "", "", -1},
                      {"Button1", "TButton", 126, 332, 75, 25, "Close", "", 0},
                      {"Label6", "TLabel", 20, 11, -1, -1, "The Two Letter-Value Systems", "", -1},
                      {"Label4", "TLabel", 20, 79, -1, -1, "Numerology Sites", "", -1},
                      {"Label5", "TLabel", 20, 148, -1, -1, "Other Sites", "", -1},
                  });
    auto* panel3 = dynamic_cast<TPanel*>(w.FindComponent("Panel3"));
    EXPECT_EQ(panel3->Align(), alTop);
    EXPECT_EQ(panel3->BevelWidth(), 2);
    CheckFont(*panel3, "MS Sans Serif", -19, TFontStyles{});
    EXPECT_TRUE(w.Button1->Cancel());
    ASSERT_NE(w.URL1, nullptr);
    EXPECT_EQ(w.URL1->URLType(), utHttp);

    const int tops[8] = {33, 55, 101, 125, 171, 194, 216, 240};
    const int lefts[8] = {40, 41, 40, 41, 40, 41, 40, 40};
    for (int i = 0; i < 8; ++i) {
        const TLinkInfo& link = kInternetLinks[i];
        SCOPED_TRACE(std::string(link.label));
        auto* l = dynamic_cast<TLabel*>(w.FindComponent(link.label));
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->Parent()->Name(), "Panel4");
        EXPECT_EQ(l->Top(), tops[i]);
        EXPECT_EQ(l->Left(), lefts[i]);
        EXPECT_EQ(l->Hint(), "http://" + std::string(link.address));
        EXPECT_TRUE(l->HintShown());
        EXPECT_EQ(l->Cursor(), crHandPoint);
        EXPECT_EQ(l->Font().Color(), clNavy);
        CheckFont(*l, "MS Sans Serif", -11, (TFontStyles{fsBold, fsUnderline}));
        EXPECT_FALSE(l->Caption().empty());
    }
    EXPECT_EQ(kInternetLinks[7].address, kQuillonSite);
}

TEST_F(CalcWindowTest, EveryLinkOpensItsAddressAndTheWindowStaysOpen) {
    Headless().openResult = true;
    InternetFrm->Show();
    std::vector<std::string> expected;
    for (const TLinkInfo& link : kInternetLinks) {
        dynamic_cast<TControl*>(InternetFrm->FindComponent(link.label))->InputClick();
        expected.push_back("http://" + std::string(link.address));
        EXPECT_EQ(InternetFrm->URL1->URL(), link.address);
    }
    EXPECT_EQ(Headless().openedDocuments, expected);
    EXPECT_TRUE(InternetFrm->Visible());
    // A failed launch says nothing.
    Headless().openResult = false;
    dynamic_cast<TControl*>(InternetFrm->FindComponent("Label3"))->InputClick();
    EXPECT_TRUE(Headless().boxes.empty());
    InternetFrm->Button1->InputClick();
    EXPECT_FALSE(InternetFrm->Visible());
}

}  // namespace
}  // namespace quillon::testing
