// SPDX-License-Identifier: GPL-2.0-or-later
// The preview opened on a job of 1, 1,000 and 10,000 stored pages (60 lines of text and a frame
// each), on real widgets (offscreen): the time from creating the window to its first page
// painted, and the time to paint the page at "Whole Page" and at 250 % (the whole page
// control, not only its visible part). A small main, run by hand:
//   build/bench/preview_qt
#include <QApplication>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench/sample_page.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/qt_peer.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Vex_Gdi.h"
#include "printsuite/draw/Vex_view.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void Pump() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

void Record(int pages) {
    quillon::TGdi gdi(quillon::poViewer);
    gdi.DeletePages();
    gdi.StartDocument(quillon::clWhite, "Bench", 100);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1) gdi.NewPage();
        quillon::bench::DrawSamplePage(gdi, page);
    }
    gdi.ClosePage();
}

// Paints the part of the page control that the page area shows, `times` times, into a
// picture; milliseconds a paint. Dark pixels of the last picture in `dark` (the page was
// played, not only its frame).
double PaintMs(QWidget* page, QRect shown, int times, int& dark) {
    QImage image;
    const auto start = Clock::now();
    for (int i = 0; i < times; ++i) image = page->grab(shown).toImage();
    const double ms = Ms(start) / times;
    dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 100;
    return ms;
}

void Run(int pages) {
    Record(pages);
    const auto start = Clock::now();
    auto preview = std::make_unique<quillon::TVex_Prev>(&quillon::Application());
    preview->Show();
    QApplication::processEvents();
    QWidget* page = quillon::QtControlPeer::Of(preview->DrawIt1)->Widget();
    (void)page->grab();  // the first page painted
    const double open = Ms(start);
    Pump();
    const QWidget* area = quillon::QtControlPeer::Of(preview->ScrollBox1)->Widget();
    const QRect shown(0, 0, area->width(), area->height());
    int darkWhole = 0, darkZoomed = 0;
    const double whole = PaintMs(page, shown, 50, darkWhole);
    const int ww = preview->DrawIt1->Width(), wh = preview->DrawIt1->Height();
    preview->PrintPreview->SetItemIndex(0);  // 250 %
    preview->Zoomfinish();
    Pump();
    const double zoomed = PaintMs(page, shown, 10, darkZoomed);
    std::printf("%5d pages: open to first page %6.1f ms; paint at Whole Page %6.2f ms (page "
                "%dx%d, %d dark pixels), at 250 %% %6.2f ms (page %dx%d, %dx%d shown, %d dark)\n",
                pages, open, whole, ww, wh, darkWhole, zoomed, preview->DrawIt1->Width(),
                preview->DrawIt1->Height(), shown.width(), shown.height(), darkZoomed);
    preview->Hide();
    preview.reset();
}

}  // namespace

int main() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    quillon::QtHost host;
    for (int pages : {1, 1000, 10000}) Run(pages);
    return 0;
}
