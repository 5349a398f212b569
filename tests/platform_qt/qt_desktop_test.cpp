// SPDX-License-Identifier: GPL-2.0-or-later
// The application services on the Qt host: message boxes, the settings store,
// opening documents, help, the clipboard, the pointer and the loop.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/sys/ini_file.h"
#include "platform/vcl/dialogs.h"
#include "platform/gdi/printer.h"
#include "platform/gdi/screen.h"
#include "platform/qt/qt_host.h"
#include "platform/vcl/dialogs.h"
#include "tests/platform_qt/qt_host_support.h"
#include "tests/platform_qt/qt_test_support.h"

namespace quillon::qttest {
namespace {

// Answers the next message box once it is up, by pressing the button with
// this text (empty: Esc), and keeps what it showed.
struct BoxAnswer {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;

    void Press(const QString& button) {
        QTimer::singleShot(0, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            for (QAbstractButton* b : box->buttons()) buttons << b->text().remove(QLatin1Char('&'));
            buttons.sort();
            if (box->defaultButton())
                defaultButton = box->defaultButton()->text().remove(QLatin1Char('&'));
            if (button.isEmpty()) {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            for (QAbstractButton* b : box->buttons())
                if (b->text().remove(QLatin1Char('&')) == button) b->click();
        });
    }
};

TEST(MessageBoxes, ShowTheTextTitleIconAndButtonsAndGiveTheAnswer) {
    BoxAnswer a;
    a.Press("No");
    EXPECT_EQ(Application().MessageBox("Print now?", "Quillon",
                                       MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2),
              IDNO);
    EXPECT_EQ(a.text, QStringLiteral("Print now?"));
    EXPECT_EQ(a.title, QStringLiteral("Quillon"));
    EXPECT_EQ(a.icon, QMessageBox::Question);
    EXPECT_EQ(a.buttons, (QStringList{"Cancel", "No", "Yes"}));
    EXPECT_EQ(a.defaultButton, QStringLiteral("No"));
}

TEST(MessageBoxes, EscAnswersCancelOrTheOnlyButton) {
    BoxAnswer a;
    a.Press("");
    EXPECT_EQ(Application().MessageBox("x", "t", MB_OKCANCEL), IDCANCEL);
    BoxAnswer b;
    b.Press("");
    EXPECT_EQ(
        Application().MessageBox("Error: No Printer Available", "t", MB_OK | MB_ICONINFORMATION),
        IDOK);
    EXPECT_EQ(b.icon, QMessageBox::Information);
}

TEST(MessageBoxes, TextIsShownAsItIsNotAsMarkup) {
    BoxAnswer a;
    a.Press("OK");
    Application().MessageBox("<b>5 < 6</b>", "t", MB_OK);
    EXPECT_EQ(a.text, QStringLiteral("<b>5 < 6</b>"));
}

TEST(MessageBoxes, TheDefaultExceptionHandlerShowsAConversionError) {
    BoxAnswer a;
    a.Press("OK");
    try {
        StrToInt("12a");
    } catch (const std::exception& e) {
        Application().HandleException(e);
    }
    EXPECT_EQ(a.text, QStringLiteral("'12a' is not a valid integer value."));
    EXPECT_EQ(a.icon, QMessageBox::Critical);
}

TEST(SettingsStore, KeepsStringsUnderKeySubkeyAndNameInAnIniFile) {
    TRegIniFile ini("Tallet.Ini");
    ini.WriteString("Printer", "Orientation", "1");
    ini.WriteString("Printer", "Margin", "0.5");
    EXPECT_EQ(ini.ReadString("Printer", "Orientation", ""), "1");
    EXPECT_EQ(ini.ReadInteger("Printer", "Orientation", 7), 1);
    EXPECT_EQ(ini.ReadString("Printer", "Missing", "fallback"), "fallback");
    EXPECT_TRUE(ini.ValueExists("Printer", "Margin"));
    ini.DeleteKey("Printer", "Margin");
    EXPECT_FALSE(ini.ValueExists("Printer", "Margin"));
    // A real INI file of the user's, one per key.
    QSettings file(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("QuillonTests"),
                   QStringLiteral("Tallet"));
    EXPECT_TRUE(file.fileName().endsWith(QStringLiteral("QuillonTests/Tallet.ini")))
        << file.fileName().toStdString();
    EXPECT_EQ(file.value(QStringLiteral("Printer/Orientation")).toString(), QStringLiteral("1"));
    // A key or name with a slash stays one file in the settings directory, one value.
    TRegIniFile odd("../escape");
    odd.WriteString("a/b", "c/d", "v");
    EXPECT_EQ(odd.ReadString("a/b", "c/d", ""), "v");
    QSettings oddFile(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("QuillonTests"),
                      QStringLiteral("_.._escape"));
    EXPECT_EQ(oddFile.value(QStringLiteral("a_b/c_d")).toString(), QStringLiteral("v"));
}

std::vector<std::string> gSettingsNotices;

TEST(SettingsStore, ALinkIsReplacedNotWrittenThroughAndAFifoIsLeftAlone) {
    const QString folder =
        QFileInfo(QSettings(QSettings::IniFormat, QSettings::UserScope,
                            QStringLiteral("QuillonTests"), QStringLiteral("Tallet"))
                      .fileName())
            .absolutePath();
    QDir().mkpath(folder);
    const std::string dir = folder.toStdString();
    const std::string victim = dir + "/victim.txt";
    std::ofstream(victim) << "[Printer]\nZoom=3\n";
    ASSERT_EQ(symlink(victim.c_str(), (dir + "/Linked.ini").c_str()), 0);
    TRegIniFile linked("Linked");
    EXPECT_EQ(linked.ReadString("Printer", "Zoom", ""), "3");
    linked.WriteString("Printer", "Orientation", "Landscape");
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "[Printer]\nZoom=3\n");
    EXPECT_FALSE(QFileInfo(QString::fromStdString(dir + "/Linked.ini")).isSymLink());
    EXPECT_EQ(linked.ReadString("Printer", "Orientation", ""), "Landscape");
    EXPECT_EQ(linked.ReadString("Printer", "Zoom", ""), "3");

