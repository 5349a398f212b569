// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A print-job setting for drawing-layer tests: a test backend with three printers (a 600 ppi
// laser, a 300 ppi printer and a text-only "Generic" one), page files in a private directory
// of the test, and pages recorded on the recording context so that every call is visible.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/gdi/printer.h"
#include "platform/gdi/screen.h"
#include "platform/sys/temp_dir.h"
#include "tests/support/page_dir_base.h"
#include "printsuite/draw/Vex_Gdi.h"
#include "tests/support/fake_printer.h"
#include "tests/support/recording_device_context.h"

namespace quillon::testing {

class RecordedPage : public PageRecorder {
  public:
    RecordedPage(std::vector<std::vector<std::string>>& finished, RecordingDeviceContext*& open)
        : finished_(finished), open_(open), dc_(Screen().Caps()) {
        open_ = &dc_;
    }
    ~RecordedPage() override {
        if (open_ == &dc_) open_ = nullptr;
    }
    DeviceContext& Context() override { return dc_; }
    std::vector<std::uint8_t> Finish() override {
        finished_.push_back(dc_.Lines());
        const std::string text = dc_.Text();
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }

  private:
    std::vector<std::vector<std::string>>& finished_;
    RecordingDeviceContext*& open_;
    RecordingDeviceContext dc_;
};

class GdiTest : public ::testing::Test {
  protected:
    static constexpr int kLaser = 0, k300 = 1, kGeneric = 2;

    GdiTest() : scope_(&backend_) {}

    void SetUp() override {
        laser_ = backend_.AddPrinter("Laser", 600, 600, 4800, 6600);
        p300_ = backend_.AddPrinter("Printer300", 300, 300, 2400, 3300);
        generic_ = backend_.AddPrinter("Generic / Text Only", 120, 144, 960, 1584);
        backend_.SetDefaultPrinterIndex(kLaser);
        Printer().Refresh();
        ASSERT_TRUE(Printer().SetPrinterIndex(kLaser));
        Printer().SetOrientation(poPortrait);
        TFont& font = Printer().Canvas().Font();
        font.SetName("Arial");
        font.SetHeight(-50);
        font.SetStyle({});
        font.SetColor(clBlack);
        Printer().Canvas().Brush().SetColor(clWhite);
        Printer().Canvas().Brush().SetStyle(bsSolid);
        ASSERT_FALSE(base_.empty());
        SetPageRecorderFactory([this] { return std::make_unique<RecordedPage>(pages_, open_); });
    }

    void TearDown() override {
        SetPageRecorderFactory(nullptr);
    }

    // The calls on the open page from the first call that starts with `from` (all when empty).
    std::vector<std::string> OpenLines(std::size_t skip = 0) const {
        if (!open_) return {};
        const auto& l = open_->Lines();
        return std::vector<std::string>(
            l.begin() + static_cast<std::ptrdiff_t>(std::min(skip, l.size())), l.end());
    }
    std::size_t OpenCount() const { return open_ ? open_->Lines().size() : 0; }

    TestGraphicsBackend backend_;
    ScopedGraphicsBackend scope_;
    std::shared_ptr<FakePrinter> laser_, p300_, generic_;
    ScopedPageDirBase pageDirBase_;
    const std::string& base_ = pageDirBase_.Path();
    std::vector<std::vector<std::string>> pages_;  // finished pages' call logs
    RecordingDeviceContext* open_ = nullptr;
};

}  // namespace quillon::testing
