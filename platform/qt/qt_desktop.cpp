// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_desktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <exception>

#include "platform/vcl/forms.h"
#include "platform/gdi/graphics.h"
#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_peer.h"
#include "platform/sys/ini_file.h"
#include "platform/sys/sysutils.h"

namespace quillon {

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// Keeps a component's destruction visible to code that outlives it (a modal
// loop whose form is released from inside).
class Lifetime final : public TComponent {
  public:
    explicit Lifetime(TComponent& watched) : TComponent(nullptr), watched_(&watched) {
        watched.FreeNotification(this);
    }
    ~Lifetime() override {
        if (watched_) watched_->RemoveFreeNotification(this);
    }
    bool Gone() const { return watched_ == nullptr; }

  protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == watched_) watched_ = nullptr;
    }

  private:
    TComponent* watched_;
};

// One turn of the event loop: waits for events when none are pending.
void LoopOnce() {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    // Widgets released while their events ran are deleted here, as the
    // program's own loop does not return to a QEventLoop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QMessageBox::StandardButton ButtonFor(int answer) {
    switch (answer) {
        case IDOK:
            return QMessageBox::Ok;
        case IDCANCEL:
            return QMessageBox::Cancel;
        case IDABORT:
            return QMessageBox::Abort;
        case IDRETRY:
            return QMessageBox::Retry;
        case IDIGNORE:
            return QMessageBox::Ignore;
        case IDYES:
            return QMessageBox::Yes;
        case IDNO:
            return QMessageBox::No;
        default:
            return QMessageBox::NoButton;
    }
}

int AnswerFor(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Cancel:
            return IDCANCEL;
        case QMessageBox::Abort:
            return IDABORT;
        case QMessageBox::Retry:
            return IDRETRY;
        case QMessageBox::Ignore:
            return IDIGNORE;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        default:
            return 0;
    }
}

// A file name from a window's name: letters, digits, '-', '_' and '.'.
std::string SafeFileName(const std::string& name) {
    std::string out;
    for (unsigned char c : name)
        out += (std::isalnum(c) || c == '-' || c == '_' || c == '.') ? char(c) : '_';
    if (out.empty() || out[0] == '.') out.insert(out.begin(), 'w');
    return out;
}

// The settings file name of a key: no directories, no ".ini" twice.
QString SettingsName(const std::string& key) {
    QString name = ToQString(key);
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    if (name.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive)) name.chop(4);
    if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) name.prepend(QLatin1Char('_'));
    return name;
}

// A section or value name: no '/' or '\\', which would nest groups.
std::string SettingsPart(const std::string& part) {
    std::string out = part;
    for (char& c : out)
        if (c == '/' || c == '\\') c = '_';
    return out;
}

}  // namespace

// ---------------------------------------------------------------- options

ScreenshotOptions ScreenshotOptions::FromEnvironment() {
    ScreenshotOptions o;
    o.directory = Env("QUILLON_SCREENSHOT_DIR");
    o.quit = Env("QUILLON_SCREENSHOT_QUIT") == "1";
    o.delayMilliseconds = std::clamp(StrToIntDef(Env("QUILLON_SCREENSHOT_DELAY"), 0), 0, 60000);
    return o;
}

QtDesktop::Options QtDesktop::Options::FromEnvironment() {
    Options o;
    o.screenshots = ScreenshotOptions::FromEnvironment();
    if (SameText(Env("QUILLON_HELP_VIEWER"), "window")) o.helpViewer = HelpViewer::Window;
    const std::string dirs = Env("QUILLON_HELP_DIR");
    std::size_t start = 0;
    while (start <= dirs.size() && !dirs.empty()) {
        const std::size_t colon = dirs.find(':', start);
        const std::string dir =
            dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!dir.empty()) o.helpDirectories.push_back(dir);
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return o;
}

QtDesktop::QtDesktop() : QtDesktop(Options::FromEnvironment()) {}