    gSettingsNotices.clear();
    SetSettingsNotice([](const std::string& line) { gSettingsNotices.push_back(line); });
    const std::string fifo = dir + "/Piped.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    TRegIniFile piped("Piped");
    EXPECT_EQ(piped.ReadString("Printer", "Zoom", "fallback"), "fallback");  // not waited on
    piped.WriteString("Printer", "Zoom", "4");
    SetSettingsNotice(nullptr);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(fifo)).exists());
    struct stat st {};
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(gSettingsNotices,
              std::vector<std::string>{
                  fifo + ": not a regular file; the settings in it are neither read nor written"});
    std::remove(fifo.c_str());
}

TEST(ShellLaunch, ExecuteFileHandsTheAddressToTheDesktopAndReportsAboveThirtyTwo) {
    OpenedUrls().clear();
    SetOpenUrlResult(true);
    EXPECT_GT(ExecuteFile("http://www.example.org/numbers"), 32);
    EXPECT_GT(ExecuteFile("mailto:someone@example.org"), 32);
    SetOpenUrlResult(false);
    EXPECT_LE(ExecuteFile("http://refused.example.org"), 32);
    SetOpenUrlResult(true);
    EXPECT_LE(ExecuteFile(""), 32);
    const std::vector<std::string> expected{"http://www.example.org/numbers",
                                            "mailto:someone@example.org",
                                            "http://refused.example.org"};
    EXPECT_EQ(OpenedUrls(), expected);
    EXPECT_EQ(QtDesktop::UrlForTarget("/tmp/some file.txt").toString(),
              QStringLiteral("file:///tmp/some file.txt"));
}

