// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/draw/Vex_view.h"

#include <memory>

#include "platform/gdi/printer.h"
#include "platform/sys/rounding.h"
#include "platform/sys/sysutils.h"
#include "platform/vcl/properties.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Addit.h"

namespace quillon {

// The bars hold their controls at fixed places; the page area takes the rest of the window.
const char* const kPreviewForm = R"(object Vex_Prev: TVex_Prev
  Left = 0
  Top = 0
  Width = 800
  Height = 600
  Caption = 'Ostra Preview'
  Font.Height = -12
  Font.Name = 'Arial'
  KeyPreview = True
  Position = poScreenCenter
  ShowHint = True
  Visible = False
  OnActivate = FormActivate
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  OnResize = FormResize
  object TopBar1: TPanel
    Left = 0
    Top = 0
    Width = 800
    Height = 34
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 0
    object Print: TButton
      Left = 6
      Top = 4
      Width = 75
      Height = 26
      Caption = '&All'
      TabOrder = 0
      OnClick = PrintClick
    end
    object Odd: TButton
      Left = 86
      Top = 4
      Width = 75
      Height = 26
      Caption = '&Odd'
      TabOrder = 1
      OnClick = OddClick
    end
    object Even: TButton
      Left = 166
      Top = 4
      Width = 75
      Height = 26
      Caption = '&Even'
      TabOrder = 2
      OnClick = EvenClick
    end
    object Current: TButton
      Left = 246
      Top = 4
      Width = 75
      Height = 26
      Caption = '&Current'
      TabOrder = 3
      OnClick = CurrentClick
    end
    object Additional: TButton
      Left = 326
      Top = 4
      Width = 75
      Height = 26
      Caption = '&Add nl'
      TabOrder = 4
      OnClick = AdditionalClick
    end
  end
  object TopBar2: TPanel
    Left = 0
    Top = 34
    Width = 800
    Height = 34
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 1
    object CloseButton: TButton
      Left = 6
      Top = 4
      Width = 75
      Height = 26
      Caption = '&Close'
      TabOrder = 0
      OnClick = CloseButtonClick
    end
    object ZoomIn: TButton
      Left = 90
      Top = 4
      Width = 28
      Height = 26
      Caption = '-'
      Hint = 'Smaller'
      TabOrder = 1
      OnClick = ZoomInClick
    end
    object ZoomOut: TButton
      Left = 120
      Top = 4
      Width = 28
      Height = 26
      Caption = '+'
      Hint = 'Larger'
      TabOrder = 2
      OnClick = ZoomOutClick
    end
    object PrintPreview: TComboBox
      Left = 154
      Top = 5
      Width = 120
      Height = 24
      Style = csDropDownList
      TabOrder = 3
      OnClick = PrintPreviewClick
      OnKeyPress = PrintPreviewKeyPress
    end
    object PageWidthButton: TButton
      Left = 280
      Top = 4
      Width = 28
      Height = 26
      Caption = '<>'
      Hint = 'Page Width'
      TabOrder = 4
      OnClick = PageWidthButtonClick
    end
    object WholePageButton: TButton
      Left = 310
      Top = 4
      Width = 28
      Height = 26
      Caption = '[]'
      Hint = 'Whole Page'
      TabOrder = 5
      OnClick = WholePageButtonClick
    end
  end
  object BottomBar: TPanel
    Left = 0
    Top = 566
    Width = 800
    Height = 34
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 3
    object Page: TLabel
      Left = 8
      Top = 9
      Caption = 'Page'
    end
    object PageNo: TEdit
      Left = 50
      Top = 5
      Width = 60
      Height = 24
      TabOrder = 0
      OnKeyUp = PageNoKeyUp
    end
    object Label2: TLabel
      Left = 118
      Top = 9
      Caption = 'of'
    end
    object PageTot: TEdit
      Left = 140
      Top = 5
      Width = 60
      Height = 24
      Color = clSilver
      ReadOnly = True
      TabStop = False
      TabOrder = 1
    end
    object PrevPage: TButton
      Left = 210
      Top = 4
      Width = 28
      Height = 26
      Caption = '<'
      Hint = 'Previous page'
      TabOrder = 2
      OnClick = PrevPageClick
    end
    object NextPage: TButton
      Left = 240
      Top = 4
      Width = 28
      Height = 26
      Caption = '>'
      Hint = 'Next page'
      TabOrder = 3
      OnClick = NextPageClick
    end
  end
  object ScrollBox1: TScrollBox
    Left = 0
    Top = 68
    Width = 800
    Height = 498
    Align = alClient
    AutoScroll = False
    BorderStyle = bsNone
    TabOrder = 2
    object DrawIt1: TDrawIt
      Left = 35
      Top = 10
      Width = 850
      Height = 1100
    end
  end
end
)";

