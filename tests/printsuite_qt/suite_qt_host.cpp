// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/printsuite_qt/suite_qt_host.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QSettings>
#include <filesystem>
#include <memory>
#include <string>

namespace quillon::suiteqt {
namespace {

namespace fs = std::filesystem;

// One Qt host for the whole executable (fonts and widgets Qt hands out belong to its
// application object), listing only the built-in PDF printer, with settings in a private
// directory.
class QtSession : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        std::string pattern = fs::temp_directory_path().string() + "/quillon-settings-XXXXXX";
        if (mkdtemp(pattern.data())) settingsDir_ = pattern;
        QtHost::Options options;
        options.graphics.systemPrinters = false;
        options.graphics.pdfPaper = PaperKind::Letter;
        options.desktop = QtDesktop::Options{};
        options.desktop.settingsOrganization = QStringLiteral("QuillonTests");
        options.desktop.settingsDirectory = QString::fromStdString(settingsDir_);
        host = std::make_unique<QtHost>(std::move(options));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(settingsDir_));
    }
    void TearDown() override {
        host.reset();
        std::error_code ec;
        if (!settingsDir_.empty()) fs::remove_all(settingsDir_, ec);
    }
    static inline std::unique_ptr<QtHost> host;

  private:
    std::string settingsDir_;
};

[[maybe_unused]] const auto* const kSession = ::testing::AddGlobalTestEnvironment(new QtSession);

}  // namespace

QtHost& SuiteHost() {
    return *QtSession::host;
}

}  // namespace quillon::suiteqt