TEST(HelpSystem, FindsTheHtmlTwinOfAClassicHelpFile) {
    QtDesktop::Options options;
    options.helpDirectories = {std::string(QUILLON_SOURCE_DIR) + "/app/help"};
    QtDesktop desktop(options);
    const std::string found = desktop.FindHelpFile("tessel.hlp");
    EXPECT_EQ(found, std::string(QUILLON_SOURCE_DIR) + "/app/help/tessel.html");
    EXPECT_EQ(desktop.FindHelpFile("absent.hlp"), "");
    EXPECT_EQ(desktop.FindHelpFile(found), found);
}

TEST(HelpSystem, OpensTheHelpAtItsTopicInTheHostsOwnWindow) {
    QtDesktop::Options options;
    options.helpDirectories = {std::string(QUILLON_SOURCE_DIR) + "/app/help"};
    options.helpViewer = QtDesktop::HelpViewer::Window;
    QtDesktop desktop(options);
    ScopedDesktopBackend use(&desktop);
    Application().SetTitle("Quillon");
    Application().SetHelpFile("tessel.hlp");
    EXPECT_TRUE(Application().HelpJump("IDH_CONTENTS"));
    QTextBrowser* help = desktop.HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->source().fragment(), QStringLiteral("IDH_CONTENTS"));
    EXPECT_TRUE(help->source().toLocalFile().endsWith(QStringLiteral("/app/help/tessel.html")));
    EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("Quillon Help")));
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Quillon Help"));
    help->close();
}

TEST(HelpSystem, TheBrowserGetsTheFileAddressWithTheTopic) {
    QtDesktop::Options options;
    options.helpDirectories = {std::string(QUILLON_SOURCE_DIR) + "/app/help"};
    std::string opened;
    options.openUrl = [&](const QUrl& url) {
        opened = url.toString().toStdString();
        return true;
    };
    QtDesktop desktop(options);
    EXPECT_TRUE(desktop.ShowHelp("tessel.hlp", "IDH_CONTENTS"));
    EXPECT_EQ(opened,
              "file://" + std::string(QUILLON_SOURCE_DIR) + "/app/help/tessel.html#IDH_CONTENTS");
    EXPECT_EQ(desktop.HelpWindow(), nullptr);
}

TEST(HelpSystem, AMissingHelpFileIsReportedNotACrash) {
    Application().SetTitle("Quillon");
    BoxAnswer a;
    a.Press("OK");
    EXPECT_FALSE(Host().Desktop().ShowHelp("no-such-help.hlp", "IDH_CONTENTS"));
    // The file looked for is the HTML twin, and the message says where it was looked for.
    EXPECT_TRUE(a.text.startsWith(
        QStringLiteral("Cannot find the help file \"no-such-help.html\". Looked in:\n")))
        << a.text.toStdString();
    EXPECT_TRUE(a.text.contains(QStringLiteral("\n/usr/share/quillon/help\n")))
        << a.text.toStdString();
    EXPECT_TRUE(a.text.contains(QStringLiteral("\n") + QDir::currentPath()))
        << a.text.toStdString();
    EXPECT_EQ(a.title, QStringLiteral("Quillon"));
}

TEST(Clipboard, IsTheSystemsClipboard) {
    Clipboard().SetAsText("from the model");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("from the model"));
    QGuiApplication::clipboard()->setText("from Qt \xC3\xA9");
    EXPECT_EQ(Clipboard().AsText(), "from Qt \xC3\xA9");
}

