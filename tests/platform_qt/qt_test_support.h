// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Helpers of the Qt backend's tests: pictures of small images as text, and running the
// poppler tools on PDF files.

#include <QImage>

#include "tests/support/run_command.h"
#include <QRect>
#include <string>
#include <vector>

namespace quillon {
class QtHost;
}

namespace quillon::qttest {

// The Qt host every test of the executable runs in.
QtHost& Host();
// Addresses handed to the desktop so far (nothing is really opened), and what opening answers.
std::vector<std::string>& OpenedUrls();
void SetOpenUrlResult(bool result);

// One character per pixel, one line per row: '.' white, '#' black, 'r' red, 'g' green,
// 'b' blue, '+' any other colour.
std::string Picture(const QImage& image);
std::string Picture(const QImage& image, const QRect& area);

// Smallest rectangle holding every pixel that is not white (empty when there is none).
QRect InkBounds(const QImage& image);
// Number of pixels of exactly this colour.
int CountPixels(const QImage& image, QRgb color);

using quillon::testing::RunCommand;

// A fresh private directory for the test's files (removed with the object).
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

bool FileExists(const std::string& path);

}  // namespace quillon::qttest
