// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The window-printing setting shared by the form-printer tests: a form printer on the
// recording pages of GdiTest, a 96 ppi printer beside the fixture's three (so that screen
// pixels and printer pixels are one), and helpers to pick calls out of a page's log.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/gdi/printer.h"
#include "platform/sys/desktop.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/forms/DBPrnWin.h"
#include "tests/printsuite/gdi_fixture.h"

namespace quillon {

class WindowPrintTest : public testing::GdiTest {
  protected:
    static constexpr int k96 = 3;

    void SetUp() override {
        GdiTest::SetUp();
        dpi96_ = backend_.AddPrinter("Plain96", 96, 96, 816, 1056);
        Printer().Refresh();
        Headless().Reset();
        job_.SetShowCancelDialog(false);
        job_.SetOutputTo(poPrinter);
        job_.SetCopies(0);
    }
    void TearDown() override {
        if (job_.InJob()) job_.EndJob();
        SetMetricUnits(0);
        Headless().Reset();
        GdiTest::TearDown();
    }
    void Start(int printer = kLaser) {
        ASSERT_TRUE(Printer().SetPrinterIndex(printer));
        job_.StartJob();
        ASSERT_TRUE(job_.InJob());
        mark_ = OpenCount();
    }
    // The calls since Start (or since the last Mark).
    std::vector<std::string> Calls() const { return OpenLines(mark_); }
    void Mark() { mark_ = OpenCount(); }
    std::vector<std::string> Only(std::initializer_list<std::string> prefixes) const {
        std::vector<std::string> out;
        for (const auto& l : Calls())
            for (const auto& p : prefixes)
                if (l.rfind(p, 0) == 0) {
                    out.push_back(l);
                    break;
                }
        return out;
    }
    template <class T>
    T* Add(TWinControl& parent, int l, int t, int w, int h) {
        auto* c = new T(&parent);
        if constexpr (std::is_base_of_v<TCustomLabel, T>) c->SetAutoSize(false);
        c->SetParent(&parent);
        c->SetBounds(l, t, w, h);
        return c;
    }
    static std::string Dump(const std::vector<std::string>& v) {
        std::string s;
        for (const auto& l : v) s += l + "\n";
        return s;
    }

    std::shared_ptr<testing::FakePrinter> dpi96_;
    TDBPrintWin job_{nullptr};
    std::size_t mark_ = 0;
};


// The width of a text on the printer canvas in that font (the recorded pages measure there).
inline int WidthIn(const std::string& face, int height, bool bold, const std::string& text) {
    TFont& f = Printer().Canvas().Font();
    f.SetName(face);
    f.SetHeight(height);
    f.SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
    return Printer().Canvas().TextWidth(text);
}

inline bool Has(const std::vector<std::string>& calls, const std::string& line) {
    return std::find(calls.begin(), calls.end(), line) != calls.end();
}
inline std::size_t IndexOf(const std::vector<std::string>& calls, const std::string& line) {
    return static_cast<std::size_t>(std::find(calls.begin(), calls.end(), line) - calls.begin());
}

}  // namespace quillon