const TClassInfo& TVex_Prev::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TVex_Prev>("TVex_Prev", &TForm::StaticClassInfo()).Abstract();
    return info;
}

TVex_Prev::TVex_Prev(TComponent* owner) : TForm(owner) {
    // Form files find the page control's class by name.
    RegisterClass(TDrawIt::StaticClassInfo());
    using Notify = void(TObject*);
    using Key = void(TObject*, std::uint16_t&, TShiftState);
#define QUILLON_NOTIFY(name) DefineMethod<Notify>(#name, [this](TObject* s) { name(s); })
    QUILLON_NOTIFY(FormCreate);
    QUILLON_NOTIFY(FormActivate);
    QUILLON_NOTIFY(FormResize);
    QUILLON_NOTIFY(ZoomInClick);
    QUILLON_NOTIFY(ZoomOutClick);
    QUILLON_NOTIFY(PageWidthButtonClick);
    QUILLON_NOTIFY(WholePageButtonClick);
    QUILLON_NOTIFY(PrintPreviewClick);
    QUILLON_NOTIFY(NextPageClick);
    QUILLON_NOTIFY(PrevPageClick);
    QUILLON_NOTIFY(PrintClick);
    QUILLON_NOTIFY(OddClick);
    QUILLON_NOTIFY(EvenClick);
    QUILLON_NOTIFY(CurrentClick);
    QUILLON_NOTIFY(AdditionalClick);
    QUILLON_NOTIFY(CloseButtonClick);
#undef QUILLON_NOTIFY
    DefineMethod<Key>("FormKeyDown", [this](TObject* s, std::uint16_t& k, TShiftState sh) {
        FormKeyDown(s, k, sh);
    });
    DefineMethod<Key>("PageNoKeyUp", [this](TObject* s, std::uint16_t& k, TShiftState sh) {
        PageNoKeyUp(s, k, sh);
    });
    DefineMethod<void(TObject*, char32_t&)>(
        "PrintPreviewKeyPress", [this](TObject* s, char32_t& k) { PrintPreviewKeyPress(s, k); });
    InitForm(kPreviewForm, "Vex_view.form");
}

void TVex_Prev::ReportError(const std::string& reason) {
    Application().ShowException(EConvertError(reason));
}

