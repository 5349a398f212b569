// SPDX-License-Identifier: GPL-2.0-or-later
// The report's name on real fonts: the name label, sized to its caption as the screen's font
// measures it, holds a 30-character name on one line on paper at 300 and at 600 pixels per
// inch, as the window shows it.

#include <gtest/gtest.h>

#include <QtGlobal>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/Ptr.h"
#include "app/name_analysis.h"
#include "platform/gdi/printer.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_fonts.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/forms/DBPrnWin.h"
#include "tests/support/fake_printer.h"

namespace quillon {
namespace {

// Printers that keep what they receive, measuring text with the real fonts.
class RealFontsBackend : public testing::TestGraphicsBackend {
  public:
    TextMeasurer& Measurer() override { return fonts_; }

  private:
    QtTextMeasurer fonts_;
};

TEST(ReportOnRealFonts, AThirtyCharacterNameStaysOnOneLineAt300And600Ppi) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QtGraphicsSession qt;
    RealFontsBackend backend;
    const auto office = backend.AddPrinter("Office", 300, 300, 2400, 3300);
    const auto laser = backend.AddPrinter("Laser", 600, 600, 4800, 6600);
    ScopedGraphicsBackend scope(&backend);
    Printer().Refresh();
    for (const std::string& name :
         {std::string("MAXIMILIANA WORTHINGTON SMYTHE"), std::string(30, 'W')}) {
        ASSERT_EQ(name.size(), 30u);
        for (int index : {0, 1}) {
            SCOPED_TRACE(name + (index ? " at 600 ppi" : " at 300 ppi"));
            ASSERT_TRUE(Printer().SetPrinterIndex(index));
            TPrintFrm form(nullptr, false);
            NameAnalysis analysis;
            AnalyseName(name, NumberSystem::Pythagorean, analysis);
            form.FillFrom(analysis);
            // The label took the caption's size on the screen.
            TCanvas screen;
            screen.Font().Assign(form.Label1->Font());
            EXPECT_EQ(form.Label1->Width(), screen.TextWidth(name));
            TDBPrintWin& job = *form.DBPrintWin1;
            job.SetShowCancelDialog(false);
            job.SetOutputTo(poPrinter);
            job.StartJob();
            job.PrintWindow(form.Panel1, 0.5, 0.5);
            job.EndJob();
            const auto& printer = index ? laser : office;
            ASSERT_FALSE(printer->Documents().empty());
            ASSERT_FALSE(printer->Documents().back().pages.empty());
            const auto& page = printer->Documents().back().pages[0];
            const auto whole = [&](const std::string& text) {
                return std::any_of(page.begin(), page.end(), [&](const std::string& l) {
                    return l.rfind("ExtTextOut ", 0) == 0 &&
                           l.find("\"" + text + "\"") != std::string::npos;
                });
            };
            EXPECT_TRUE(whole(name));
            EXPECT_TRUE(whole(":  " + name));
        }
    }
}

}  // namespace
}  // namespace quillon