TEST(ScreenCursor, OverridesThePointerUntilTheDefaultComesBack) {
    Screen().SetCursor(crHourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen().SetCursor(crHandPoint);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    Screen().SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(EventLoop, RunEndsOnTerminateAndPostedWorkRunsInTheLoop) {
    std::vector<std::string> log;
    Desktop().Post([&] { log.push_back("posted"); });
    QTimer::singleShot(0, [&] {
        log.push_back("timer");
        Application().Terminate();
    });
    Desktop().Run(Application());
    EXPECT_TRUE(Application().Terminated());
    Application().ClearTerminated();
    const std::vector<std::string> expected{"posted", "timer"};
    EXPECT_EQ(log, expected);
    // ProcessMessages runs what is pending and returns.
    bool ran = false;
    Desktop().Post([&] { ran = true; });
    Application().ProcessMessages();
    EXPECT_TRUE(ran);
}

TEST(EventLoop, AFormReleasedFromItsOwnHandlerIsDestroyedAfterTheEvent) {
    auto* form = new TForm(nullptr);
    auto* button = new TButton(form);
    button->SetParent(form);
    bool destroyed = false;
    form->OnDestroy = [&](TObject*) { destroyed = true; };
    button->OnClick = [&](TObject*) { form->Release(); };
    form->Show();
    QTest::mouseClick(WidgetOf(button), Qt::LeftButton);
    EXPECT_FALSE(destroyed);
    Application().ProcessMessages();
    EXPECT_TRUE(destroyed);
}

TEST(PrintDialog, QtsDialogProposesAFreeFileNamedAfterTheDocument) {
    // A new account without a documents folder: the folder is made and proposed, the name
    // is the document's own (not the file chosen for the last one), and a file that exists
    // is never proposed again.
    TempDir dir;
    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    const char* config = getenv("XDG_CONFIG_HOME");
    const std::string oldConfig = config ? config : "";
    ::setenv("HOME", dir.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir.Path() + "/config").c_str(), 1);
    Host().Graphics().PdfPrinter().SetOutputFile(dir.File("last report.pdf"));
    Printer().SetTitle("ANN LEE");
    std::vector<std::string> shown;
    const auto accept = [&] {
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            shown.push_back(d->printer()->outputFileName().toStdString());
            d->accept();
        });
    };
    TPrintDialog dialog(nullptr);
    accept();
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(Printer().PrinterName(), "Print to PDF");
    EXPECT_EQ(Host().Graphics().PdfPrinter().NextFile("ANN LEE"),
              dir.File("Documents/ANN LEE.pdf"));
    EXPECT_EQ(dialog.Copies(), 1);
    std::ofstream(dir.File("Documents/ANN LEE.pdf")) << "an earlier run's report";
    accept();
    EXPECT_TRUE(dialog.Execute());
    ::setenv("HOME", home.c_str(), 1);
    if (config)
        ::setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(shown, (std::vector<std::string>{dir.File("Documents/ANN LEE.pdf"),
                                               dir.File("Documents/ANN LEE-2.pdf")}));
    Host().Graphics().PdfPrinter().SetOutputFile("");
}

TEST(PrintDialog, ACancelledQtDialogReportsFalse) {
    TPrintDialog dialog(nullptr);
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->reject();
    });
    EXPECT_FALSE(dialog.Execute());
}

TEST(Screenshots, AShownFormIsSavedUnderItsNameAndTheLoopEnds) {
    TempDir dir;
    QtDesktop::Options options;
    options.screenshots.directory = dir.Path();
    options.screenshots.quit = true;
    QtDesktop desktop(options);
    ScopedDesktopBackend use(&desktop);
    TestForm form(120, 80);
    form->SetName("ShotFrm");
    form->SetColor(clWhite);
    auto* panel = form.Add<TPanel>("Panel1", 10, 10, 50, 30);
    panel->SetColor(clRed);
    panel->SetBevelOuter(bvNone);
    Application().SetMainForm(form.get());
    Application().Run();
    Application().SetMainForm(nullptr);
    EXPECT_TRUE(Application().Terminated());
    Application().ClearTerminated();
    ASSERT_EQ(desktop.SavedScreenshots().size(), 1u);
    EXPECT_EQ(desktop.SavedScreenshots()[0], dir.File("ShotFrm.png"));
    QImage image(QString::fromStdString(dir.File("ShotFrm.png")));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(120, 80));
    EXPECT_EQ(image.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(10, 10) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(59, 39) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(60, 40) & 0xFFFFFF, 0xFFFFFFu);
}

}  // namespace
}  // namespace quillon::qttest