void TVex_Prev::FormCreate(TObject*) {
    const auto find = [this](const char* name) { return FindComponent(name); };
    TopBar1 = dynamic_cast<TPanel*>(find("TopBar1"));
    TopBar2 = dynamic_cast<TPanel*>(find("TopBar2"));
    BottomBar = dynamic_cast<TPanel*>(find("BottomBar"));
    Print = dynamic_cast<TButton*>(find("Print"));
    Odd = dynamic_cast<TButton*>(find("Odd"));
    Even = dynamic_cast<TButton*>(find("Even"));
    Current = dynamic_cast<TButton*>(find("Current"));
    Additional = dynamic_cast<TButton*>(find("Additional"));
    CloseButton = dynamic_cast<TButton*>(find("CloseButton"));
    ZoomIn = dynamic_cast<TButton*>(find("ZoomIn"));
    ZoomOut = dynamic_cast<TButton*>(find("ZoomOut"));
    PrintPreview = dynamic_cast<TComboBox*>(find("PrintPreview"));
    PageWidthButton = dynamic_cast<TButton*>(find("PageWidthButton"));
    WholePageButton = dynamic_cast<TButton*>(find("WholePageButton"));
    ScrollBox1 = dynamic_cast<TScrollBox*>(find("ScrollBox1"));
    DrawIt1 = dynamic_cast<TDrawIt*>(find("DrawIt1"));
    Page = dynamic_cast<TLabel*>(find("Page"));
    PageNo = dynamic_cast<TEdit*>(find("PageNo"));
    Label2 = dynamic_cast<TLabel*>(find("Label2"));
    PageTot = dynamic_cast<TEdit*>(find("PageTot"));
    PrevPage = dynamic_cast<TButton*>(find("PrevPage"));
    NextPage = dynamic_cast<TButton*>(find("NextPage"));
    DrawIt1->ZoomMessage = [this](int zoom) { ZoomMessage(zoom); };

    Hide();
    TStrings& items = PrintPreview->Items();
    items.Clear();
    for (const char* entry : {"250%", "200%", "150%", "100%", "75%", "50%", "25%", "10%"})
        items.Add(entry);
    items.Add(LoadSuiteText(17049, "Page Width"));
    items.Add(LoadSuiteText(17050, "Whole Page"));
    PrintPreview->SetItemIndex(kWholePageEntry);

    // A settings value that is not a number is reported and its default taken: the preview
    // stays usable.
    const auto setting = [this](const char* name, const char* fallback) {
        Result<int> r = ReadJobSettingInt(name, fallback);
        if (r) return *r;
        ReportError(r.error().reason);
        return StrToInt(fallback);
    };
    ScrollBox1->SetColor(
        static_cast<TColor>(setting(kViewBackgroundValue, kViewBackgroundDefault)));
    SetCaption(ReadJobSetting(kPreviewHeadingValue, kPreviewHeadingDefault));
    if (!Printer().Printing()) {
        Printer().SetPrinterIndex(setting(kPrinterIndexValue, kPrinterIndexDefault));
        if (ReadJobSetting(kOrientationValue, kOrientationDefault) == "Portrait") {
            Printer().SetOrientation(poPortrait);
            DrawIt1->SetBounds(DrawIt1->Left(), DrawIt1->Top(), 553, 717);
        } else {
            Printer().SetOrientation(poLandscape);
            DrawIt1->SetBounds(DrawIt1->Left(), DrawIt1->Top(), 717, 553);
        }
    }
    SetWindowState(wsMaximized);
    Print->SetCaption(LoadSuiteText(17022, "&All"));
    Odd->SetCaption(LoadSuiteText(17023, "&Odd"));
    Even->SetCaption(LoadSuiteText(17024, "&Even"));
    Current->SetCaption(LoadSuiteText(17025, "&Current"));
    Additional->SetCaption(LoadSuiteText(17021, "&Add nl"));
    CloseButton->SetCaption(LoadSuiteText(17020, "&Close"));
    Page->SetCaption(LoadSuiteText(17026, "Page"));
    Label2->SetCaption(LoadSuiteText(17027, "of"));
    Zoomfinish();
}

void TVex_Prev::ShowPageNumber() {
    if (PageNo && DrawIt1) PageNo->SetText(std::to_string(DrawIt1->CurrentPage()));
}

TSize TVex_Prev::ShownPageSize() {
    // The printer's page, or the shown page's own when it was made for another (a job's
    // pages may differ in orientation).
    if (DrawIt1->ShowsPageOfItsOwnSize())
        return TSize{std::max(1, DrawIt1->PageWidth()), std::max(1, DrawIt1->PageHeight())};
    return TSize{std::max(1, Printer().PageWidth()), std::max(1, Printer().PageHeight())};
}

void TVex_Prev::PageShown() {
    ShowPageNumber();
    if (DrawIt1 && DrawIt1->TakeShownPageSize()) Zoomfinish();
}

void TVex_Prev::FormActivate(TObject*) {
    if (!DrawIt1 || !ScrollBox1) return;  // while the form file is being read
    // The field shows the page that is shown (also when a dialog of the window closes).
    ShowPageNumber();
    PageTot->SetText(std::to_string(DrawIt1->CountPages()));
    const int height = ScrollBox1->Height() - 40;
    const TSize page = ShownPageSize();
    const int width = RoundToInt(static_cast<double>(height) * page.cx / page.cy);
    DrawIt1->SetBounds((ScrollBox1->Width() - width) / 2, DrawIt1->Top(), width, height);
}

