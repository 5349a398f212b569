// SPDX-License-Identifier: GPL-2.0-or-later
// The print job component and its page decoration.
#include "printsuite/job/PrnWin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/gdi/printer.h"
#include "platform/gdi/screen.h"
#include "platform/sys/interrupt.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/graphics_properties.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Tallet.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Vex_view.h"

namespace quillon {

const TEnumInfo kOutputNames{"TOutput", {{"poPrinter", poPrinter}, {"poViewer", poViewer}}};
const TEnumInfo kPrinterOrientationNames{
    "TPrinterOrientation", {{"poPortrait", poPortrait}, {"poLandscape", poLandscape}}};
const TEnumInfo kUnitsNames{"TUnits", {{"poInches", poInches}, {"poCentimetres", poCentimetres}}};
const TEnumInfo kVexFrameStyleNames{"TVexFrameStyle",
                                    {{"frThin", frThin},
                                     {"frThinThin", frThinThin},
                                     {"frThinThick", frThinThick},
                                     {"frThickThin", frThickThin},
                                     {"frThickThick", frThickThick}}};

namespace {

// Halving as the placement rules give it: to nearest, ties to even.
int Half(int v) {
    return static_cast<int>(std::nearbyint(v / 2.0));
}
int RoundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

void ReplaceFirst(std::string& text, const char* macro, const std::string& by) {
    const auto at = UpperAscii(text).find(macro);
    if (at == std::string::npos) return;
    text.erase(at, 5);
    text.insert(at, by);
}

std::string Format(std::time_t when, const char* format) {
    std::tm tm{};
    localtime_r(&when, &tm);
    char buf[128];
    const std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
    return std::string(buf, n);
}

}  // namespace

void ExpandMacros(std::string& text, int page, const std::string& date, const std::string& time) {
    ReplaceFirst(text, "@PAGE", std::to_string(page));
    ReplaceFirst(text, "@DATE", date);
    ReplaceFirst(text, "@TIME", time);
}

std::string ShortDateText(std::time_t when) {
    return Format(when, "%x");
}
std::string LongTimeText(std::time_t when) {
    return Format(when, "%X");
}

// ---------------------------------------------------------------------------------------------
// Class information: form files know the component by name and store what differs from the
// stored defaults (so LineWidth's initial 0 is written).

const TClassInfo& TPrintWin::StaticClassInfo() {
    using P = TPrintWin;
    static const TClassInfo& info =
        TClassBuilder<P>("TPrintWin", &TVexComponent::StaticClassInfo())
            .Object("HeaderFont", FontClassInfo(), [](P& p) -> TFont& { return p.HeaderFont(); })
            .Object("Font", FontClassInfo(), [](P& p) -> TFont& { return p.Font(); })
            .Object("FooterFont", FontClassInfo(), [](P& p) -> TFont& { return p.FooterFont(); })
            .Bool("FrameObjects", &P::FrameObjects, &P::SetFrameObjects, true)
            .Bool("clBtnFaceAsWhite", &P::clBtnFaceAsWhite, &P::SetclBtnFaceAsWhite, true)
            .Enum("OutputTo", kOutputNames, &P::OutputTo, &P::SetOutputTo, poViewer)
            .Enum("Orientation", kPrinterOrientationNames, &P::Orientation, &P::SetOrientation,
                  poPortrait)
            .Enum("Units", kUnitsNames, &P::Units, &P::SetUnits, poInches)
            .Str("ViewButtonCaption", &P::ViewButtonCaption, &P::SetViewButtonCaption)
            .Bool("ViewButtonVisible", &P::ViewButtonVisible, &P::SetViewButtonVisible, false)
            .Bool("ShowCancelDialog", &P::ShowCancelDialog, &P::SetShowCancelDialog, true)
            .Event("OnAfterPrint", &P::OnAfterPrint)
            .Event("OnBeforePrint", &P::OnBeforePrint)
            .Event("OnBeforePrintControl", &P::OnBeforePrintControl)
            .Event("OnAfterPrintControl", &P::OnAfterPrintControl)
            .Event("OnNewColumn", &P::OnNewColumn)
            .Event("OnNewPage", &P::OnNewPage)
            .Event("OnPrint", &P::OnPrint)
            .Event("OnPrintHeader", &P::OnPrintHeader)
            .Event("OnPrintFooter", &P::OnPrintFooter)
            .Event("OnPrintPage", &P::OnPrintPage)
            .Event("OnViewButtonClicked", &P::OnViewButtonClicked)
            .Int("LineWidth", &P::LineWidth, &P::SetLineWidth, 1)
            .Int("Copies", &P::Copies, &P::SetCopies, 1)
            .Bool("GridBackDrop", &P::GridBackDrop, &P::SetGridBackDrop, false)
            .Enum("GridBackDropUnits", kUnitsNames, &P::GridBackDropUnits, &P::SetGridBackDropUnits,
                  poInches)
            .Float("ZoomPercentage", &P::ZoomPercentage, &P::SetZoomPercentage, std::nullopt)
            .Float("HeaderTop", &P::HeaderTop, &P::SetHeaderTop, std::nullopt)
            .Float("HeaderLeft", &P::HeaderLeft, &P::SetHeaderLeft, std::nullopt)
            .Str("HeaderStringLeft", &P::HeaderStringLeft, &P::SetHeaderStringLeft)
            .Str("HeaderStringCenter", &P::HeaderStringCenter, &P::SetHeaderStringCenter)
            .Str("HeaderStringRight", &P::HeaderStringRight, &P::SetHeaderStringRight)
            .Bool("HeaderEnabled", &P::HeaderEnabled, &P::SetHeaderEnabled, true)
            .Bool("HeaderOutlined", &P::HeaderOutlined, &P::SetHeaderOutlined, false)
            .Bool("HeaderFilled", &P::HeaderFilled, &P::SetHeaderFilled, false)
            .Object("Brush", BrushClassInfo(), [](P& p) -> TBrush& { return p.Brush(); })
            .Object("Pen", PenClassInfo(), [](P& p) -> TPen& { return p.Pen(); })
            .Color("TextColor", &P::TextColor, &P::SetTextColor, 0)
            .Color("ViewBkColor", &P::ViewBkColor, &P::SetViewBkColor, 11234567)
            .Str("ViewHeading", &P::ViewHeading, &P::SetViewHeading)
            .Color("HeadingColor", &P::HeadingColor, &P::SetHeadingColor, std::nullopt)
            .Enum("FrameStyle", kVexFrameStyleNames, &P::FrameStyle, &P::SetFrameStyle,
                  std::nullopt)
            .Float("FooterTop", &P::FooterTop, &P::SetFooterTop, std::nullopt)
            .Str("FooterString", &P::FooterString, &P::SetFooterString)
            .Bool("FooterEnabled", &P::FooterEnabled, &P::SetFooterEnabled, true)
            .Bool("FooterOutlined", &P::FooterOutlined, &P::SetFooterOutlined, false)
            .Bool("FooterFilled", &P::FooterFilled, &P::SetFooterFilled, false)
            .Bool("FixSansSerif", &P::FixSansSerif, &P::SetFixSansSerif, true)
            .Str("FooterStringLeft", &P::FooterStringLeft, &P::SetFooterStringLeft)
            .Str("FooterStringRight", &P::FooterStringRight, &P::SetFooterStringRight)
            .Float("BorderLeft", &P::BorderLeft, &P::SetBorderLeft, std::nullopt)
            .Float("BorderRight", &P::BorderRight, &P::SetBorderRight, std::nullopt)
            .Float("LineSpacing", &P::LineSpacing, &P::SetLineSpacing, std::nullopt)
            .Ref<TWinControl>("ExecuteWinControl", &P::ExecuteWinControl, &P::SetExecuteWinControl)
            .Factory();
    return info;
}

TPrintWin::TPrintWin(TComponent* owner) : TVexComponent(owner) {
    for (TFont* f : {&headerFont_, &font_, &footerFont_, &PlainFont, &AuxFont}) {
        f->SetName("Arial");
        f->SetStyle({});
    }
    headerFont_.SetHeight(16);
    font_.SetHeight(16);
    footerFont_.SetHeight(12);
    PlainFont.SetHeight(12);
    AuxFont.SetHeight(12);
}

TPrintWin::~TPrintWin() {
    if (executeWinControl_) executeWinControl_->RemoveFreeNotification(this);
}

void TPrintWin::SetExecuteWinControl(TWinControl* control) {
    if (executeWinControl_ == control) return;
    if (executeWinControl_) executeWinControl_->RemoveFreeNotification(this);
    executeWinControl_ = control;
    if (control) control->FreeNotification(this);
}

void TPrintWin::Notification(TComponent* component, TOperation operation) {
    TVexComponent::Notification(component, operation);
    if (operation == opRemove && component == executeWinControl_) executeWinControl_ = nullptr;
    if (operation == opRemove) {
        std::erase_if(stringGridNext_, [component](const auto& entry) {
            return static_cast<const TComponent*>(entry.first) == component;
        });
        std::erase_if(tooSmallReported_, [component](const TControl* grid) {
            return static_cast<const TComponent*>(grid) == component;
        });
    }
}

bool TPrintWin::AbortRequested() const {
    return Aborted || InterruptRequested() || (dialogShown_ && PrintDialog1 && PrintDialog1->Aborted());
}

int TPrintWin::StringGridNextRow(const TStringGrid& grid) const {
    const auto it = stringGridNext_.find(&grid);
    return it == stringGridNext_.end() ? 1 : it->second;
}

void TPrintWin::ReportGridTooSmall(TControl& grid) {
    if (std::find(tooSmallReported_.begin(), tooSmallReported_.end(), &grid) !=
        tooSmallReported_.end())
        return;
    tooSmallReported_.push_back(&grid);
    grid.FreeNotification(this);
    const std::string name = grid.Name().empty() ? grid.ClassName() : grid.Name();
    Application().MessageBox(
        "The grid " + name + " is too small to print one row; its rows are not printed", "",
        MB_OK | MB_ICONINFORMATION);
}

std::string TPrintWin::GetComponentName() {
    return "TPrintWin component";
}

void TPrintWin::Execute() {
    if (!executeWinControl_) {
        Application().MessageBox("The ExecuteWinControl property is empty", "",
                                 MB_OK | MB_ICONINFORMATION);
        return;
    }
    StartJob();
    if (!InJob()) return;
    PrintWindowPages(executeWinControl_, 1.0, 1.0);
    EndJob();
}

void TPrintWin::FireBeforePrintControl(TWinControl* control) {
    CurrentControl = control;
    Fire(OnBeforePrintControl);
}
void TPrintWin::FireAfterPrintControl(TWinControl* control) {
    CurrentControl = control;
    Fire(OnAfterPrintControl);
}

void TPrintWin::SelectPlainFont() {
    if (gdi_) gdi_->SetFontStyle(PlainFont.Name(), PlainFont.Height(), false, false, false);
}

// ---------------------------------------------------------------------------------------------
// The job

void TPrintWin::StartJob() {
    // Rich text prints from its beginning in every job, not from where the last one stopped.
    RewindSelfPrintingControls();
    ForgetGrids();
    Aborted = false;
    pageLost_ = false;
    LastPage = true;
    OpaqueBoxes = true;
    dialogShown_ = ShowCancelDialog();
    if (dialogShown_) CreatePrintDialog();
    ProcessPendingMessages();
    gdi_ = std::make_unique<TGdi>(OutputTo());
    if (NoPrinterAvailable()) {
        // No job opens: the dialog goes too, and NewPage / EndJob do nothing until a job does.
        gdi_.reset();
        if (dialogShown_) ReleasePrintDialog();
        dialogShown_ = false;
        return;
    }
    // One date and time for every macro of the job, whenever a page's footer is drawn.
    const std::time_t now = std::time(nullptr);
    jobDate_ = ShortDateText(now);
    jobTime_ = LongTimeText(now);

    gdi_->SetOrientation(Orientation());
    gdi_->DeletePages();
    PageCount = 1;
    if (dialogShown_ && PrintDialog1) {
        PrintDialog1->Page->SetText("1");
        PrintDialog1->Show();
    }
    ProcessPendingMessages();

    TPrinter& printer = Printer();
    const DeviceCaps caps = printer.Caps();
    TFont& pf = printer.Canvas().Font();
    pf.SetName(headerFont_.Name());
    pf.SetHeight(headerFont_.Height());
    const int size = pf.Size();
    pf.SetPixelsPerInch(caps.logPixelsY);
    pf.SetSize(size);
    PrinterDpiX = caps.logPixelsX;
    PrinterDpiY = caps.logPixelsY;
    SetMetricUnits(Units() == poCentimetres ? 1 : 0);
    const double screenPpi = Screen().PixelsPerInch();
    HorizontalScale = PrinterDpiX / screenPpi;
    VerticalScale = PrinterDpiY / screenPpi;
    SetLineSpacing(VerticalScale);
    pf.SetName(PlainFont.Name());
    pf.SetHeight(PlainFont.Height());

    const int pageHeight = printer.PageHeight();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", PixelsToUnits(pageHeight - pageHeight / 20, true));
    SetFooterTop(std::strtod(buf, nullptr));

    gdi_->StartDocument(ViewBkColor(), ViewHeading(), ZoomPercentage());
    gdi_->SetFontColor(clBlack);
    gdi_->SetPen(1, pen_.Color());
    gdi_->SetFontStyle(headerFont_.Name(), std::abs(headerFont_.Size()), false, false, false);
    gdi_->SetPen(1, pen_.Color());
    gdi_->AssignBrush(brush_);
    gdi_->SetFontColor(clBlack);
    RightEdge = printer.PageWidth() - UnitsToPixels(false, BorderRight());

    Fire(OnBeforePrint);
    if (GridBackDrop()) PrintGridBackDrop();
    Fire(OnPrintHeader);
    gdi_->SetBrush(0, brush_.Color(), 0);
    if (brush_.Color() != clWhite) gdi_->SetFontColor(clWhite);
    DrawHeader();
    gdi_->SetFontStyle(PlainFont.Name(), 40, false, false, false);
    gdi_->SetFontColor(clBlack);
}

void TPrintWin::DrawHeader() {
    DrawHeaderBox(HeaderEnabled(), headerFont_, UnitsToPixels(false, BorderLeft()),
                  UnitsToPixels(false, BorderRight()), HeaderStringLeft(), HeaderStringCenter(),
                  HeaderStringRight(), UnitsToPixels(true, HeaderTop()), HeaderFilled(),
                  HeaderOutlined());
}

void TPrintWin::NewPage() {
    if (!gdi_) return;
    Fire(OnNewPage);
    Fire(OnPrintPage);
    Fire(OnPrintFooter);
    PrintFooter();
    SelectPlainFont();
    gdi_->NewPage();
    CheckPageStored();
    ++PageCount;
    ProgressPages(PageCount - 1);
    if (dialogShown_ && PrintDialog1) PrintDialog1->Page->SetText(std::to_string(PageCount));
    if (GridBackDrop()) PrintGridBackDrop();
    gdi_->SetBrush(0, brush_.Color(), 0);
    if (brush_.Color() != clWhite) gdi_->SetFontColor(clWhite);
    Fire(OnPrintHeader);
    gdi_->SetFontStyle(headerFont_.Name(), headerFont_.Height(), false, false, false);
    DrawHeader();
    // The footer of the new page is drawn once, when the page is finished (by the next
    // NewPage or by EndJob): drawing it here as well put the footer texts on the page three
    // times over.
    SelectPlainFont();
    gdi_->SetFontColor(clBlack);
}

void TPrintWin::EndJob() {
    if (!gdi_) return;
    SelectPlainFont();
    gdi_->SetBrush(0, brush_.Color(), 0);
    PrintFooter();
    gdi_->ClosePage();
    CheckPageStored();
    for (const std::string& line : UnprintedTextReports()) JobNotice(line);
    if (dialogShown_) {
        if (PrintDialog1 && PrintDialog1->Aborted()) Aborted = true;
        // Printing goes on in the same status window: one window for the whole job.
        if (Aborted || OutputTo() == poViewer) ReleasePrintDialog();
    }
    Fire(OnAfterPrint);
    if (InterruptRequested()) Aborted = true;
    if (!Aborted && (!PagesRecorded || PagesRecorded())) {
        if (OutputTo() == poViewer) {
            ShowPreview();
        } else {
            // Each copy is one printer document holding every page in order.
            ProgressPhase("printing", PageCount);
            for (int copy = 0; copy < Copies() && !InterruptRequested(); ++copy)
                gdi_->PrintPages(dialogShown_, PrintFilter);
        }
    }
    if (dialogShown_) ReleasePrintDialog();
    gdi_->DeletePages();
    gdi_.reset();
    dialogShown_ = false;
    ForgetGrids();
}

void TPrintWin::CheckPageStored() {
    if (pageLost_ || !gdi_ || gdi_->SaveError().empty()) return;
    // A job with a page missing is not printed: the user is told, and the drawing stops.
    pageLost_ = true;
    Aborted = true;
    ShowPrintError(gdi_->SaveError());
}

void TPrintWin::ForgetGrids() {
    // The free notifications stay: they are shared with other references (ExecuteWinControl)
    // and one that comes later finds nothing to drop.
    stringGridNext_.clear();
    tooSmallReported_.clear();
}

void TPrintWin::JobNotice(const std::string& line) {
    if (OnJobNotice)
        OnJobNotice(line);
    else
        std::fprintf(stderr, "quillon: %s\n", line.c_str());
}

void TPrintWin::TextAt(const std::string& text, double down, double across) {
    if (gdi_) gdi_->PutText(UnitsToPixels(false, across), UnitsToPixels(true, down), text);
}

double TPrintWin::PageHeightUnits() const {
    return PixelsToUnits(Printer().PageHeight(), true);
}
double TPrintWin::PageWidthUnits() const {
    return PixelsToUnits(Printer().PageWidth(), false);
}

// ---------------------------------------------------------------------------------------------
// Decoration

void TPrintWin::ExpandMacros(std::string& text) const {
    quillon::ExpandMacros(text, gdi_ ? gdi_->GetPageNumber() : 0, jobDate_, jobTime_);
}

void TPrintWin::DrawHeaderBox(bool enabled, const TFont& font, int left, int rightMargin,
                              std::string leftText, std::string centerText, std::string rightText,
                              int top, bool filled, bool outlined) {
    if (!gdi_) return;
    gdi_->SetFontColor(font.Color());
    if (!enabled) return;
    const int height = RoundEven(font.Height() * VerticalScale);
    gdi_->SetFont(font.Name(), height);
    TCanvas& canvas = Printer().Canvas();
    canvas.Font().SetName(font.Name());
    canvas.Font().SetHeight(height);
    canvas.Font().SetStyle(font.Style());
    const int h = std::abs(height);
    ExpandMacros(centerText);
    const int w = canvas.TextWidth(centerText);
    const int pageWidth = Printer().PageWidth();
    const int right = pageWidth - rightMargin;
    const TRect band{left, top, right, top + 2 * h};
    if (filled) gdi_->FillBox(band);
    gdi_->SetPen(1, clBlack);
    if (outlined) gdi_->FrameBox(band.Left, band.Top, band.Right, band.Bottom, 2, 2, 2, 2);
    ExpandMacros(leftText);
    gdi_->PutText(left + 20, top + Half(h), leftText);
    gdi_->PutText(left + Half(right - left) - Half(w), top + Half(h), centerText);
    ExpandMacros(rightText);
    const int rw = canvas.TextWidth(rightText) + canvas.TextWidth("00");
    gdi_->PutText(pageWidth - rightMargin - rw, top + Half(h), rightText);
}

void TPrintWin::DrawFooterBox(const TFont& font, int left, int rightMargin, std::string text,
                              int top, bool filled, bool outlined, const TBrush& brush) {
    if (!gdi_) return;
    const int h = RoundEven(std::abs(font.Height()) * VerticalScale);
    TCanvas& canvas = Printer().Canvas();
    canvas.Font().Assign(font);
    canvas.Font().SetHeight(h);
    gdi_->SetFontStyle(font.Name(), h, true, false, false);
    canvas.Font().SetStyle({fsBold});
    ExpandMacros(text);
    gdi_->SetFontColor(font.Color());
    const int right = Printer().PageWidth() - rightMargin;
    const TRect band{left, top, right, top + 2 * h};
    if (filled) {
        gdi_->AssignBrush(brush);
        gdi_->FillBox(band);
    }
    gdi_->SetPen(1, clBlack);
    if (outlined) gdi_->FrameBox(band.Left, band.Top, band.Right, band.Bottom, 2, 2, 2, 2);
    const int w = canvas.TextWidth(text);
    gdi_->PutText(left + Half(right - left) - Half(w), top + Half(h), text);
    gdi_->SetFontColor(clBlack);
}

void TPrintWin::DrawFooterText(int xMargin, int top, int alignment, std::string text) {
    if (!gdi_) return;
    TCanvas& canvas = Printer().Canvas();
    const int previous = canvas.Font().Height();
    const int hp =
        gdi_->SetPrinterFont("Arial", RoundEven(12 * VerticalScale), false, false, false);
    const int inset = RoundEven(5 * VerticalScale);
    if (!text.empty()) {
        ExpandMacros(text);
        if (alignment == 0) {
            gdi_->PutText(xMargin + inset, top + Half(hp), text);
        } else {
            const int w = canvas.TextWidth(text);
            gdi_->PutText(Printer().PageWidth() - xMargin - w - inset, top + Half(hp), text);
        }
    }
    canvas.Font().SetHeight(previous);
    gdi_->SetFontStyle("Arial", previous, false, false, false);
}

void TPrintWin::PrintFooter() {
    if (!gdi_) return;
    const int left = UnitsToPixels(false, BorderLeft());
    const int rightMargin = UnitsToPixels(false, BorderRight());
    const int top = UnitsToPixels(true, FooterTop());
    DrawFooterBox(PlainFont, left, rightMargin, FooterString(), top, FooterFilled(),
                  FooterOutlined(), brush_);
    DrawFooterText(left, top, 0, FooterStringLeft());
    DrawFooterText(rightMargin, top, 1, FooterStringRight());
}

void TPrintWin::PrintGridBackDrop() {
    if (!gdi_ || !GridBackDrop()) return;
    const bool metric = GridBackDropUnits() == poCentimetres;
    const double s = metric ? 2.54 : 1.0;
    SetMetricUnits(metric ? 1 : 0);
    gdi_->SetFontStyle("Arial", RoundEven(12 * LineSpacing()), false, false, false);
    const double W = PageWidthUnits();
    const double H = PageHeightUnits();
    const auto X = [](double v) { return UnitsToPixels(false, v); };
    const auto Y = [](double v) { return UnitsToPixels(true, v); };
    const auto line = [&](double x1, double y1, double x2, double y2) {
        gdi_->DrawLine(X(x1), Y(y1), X(x2), Y(y2));
    };
    const auto frame = [&](double l, double t, double r, double b) {
        line(l, t, r, t);
        line(r, t, r, b);
        line(r, b, l, b);
        line(l, b, l, t);
    };
    const double d = 0.25 * s;
    frame(0, 0, W, H);
    frame(0, 0, W, d);
    frame(0, H - d, W, H);
    frame(0, 0, d, H);
    frame(W - d, 0, W, H);
    const int across = RoundEven(W);
    for (int n = 0; n < across; ++n) {
        const double x = n;
        if (n > 0) TextAt(std::to_string(n), 0.1, x + 0.05);
        line(x, 0, x, d);
        line(x + 0.25, 0.1875 * s, x + 0.25, d);
        line(x + 0.5, 0.125 * s, x + 0.5, d);
        line(x + 0.75, 0.1875 * s, x + 0.75, d);
    }
    const int down = RoundEven(H);
    for (int n = 0; n < down; ++n) {
        const double y = n;
        if (n > 0) TextAt(std::to_string(n), y, 0.05 * s);
        line(0, y, d, y);
        line(0.1875 * s, y + 0.25, d, y + 0.25);
        line(0.125 * s, y + 0.5, d, y + 0.5);
        line(0.1875 * s, y + 0.75, d, y + 0.75);
    }
    for (int n = 0; n < down; ++n) {
        const double y = n;
        if (n > 0) TextAt(std::to_string(n), y, W - 0.2 * s);
        line(W - d, y, W, y);
        line(W - d, y + 0.25, W - 0.1875 * s, y + 0.25);
        line(W - d, y + 0.5, W - 0.125 * s, y + 0.5);
        line(W - d, y + 0.75, W - 0.1875 * s, y + 0.75);
    }
    SetMetricUnits(Units() == poCentimetres ? 1 : 0);
}

void RegisterPrintJobClasses() {
    RegisterVexClasses();
    (void)TPrintWin::StaticClassInfo();
}

}  // namespace quillon
