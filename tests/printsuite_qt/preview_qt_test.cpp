// SPDX-License-Identifier: GPL-2.0-or-later
// The preview window with real widgets: its bars, zoom list and page fields as the user sees
// them, and the page control showing the stored page; a picture of the window is saved for
// looking at (QUILLON_PREVIEW_PNG names the file).

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QWheelEvent>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/qt/qt_peer.h"
#include "platform/sys/desktop.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Vex_Gdi.h"
#include "printsuite/draw/Vex_view.h"
#include "tests/printsuite_qt/suite_qt_host.h"
#include "tests/support/page_dir_base.h"

namespace quillon {
namespace {

QWidget* WidgetOf(const TControl* control) {
    QtControlPeer* peer = QtControlPeer::Of(control);
    return peer ? peer->Widget() : nullptr;
}

void Pump() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Dark pixels in the picture (text and lines of the played page).
int DarkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 100) ++dark;
    return dark;
}

TEST(PreviewOnQt, ShowsTheBarsTheZoomListAndThePage) {
    SuiteHost();
    testing::ScopedPageDirBase pageDir;
    ASSERT_FALSE(pageDir.Path().empty());
    {
        TGdi gdi(poViewer);
        gdi.DeletePages();
        gdi.StartDocument(clWhite, "Preview test", 100);
        for (int n = 1; n <= 3; ++n) {
            if (n > 1) gdi.NewPage();
            gdi.PutText(300, 300, "This is page " + std::to_string(n));
            gdi.PutText(300, 600, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
        }
        gdi.ClosePage();
        ASSERT_TRUE(gdi.SaveError().empty()) << gdi.SaveError();
    }
    auto preview = std::make_unique<TVex_Prev>(&Application());
    preview->Show();
    Pump();
    QWidget* window = WidgetOf(preview.get());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle().toStdString(), "Preview test");
    auto* zoom = qobject_cast<QComboBox*>(WidgetOf(preview->PrintPreview));
    ASSERT_NE(zoom, nullptr);
    EXPECT_EQ(zoom->count(), 10);
    EXPECT_EQ(zoom->currentText().toStdString(), "Whole Page");
    auto* total = qobject_cast<QLineEdit*>(WidgetOf(preview->PageTot));
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->text().toStdString(), "3");
    EXPECT_TRUE(total->isReadOnly());

    QWidget* page = WidgetOf(preview->DrawIt1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->width(), preview->DrawIt1->Width());
    const int shown = DarkPixels(page->grab().toImage());
    EXPECT_GT(shown, 50);  // the page's text is painted, not only its frame

    // The next page is painted when moved to; the field follows.
    preview->NextPageClick(nullptr);
    Pump();
    EXPECT_EQ(qobject_cast<QLineEdit*>(WidgetOf(preview->PageNo))->text().toStdString(), "2");

    // Ctrl+wheel over the page steps the zoom (Whole Page shown: the control's zoom 100 goes
    // to 150, the list follows); a plain wheel is left to the page area.
    const auto wheel = [&](Qt::KeyboardModifiers mods, int delta) {
        const QPointF at(10, 10);
        QWheelEvent e(at, page->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(page, &e);
        return e.isAccepted();
    };
    EXPECT_TRUE(wheel(Qt::ControlModifier, 120));
    Pump();
    EXPECT_EQ(zoom->currentText().toStdString(), "150%");
    wheel(Qt::NoModifier, -120);
    Pump();
    EXPECT_EQ(zoom->currentText().toStdString(), "150%");

    if (const char* png = std::getenv("QUILLON_PREVIEW_PNG")) window->grab().save(png);
    preview->Hide();
    preview.reset();
    EXPECT_FALSE(PageFileExists(1, poViewer));
}

}  // namespace
}  // namespace quillon
