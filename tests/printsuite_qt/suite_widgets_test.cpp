// SPDX-License-Identifier: GPL-2.0-or-later
// The print suite with real widgets: the status dialog shown by the Qt host and its Abort
// button, and window printing drawing a widget the host renders at the page's resolution.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/vcl/forms.h"
#include "platform/gdi/printer.h"
#include "platform/qt/qt_peer.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/base/Tallet.h"
#include "tests/printsuite_qt/suite_qt_host.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

QWidget* WidgetOf(const TControl* control) {
    QtControlPeer* peer = QtControlPeer::Of(control);
    return peer ? peer->Widget() : nullptr;
}

void Pump() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

TEST(StatusDialogOnQt, ShowsItsFieldsAndAbortsFromTheButton) {
    SuiteHost();
    TPrintDialog1* d = CreatePrintDialog();
    d->Show();
    Pump();
    QWidget* window = WidgetOf(d);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle().toStdString(), "Print Status");
    auto* status = qobject_cast<QLineEdit*>(WidgetOf(d->Status));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text().toStdString(), "Preparing Page");
    d->Status->SetText("Printing...");
    Pump();
    EXPECT_EQ(status->text().toStdString(), "Printing...");

    Printer().Refresh();
    SuiteHost().Graphics().PdfPrinter().SetOutputFile(
        (std::filesystem::temp_directory_path() / "quillon-aborted.pdf").string());
    ASSERT_TRUE(Printer().BeginDoc()) << Printer().LastError();
    auto* abort = qobject_cast<QAbstractButton*>(WidgetOf(d->CancelBtn));
    ASSERT_NE(abort, nullptr);
    EXPECT_EQ(abort->text().toStdString(), "&Abort");
    abort->click();
    Pump();
    EXPECT_TRUE(d->Aborted());
    EXPECT_FALSE(Printer().Printing());
    EXPECT_EQ(d->Status->Text(), "Interrupted...Please Wait");
    EXPECT_FALSE(window->isVisible());
    ReleasePrintDialog();
    Pump();
}

// Prints `control` (at 10, 10, 80 x 20 on its form) onto a recording page on which screen pixels
// map onto `ppi` pixels per inch; the calls recorded.
std::vector<std::string> PaintAtPpi(TWinControl& control, int ppi) {
    testing::RecordingDeviceContext dc(Printer().Caps());
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExtEx(96, 96);
    dc.SetViewportExtEx(ppi, ppi);
    SetWindowPaintDC(&dc);
    PaintWindowTo(control, dc, 10, 10, 80, 20);
    SetWindowPaintDC(nullptr);
    return dc.Lines();
}

TEST(WindowPaintOnQt, AWidgetIsDrawnAsABitmapAtThePagesResolution) {
    SuiteHost();
    auto* form = new TForm(nullptr);
    form->SetName("PaintFrm");
    form->SetClientWidth(200);
    form->SetClientHeight(100);
    auto* edit = new TEdit(form);
    edit->SetName("Field");
    edit->SetParent(form);
    edit->SetBounds(10, 10, 80, 20);
    edit->SetText("widget text");
    form->Show();
    Pump();
    ASSERT_NE(WidgetOf(edit), nullptr);

    // Screen pixels mapped onto a 600 ppi page, as window printing sets the page up.
    const std::vector<std::string> lines = PaintAtPpi(*edit, 600);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "StretchDIBits 0,0,80,20 from 0,0,500,125 of 500x125 rop CC0020"),
              lines.end());
    // The widget's own picture replaces the plain box of the model.
    for (const auto& l : lines) EXPECT_EQ(l.find("\"widget text\""), std::string::npos) << l;

    // At 9,600 ppi the edit would be 8,000 x 2,000 pixels: it is rendered at 4,096 x 1,024 (the
    // 4 M-pixel cap, shape kept) and stretched over the same place.
    const std::vector<std::string> fine = PaintAtPpi(*edit, 9600);
    EXPECT_NE(std::find(fine.begin(), fine.end(),
                        "StretchDIBits 0,0,80,20 from 0,0,4096,1024 of 4096x1024 rop CC0020"),
              fine.end());
    delete form;
    Pump();
}

}  // namespace
}  // namespace quillon
