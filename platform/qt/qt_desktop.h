// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The desktop services of the Qt host: the event loop and modal windows,
// message boxes, the beep, the clipboard, opening documents and help, the
// pointer, the settings store and the widgets of the controls (qt_peer.h).
//
// Screenshots: with a directory set (QUILLON_SCREENSHOT_DIR) every window of
// a form is saved as "<form name>.png" once it is shown, and message boxes as
// "MessageBox.png"; with QUILLON_SCREENSHOT_QUIT=1 the program ends once the
// first window has been shown (and saved). QUILLON_SCREENSHOT_DELAY gives the
// milliseconds to wait before saving.

#include <QPointer>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/sys/desktop.h"

class QWidget;

namespace quillon {

struct ScreenshotOptions {
    std::string directory;  // empty: nothing is saved
    bool quit = false;      // end the program once the first window is shown
    int delayMilliseconds = 0;

    bool Active() const { return !directory.empty() || quit; }
    static ScreenshotOptions FromEnvironment();
};

class QtDesktop final : public DesktopBackend {
  public:
    enum class HelpViewer {
        Browser,  // the desktop's browser, else the help window of our own
        Window,   // always the help window of our own
    };

    struct Options {
        ScreenshotOptions screenshots;
        HelpViewer helpViewer = HelpViewer::Browser;
        // Searched first for a help file given without a directory.
        std::vector<std::string> helpDirectories;
        // Hands an address to the desktop (QDesktopServices::openUrl when empty).
        std::function<bool(const QUrl&)> openUrl;
        // Organisation under which the settings store keeps its files.
        QString settingsOrganization = QStringLiteral("Quillon");
        // The folder of that organisation's folder (empty: the user's configuration folder,
        // $XDG_CONFIG_HOME or ~/.config).
        QString settingsDirectory;

        // Screenshots from the environment, QUILLON_HELP_VIEWER=window, the
        // directories of QUILLON_HELP_DIR (separated by ':').
        static Options FromEnvironment();
    };

    QtDesktop();
    explicit QtDesktop(Options options);
    ~QtDesktop() override;

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    void Beep() override;
    bool OpenDocument(const std::string& target) override;
    bool ShowHelp(const std::string& helpFile, const std::string& topic) override;
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& text) override;
    void SetScreenCursor(TCursor cursor) override;
    std::optional<std::string> ReadSetting(const std::string& key, const std::string& subkey,
                                           const std::string& name) override;
    void WriteSetting(const std::string& key, const std::string& subkey, const std::string& name,
                      const std::string& value) override;
    void DeleteSetting(const std::string& key, const std::string& subkey,
                       const std::string& name) override;
    // The INI file of a settings key ("Tallet.Ini": .../Quillon/Tallet.ini).
    std::string SettingsFile(const std::string& key) const;
    void ProcessMessages() override;
    void Run(TApplication& app) override;
    void RunModal(TCustomForm& form) override;
    void Post(std::function<void()> work) override;
    std::unique_ptr<ControlPeer> CreatePeer(TControl& control) override;
    // The control's widget (without its child widgets) painted into a `width` x `height`
    // image, for printing at the page's resolution.
    bool RenderControl(TControl& control, int width, int height, TBitmap& out) override;

    // The address a target of ExecuteFile stands for (invalid for an empty one).
    static QUrl UrlForTarget(const std::string& target);
    // The file that shows `helpFile`: the file itself, or for a classic help
    // file name ("tessel.hlp") the HTML file of the same name, looked for in
    // the help directories, next to the program (../share/quillon/help, help)
    // and in the installed places. Empty when there is none.
    std::string FindHelpFile(const std::string& helpFile) const;
    // The help window of our own (nullptr until help was first shown in it).
    QTextBrowser* HelpWindow() const { return helpWindow_; }

    // Called by a form's widget when it is shown.
    void WindowShown(QWidget* window, const std::string& name);
    // Files saved so far.
    const std::vector<std::string>& SavedScreenshots() const { return saved_; }

    const Options& Settings() const { return options_; }

    // The installed desktop when it is this host's (nullptr otherwise).
    static QtDesktop* Installed();

  private:
    void ShowHelpWindow(const QUrl& url);
    void ScheduleScreenshots();
    void TakeScreenshots();
    std::string SaveScreenshot(QWidget* window, const std::string& name);

    Options options_;
    QPointer<QTextBrowser> helpWindow_;
    struct Shown {
        QPointer<QWidget> window;
        std::string name;
    };
    std::vector<Shown> pending_;
    bool scheduled_ = false;
    std::set<std::string> usedNames_;
    std::vector<std::string> saved_;
    int overrideCursors_ = 0;
};

}  // namespace quillon