void TVex_Prev::FormResize(TObject*) {
    // The window manager maximises the window after it is shown, and the user resizes it:
    // the zoom in the list is applied again to the area that is there now.
    if (!DrawIt1 || !ScrollBox1 || !PrintPreview) return;  // while the form file is being read
    Zoomfinish();
}

void TVex_Prev::Zoomfinish() {
    const int entry = PrintPreview->ItemIndex();
    const TSize page = ShownPageSize();
    const int pw = page.cx, ph = page.cy;
    if (entry >= 0 && entry < kPageWidthEntry) {
        DrawIt1->SetZoom(Width(), kZoomEntryPercent[entry]);
    } else if (entry == kPageWidthEntry) {
        const int width = ScrollBox1->Width() - 40;
        const int height = RoundToInt(static_cast<double>(ph) / pw * width);
        DrawIt1->SetBounds((ScrollBox1->Width() - width) / 2, DrawIt1->Top(), width, height);
    } else if (entry == kWholePageEntry) {
        const int height = ScrollBox1->Height() - 40;
        const int width = RoundToInt(static_cast<double>(pw) / ph * height);
        DrawIt1->SetBounds((ScrollBox1->Width() - width) / 2, DrawIt1->Top(), width, height);
    }
    SetScrollBars();
}

void TVex_Prev::SetScrollBars() {
    ScrollBox1->HorzScrollBar().SetRange(DrawIt1->Width() + 50);
    ScrollBox1->VertScrollBar().SetRange(DrawIt1->Height() + 50);
    ScrollBox1->HorzScrollBar().SetIncrement(DrawIt1->Width() / 10);
    ScrollBox1->VertScrollBar().SetIncrement(DrawIt1->Height() / 10);
}

void TVex_Prev::ZoomInClick(TObject*) {
    const int i = PrintPreview->ItemIndex();
    PrintPreview->SetItemIndex(i >= kWholePageEntry || i < 0 ? 0 : i + 1);
    Zoomfinish();
}

void TVex_Prev::ZoomOutClick(TObject*) {
    const int i = PrintPreview->ItemIndex();
    PrintPreview->SetItemIndex(i <= 0 ? kWholePageEntry : i - 1);
    Zoomfinish();
}

void TVex_Prev::PageWidthButtonClick(TObject*) {
    PrintPreview->SetItemIndex(kPageWidthEntry);
    Zoomfinish();
}

void TVex_Prev::WholePageButtonClick(TObject*) {
    PrintPreview->SetItemIndex(kWholePageEntry);
    Zoomfinish();
}

void TVex_Prev::PrintPreviewClick(TObject*) {
    Zoomfinish();
}

void TVex_Prev::PrintPreviewKeyPress(TObject*, char32_t& key) {
    if (key == 13 && Visible()) Zoomfinish();
}

void TVex_Prev::ZoomMessage(int zoom) {
    for (int i = 0; i < kPageWidthEntry; ++i)
        if (kZoomEntryPercent[i] == zoom) PrintPreview->SetItemIndex(i);
    Zoomfinish();
}

void TVex_Prev::NextPageClick(TObject*) {
    DrawIt1->ShowNextPage();
    PageShown();
}

void TVex_Prev::PrevPageClick(TObject*) {
    DrawIt1->ShowPreviousPage();
    PageShown();
}

void TVex_Prev::PageNoKeyUp(TObject*, std::uint16_t& key, TShiftState) {
    if (key != VK_RETURN) return;
    Result<int> n = ParseListInteger(PageNo->Text());
    if (!n) {
        ReportError(n.error().reason);
        return;
    }
    PageNo->SetText(std::to_string(DrawIt1->ShowPage(*n)));
    if (DrawIt1->TakeShownPageSize()) Zoomfinish();
}