QtDesktop::QtDesktop(Options options) : options_(std::move(options)) {}

QtDesktop::~QtDesktop() {
    while (overrideCursors_-- > 0) QGuiApplication::restoreOverrideCursor();
    delete helpWindow_.data();
}

QtDesktop* QtDesktop::Installed() {
    return dynamic_cast<QtDesktop*>(&Desktop());
}

// ---------------------------------------------------------------- message boxes, beep

int QtDesktop::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    // Over the window the user works in.
    QMessageBox box(QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setText(ToQString(text));
    box.setWindowTitle(ToQString(caption));
    switch (flags & 0xF0) {
        case MB_ICONERROR:
            box.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONWARNING:
            box.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONINFORMATION:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            break;
    }
    const std::vector<int> answers = MessageBoxAnswers(flags);
    for (int answer : answers) box.addButton(ButtonFor(answer));
    box.setDefaultButton(ButtonFor(MessageBoxDefaultAnswer(flags)));
    if (std::find(answers.begin(), answers.end(), IDCANCEL) != answers.end())
        box.setEscapeButton(ButtonFor(IDCANCEL));
    else if (answers.size() == 1)
        box.setEscapeButton(ButtonFor(answers.front()));
    if (options_.screenshots.Active()) {
        QTimer::singleShot(options_.screenshots.delayMilliseconds, &box, [this, &box] {
            if (!options_.screenshots.directory.empty()) SaveScreenshot(&box, "MessageBox");
            if (options_.screenshots.quit) {
                Application().Terminate();
                if (QAbstractButton* b = box.defaultButton()) b->click();
            }
        });
    }
    box.exec();
    int answer = AnswerFor(box.standardButton(box.clickedButton()));
    // Closed without a button (the window's close box): as Esc.
    if (answer == 0)
        answer = box.escapeButton() ? AnswerFor(box.standardButton(box.escapeButton())) : 0;
    if (answer == 0) answer = MessageBoxDefaultAnswer(flags);
    return answer;
}

void QtDesktop::Beep() {
    QApplication::beep();
}

// ---------------------------------------------------------------- documents and help

QUrl QtDesktop::UrlForTarget(const std::string& target) {
    if (target.empty()) return QUrl();
    const QString text = ToQString(target);
    const QFileInfo file(text);
    if (!text.contains(QLatin1Char(':')) || (file.isAbsolute() && file.exists()))
        return QUrl::fromLocalFile(file.absoluteFilePath());
    QUrl url(text, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty()) return url;
    return QUrl::fromUserInput(text);
}

bool QtDesktop::OpenDocument(const std::string& target) {
    const QUrl url = UrlForTarget(target);
    if (!url.isValid()) return false;
    return options_.openUrl ? options_.openUrl(url) : QDesktopServices::openUrl(url);
}

namespace {

// The names a help file is looked for under and the directories it is looked for in.
struct HelpPlaces {
    QStringList names;
    QStringList dirs;
};

HelpPlaces HelpPlacesFor(const std::string& helpFile, const std::vector<std::string>& helpDirs) {
    HelpPlaces p;
    const QFileInfo given(ToQString(helpFile));
    const QString suffix = given.suffix().toLower();
    // A classic help file is shown from its HTML twin.
    if (suffix == QLatin1String("hlp") || suffix == QLatin1String("chm")) {
        p.names << given.completeBaseName() + QStringLiteral(".html")
                << given.completeBaseName() + QStringLiteral(".htm");
    } else {
        p.names << given.fileName();
    }
    if (given.isAbsolute()) {
        p.dirs << given.absolutePath();
    } else {
        const QString sub = given.path() == QLatin1String(".") ? QString() : given.path();
        QStringList bases;
        for (const std::string& d : helpDirs) bases << ToQString(d);
        const QString exeDir = QCoreApplication::applicationDirPath();
        bases << exeDir + QStringLiteral("/../share/quillon/help")
              << exeDir + QStringLiteral("/help") << QStringLiteral("/usr/local/share/quillon/help")
              << QStringLiteral("/usr/share/quillon/help") << QDir::currentPath();
        for (const QString& b : bases)
            p.dirs << QDir::cleanPath(sub.isEmpty() ? b : b + QLatin1Char('/') + sub);
    }
    return p;
}

}  // namespace

