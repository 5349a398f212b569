// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/platform_qt/qt_test_support.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <memory>

#include <QSettings>
#include <QUrl>

#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_host.h"

namespace quillon::qttest {

std::string Picture(const QImage& image) {
    return Picture(image, image.rect());
}

std::string Picture(const QImage& image, const QRect& area) {
    std::string out;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y) & 0xFFFFFF;
            char ch = '+';
            if (c == 0xFFFFFF)
                ch = '.';
            else if (c == 0x000000)
                ch = '#';
            else if (c == 0xFF0000)
                ch = 'r';
            else if (c == 0x00FF00)
                ch = 'g';
            else if (c == 0x0000FF)
                ch = 'b';
            out.push_back(ch);
        }
        out.push_back('\n');
    }
    return out;
}

QRect InkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) bounds |= QRect(x, y, 1, 1);
    return bounds;
}

int CountPixels(const QImage& image, QRgb color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF)) ++n;
    return n;
}

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quillon-qt-test-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

namespace {

QtHost* host = nullptr;
std::vector<std::string> openedUrls;
bool openUrlResult = true;

// Every test of this executable runs with Qt started for windows (without a display) and the
// Qt host installed; only the built-in PDF printer is listed so that results do not depend
// on the machine's printers, addresses are recorded instead of opened, help shows in the
// host's own window and settings go to a private directory.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QtHost::Options options;
        options.graphics.systemPrinters = false;
        options.graphics.pdfPaper = PaperKind::Letter;
        options.desktop = QtDesktop::Options{};
        options.desktop.helpViewer = QtDesktop::HelpViewer::Window;
        options.desktop.openUrl = [](const QUrl& url) {
            openedUrls.push_back(url.toString().toStdString());
            return openUrlResult;
        };
        options.desktop.settingsOrganization = QStringLiteral("QuillonTests");
        options.desktop.settingsDirectory = QString::fromStdString(settings_.Path());
        host_ = std::make_unique<QtHost>(std::move(options));
        host = host_.get();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(settings_.Path()));
    }
    void TearDown() override {
        host = nullptr;
        host_.reset();
    }

  private:
    TempDir settings_;
    std::unique_ptr<QtHost> host_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QtHost& Host() {
    return *host;
}
std::vector<std::string>& OpenedUrls() {
    return openedUrls;
}
void SetOpenUrlResult(bool result) {
    openUrlResult = result;
}

}  // namespace quillon::qttest