void TVex_Prev::FormKeyDown(TObject*, std::uint16_t& key, TShiftState shift) {
    if (key == VK_PRIOR || key == VK_NEXT) {
        TControlScrollBar& bar = ScrollBox1->VertScrollBar();
        const int step = DrawIt1->Height() / 20;
        int position = bar.Position() + (key == VK_PRIOR ? -step : step);
        if (position < 0) position = 0;
        bar.SetPosition(position);
        Zoomfinish();
        key = 0;  // the page area's keys: the zoom list keeps its entry
        return;
    }
    if (key == VK_ESCAPE) {
        key = 0;
        Close();
        return;
    }
    // Home and End go to the first and last page, unless the page number is being edited.
    if ((key == VK_HOME || key == VK_END) && ActiveControl() != PageNo) {
        DrawIt1->ShowPage(key == VK_HOME ? 1 : DrawIt1->CountPages());
        PageShown();
        key = 0;
        return;
    }
    // Ctrl+Plus and Ctrl+Minus step the zoom ladder as the right and left mouse buttons do.
    if (shift.Contains(ssCtrl)) {
        if (key == VK_OEM_PLUS || key == VK_ADD) {
            DrawIt1->InputMouseDown(mbRight, shift, 0, 0);
            key = 0;
        } else if (key == VK_OEM_MINUS || key == VK_SUBTRACT) {
            DrawIt1->InputMouseDown(mbLeft, shift, 0, 0);
            key = 0;
        }
    }
}

void TVex_Prev::Request(int selection, const std::string& list) {
    if (CallBefore) CallBefore(this);
    Result<void> r = DrawIt1->PrintPageRange(selection, list);
    if (!r) ReportError(r.error().reason);
    if (CallAfter) CallAfter(this);
}

void TVex_Prev::PrintClick(TObject*) {
    Request(0, "");
}
void TVex_Prev::OddClick(TObject*) {
    Request(1, "");
}
void TVex_Prev::EvenClick(TObject*) {
    Request(2, "");
}

void TVex_Prev::CurrentClick(TObject*) {
    const int height = DrawIt1->Height(), width = DrawIt1->Width();
    if (CallBefore) CallBefore(this);
    Result<void> r = DrawIt1->PrintPageRange(0, std::to_string(DrawIt1->CurrentPage()));
    if (!r) ReportError(r.error().reason);
    DrawIt1->SetBounds(DrawIt1->Left(), DrawIt1->Top(), width, height);
    if (CallAfter) CallAfter(this);
}

void TVex_Prev::AdditionalClick(TObject*) {
    const std::string current = std::to_string(DrawIt1->CurrentPage());
    auto dialog = std::make_unique<TAddition>(this);
    for (;;) {
        if (dialog->ShowModal() == mrCancel) break;
        if (CallBefore) CallBefore(this);
        Result<int> copies = ParseListInteger(dialog->Copies->Text());
        if (!copies) {
            ReportError(copies.error().reason);
        } else {
            int selection = 0;
            const std::string* list = &current;
            std::string range;
            if (dialog->All->Checked()) {
                selection = dialog->ComboBox1->ItemIndex();
                list = nullptr;
            } else if (dialog->Current->Checked()) {
                selection = dialog->ComboBox1->ItemIndex();
            } else if (dialog->Range->Checked()) {
                selection = dialog->ComboBox1->ItemIndex();
                list = &range;
            }
            for (int copy = 0; copy < *copies; ++copy) {
                if (list == &range) range = dialog->Edit1->Text();  // read again every copy
                Result<void> r = DrawIt1->PrintPageRange(selection, list ? *list : "");
                if (!r) {
                    ReportError(r.error().reason);
                    break;
                }
                // An Abort in the status dialog ends the remaining copies too.
                if (DrawIt1->LastRequestAborted()) break;
            }
        }
        if (CallAfter) CallAfter(this);
    }
}

void TVex_Prev::CloseButtonClick(TObject*) {
    Close();
}
void TVex_Prev::Close1Click(TObject*) {
    Close();
}

void ShowPreview() {
    auto preview = std::make_unique<TVex_Prev>(&Application());
    preview->ShowModal();
}

}  // namespace quillon