std::string QtDesktop::FindHelpFile(const std::string& helpFile) const {
    if (helpFile.empty()) return "";
    const HelpPlaces places = HelpPlacesFor(helpFile, options_.helpDirectories);
    for (const QString& dir : places.dirs) {
        for (const QString& name : places.names) {
            const QFileInfo candidate(QDir(dir), name);
            if (candidate.isFile() && candidate.isReadable())
                return FromQString(QDir::cleanPath(candidate.absoluteFilePath()));
        }
    }
    return "";
}

bool QtDesktop::ShowHelp(const std::string& helpFile, const std::string& topic) {
    const std::string path = FindHelpFile(helpFile);
    if (path.empty()) {
        // Name the file actually looked for (the HTML twin of a classic help file) and where.
        const HelpPlaces places = HelpPlacesFor(helpFile, options_.helpDirectories);
        const std::string name =
            places.names.isEmpty() ? helpFile : FromQString(places.names.front());
        std::string text = "Cannot find the help file \"" + name + "\". Looked in:";
        for (const QString& dir : places.dirs) {
            text += '\n';
            text += FromQString(dir);
        }
        MessageBox(text, Application().Title(), MB_OK | MB_ICONERROR);
        return false;
    }
    QUrl url = QUrl::fromLocalFile(ToQString(path));
    if (!topic.empty()) url.setFragment(ToQString(topic));
    if (options_.helpViewer == HelpViewer::Browser) {
        const bool opened =
            options_.openUrl ? options_.openUrl(url) : QDesktopServices::openUrl(url);
        if (opened) return true;
    }
    ShowHelpWindow(url);
    return true;
}

void QtDesktop::ShowHelpWindow(const QUrl& url) {
    if (!helpWindow_) {
        helpWindow_ = new QTextBrowser;
        helpWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
        helpWindow_->setOpenExternalLinks(true);
        helpWindow_->resize(640, 480);
    }
    const QString title = ToQString(
        Application().Title().empty() ? std::string("Help") : Application().Title() + " Help");
    helpWindow_->setWindowTitle(title);
    helpWindow_->setSource(url);
    if (!url.fragment().isEmpty()) helpWindow_->scrollToAnchor(url.fragment());
    helpWindow_->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) helpWindow_->raise();
    helpWindow_->activateWindow();
    WindowShown(helpWindow_, "Help");
}

// ---------------------------------------------------------------- clipboard, cursor

std::string QtDesktop::ClipboardText() {
    return FromQString(QGuiApplication::clipboard()->text());
}

void QtDesktop::SetClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(ToQString(text));
}

void QtDesktop::SetScreenCursor(TCursor cursor) {
    if (cursor == crDefault) {
        while (overrideCursors_ > 0) {
            QGuiApplication::restoreOverrideCursor();
            --overrideCursors_;
        }
        return;
    }
    const QCursor shape = ToQCursor(cursor);
    if (overrideCursors_ > 0) {
        QGuiApplication::changeOverrideCursor(shape);
    } else {
        QGuiApplication::setOverrideCursor(shape);
        ++overrideCursors_;
    }
}

// ---------------------------------------------------------------- settings store

std::string QtDesktop::SettingsFile(const std::string& key) const {
    QString folder = options_.settingsDirectory;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return FromQString(QDir(folder).filePath(options_.settingsOrganization + QLatin1Char('/') +
                                             SettingsName(key) + QStringLiteral(".ini")));
}

std::optional<std::string> QtDesktop::ReadSetting(const std::string& key, const std::string& subkey,
                                                  const std::string& name) {
    return ReadIniValue(SettingsFile(key), SettingsPart(subkey), SettingsPart(name));
}

void QtDesktop::WriteSetting(const std::string& key, const std::string& subkey,
                             const std::string& name, const std::string& value) {
    // A failure (a full disk) keeps the file as it was; the setting is not worth a message box.
    (void)WriteIniValue(SettingsFile(key), SettingsPart(subkey), SettingsPart(name), value);
}

void QtDesktop::DeleteSetting(const std::string& key, const std::string& subkey,
                              const std::string& name) {
    (void)WriteIniValue(SettingsFile(key), SettingsPart(subkey), SettingsPart(name), std::nullopt);
}

// ---------------------------------------------------------------- the loop

void QtDesktop::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void QtDesktop::Run(TApplication& app) {
    while (!app.Terminated()) LoopOnce();
}

void QtDesktop::RunModal(TCustomForm& form) {
    const Lifetime lifetime(form);
    if (!QtControlPeer::Of(&form)) {
        // Nothing on screen to answer it.
        form.SetModalResult(mrCancel);
        return;
    }
    while (!lifetime.Gone() && !form.ModalEnded()) LoopOnce();
}

void QtDesktop::Post(std::function<void()> work) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [work = std::move(work)] {
            try {
                if (work) work();
            } catch (const std::exception& e) {
                Application().HandleException(e);
            }
        },
        Qt::QueuedConnection);
}

std::unique_ptr<ControlPeer> QtDesktop::CreatePeer(TControl& control) {
    return CreateQtPeer(control);
}

bool QtDesktop::RenderControl(TControl& control, int width, int height, TBitmap& out) {
    auto* peer = dynamic_cast<QtControlPeer*>(control.Peer());
    QWidget* widget = peer ? peer->Widget() : nullptr;
    if (!widget || width <= 0 || height <= 0 || widget->width() <= 0 || widget->height() <= 0)
        return false;
    if (static_cast<std::int64_t>(width) * height > TBitmap::kMaxBitmapPixels) return false;
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(static_cast<double>(width) / widget->width(),
                      static_cast<double>(height) / widget->height());
        // The widget alone: each child window is printed on its own.
        widget->render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    }
    if (!out.SetSize(width, height)) return false;
    auto pixels = out.Pixels();
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::copy(line, line + width, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    return true;
}

// ---------------------------------------------------------------- screenshots

void QtDesktop::WindowShown(QWidget* window, const std::string& name) {
    if (!options_.screenshots.Active()) return;
    pending_.push_back(Shown{window, name});
    ScheduleScreenshots();
}

void QtDesktop::ScheduleScreenshots() {
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(options_.screenshots.delayMilliseconds, QCoreApplication::instance(),
                       [this] { TakeScreenshots(); });
}

void QtDesktop::TakeScreenshots() {
    scheduled_ = false;
    std::vector<Shown> shown;
    shown.swap(pending_);
    for (const Shown& s : shown)
        if (s.window && s.window->isVisible() && !options_.screenshots.directory.empty())
            SaveScreenshot(s.window, s.name);
    if (options_.screenshots.quit) Application().Terminate();
}

std::string QtDesktop::SaveScreenshot(QWidget* window, const std::string& name) {
    const std::string base = SafeFileName(name);
    std::string file = base;
    for (int n = 2; usedNames_.count(file); ++n) file = base + "-" + std::to_string(n);
    usedNames_.insert(file);
    QDir().mkpath(ToQString(options_.screenshots.directory));
    const QString path = QDir(ToQString(options_.screenshots.directory))
                             .filePath(ToQString(file) + QStringLiteral(".png"));
    if (!window->grab().save(path, "PNG")) return "";
    saved_.push_back(FromQString(path));
    return saved_.back();
}

}  // namespace quillon
