// SPDX-License-Identifier: GPL-2.0-or-later
// The calculator in real Qt windows: "golden river 7" typed key by key into
// the name field's widget, every field read back from what the window shows;
// the Y question answered in its own window; red for equal digits; the links
// window and the help.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <cmath>
#include <cstdlib>
#include <QTemporaryDir>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QPrinter>
#include <QPrintDialog>
#include <QFileInfo>
#include <QFile>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/Inet.h"
#include "app/Y.h"
#include "app/calc_form.h"
#include "app/startup.h"
#include "platform/vcl/ext_controls.h"
#include "platform/gdi/printer.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/qt_peer.h"
#include "platform/vcl/std_controls.h"

namespace quillon {
namespace {

std::vector<std::string> openedUrls;

QWidget* WidgetOf(const TControl* control) {
    QtControlPeer* peer = QtControlPeer::Of(control);
    return peer ? peer->Widget() : nullptr;
}

std::string Shown(const TControl* edit) {
    auto* line = qobject_cast<QLineEdit*>(WidgetOf(edit));
    return line ? line->text().toStdString() : "<no widget>";
}

void Pump() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

class CalcWindowQt : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QtHost::Options options;
        options.graphics.systemPrinters = false;
        options.desktop = QtDesktop::Options{};
        options.desktop.helpViewer = QtDesktop::HelpViewer::Window;
        options.desktop.helpDirectories = {QUILLON_SOURCE_DIR "/app/help"};
        options.desktop.openUrl = [](const QUrl& url) {
            openedUrls.push_back(url.toString().toStdString());
            return true;
        };
        host = new QtHost(std::move(options));
    }
    static void TearDownTestSuite() {
        delete host;
        host = nullptr;
    }
    void SetUp() override {
        openedUrls.clear();
        CreateQuillonForms();
        CalcFrm->Show();
        Pump();
        line = qobject_cast<QLineEdit*>(WidgetOf(CalcFrm->Data));
        ASSERT_NE(line, nullptr);
        line->setFocus();
    }
    void TearDown() override {
        delete InternetFrm;
        delete YFrm;
        delete CalcFrm;
        Pump();
    }

    static inline QtHost* host = nullptr;
    QLineEdit* line = nullptr;
};

TEST_F(CalcWindowQt, GoldenRiver7TypedIntoTheWindowFillsEveryField) {
    QTest::keyClicks(line, "golden river 7");
    Pump();
    const TCalcFrm& f = *CalcFrm;
    EXPECT_EQ(line->text().toStdString(), "GOLDEN RIVER 7");
    EXPECT_EQ(Shown(f.Vowels), " 6  5   9 5   ");
    EXPECT_EQ(Shown(f.Constants), "7 34 5 9 4 9  ");
    EXPECT_EQ(Shown(f.VTotal), "25");
    EXPECT_EQ(Shown(f.VTot1), "7");
    EXPECT_EQ(Shown(f.VTot2), "");
    EXPECT_EQ(Shown(f.Total), "73");
    EXPECT_EQ(Shown(f.Tot1), "10");
    EXPECT_EQ(Shown(f.Tot2), "1");
    EXPECT_EQ(Shown(f.CTotal), "41");
    EXPECT_EQ(Shown(f.CTot1), "5");
    EXPECT_EQ(Shown(f.CTot2), "");
    // The grid's labels are painted on the panel; their texts are the model's.
    std::string v, c, t;
    for (int n = 0; n < 9; ++n) {
        v += f.V[n]->Caption();
        c += f.C[n]->Caption();
        t += f.T[n]->Caption();
    }
    EXPECT_EQ(v, "000021001");
    EXPECT_EQ(c, "001210102");
    EXPECT_EQ(t, "001231103");
    EXPECT_EQ(f.vvt->Caption(), "4");
    EXPECT_EQ(f.cct->Caption(), "7");
    EXPECT_EQ(f.ttt->Caption(), "11");
    // The window shows the lines in the fixed-pitch font, right under each other.
    EXPECT_EQ(WidgetOf(f.Vowels)->geometry().left(), WidgetOf(f.Data)->geometry().left());
    EXPECT_EQ(WidgetOf(f.Constants)->width(), line->width());

    // The system button switches and the window follows.
    QTest::mouseClick(qobject_cast<QPushButton*>(WidgetOf(f.MthBtn)), Qt::LeftButton);
    Pump();
    EXPECT_EQ(qobject_cast<QPushButton*>(WidgetOf(f.MthBtn))->text().toStdString(), "Chaldean");
    EXPECT_EQ(Shown(f.Total), "50");
    EXPECT_EQ(Shown(f.Tot1), "5");
    EXPECT_EQ(Shown(f.Tot2), "");
    EXPECT_EQ(line->text().toStdString(), "GOLDEN RIVER 7");
}

TEST_F(CalcWindowQt, TheYQuestionIsAnsweredInItsOwnWindow) {
    QTest::keyClicks(line, "ma");
    bool asked = false;
    QTimer::singleShot(0, [&] {
        asked = YFrm->Visible();
        auto* label = WidgetOf(YFrm->Data);
        EXPECT_NE(label, nullptr);
        EXPECT_EQ(YFrm->Data->Caption(), "MAY");
        QTest::mouseClick(qobject_cast<QPushButton*>(WidgetOf(YFrm->YesBtn)), Qt::LeftButton);
    });
    QTest::keyClick(line, Qt::Key_Y);
    Pump();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(YFrm->Visible());
    EXPECT_EQ(line->text().toStdString(), "MAy");
    EXPECT_EQ(Shown(CalcFrm->Vowels), " 17");

    // Esc in the question window keeps a consonant.
    QTimer::singleShot(0, [&] { QTest::keyClick(WidgetOf(YFrm->YesBtn), Qt::Key_Escape); });
    QTest::keyClick(line, Qt::Key_Y);
    Pump();
    EXPECT_EQ(line->text().toStdString(), "MAyY");
    EXPECT_EQ(Shown(CalcFrm->Constants), "4  7");
}

TEST_F(CalcWindowQt, EqualDigitsShowInRedAndCtrlVUpperCasesTheField) {
    QTest::keyClicks(line, "iiiaa");
    Pump();
    auto* tot1 = qobject_cast<QLineEdit*>(WidgetOf(CalcFrm->VTot1));
    auto* tot2 = qobject_cast<QLineEdit*>(WidgetOf(CalcFrm->VTot2));
    ASSERT_NE(tot1, nullptr);
    EXPECT_EQ(tot1->text().toStdString(), "11");
    EXPECT_EQ(tot1->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(tot2->palette().color(QPalette::Text), QColor(0, 0, 0));

    QApplication::clipboard()->setText("bc");
    QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    Pump();
    EXPECT_EQ(line->text().toStdString(), "IIIAABC");
    EXPECT_EQ(Shown(CalcFrm->Constants), "     23");
}

TEST_F(CalcWindowQt, LinksOpenInTheBrowserAndHelpShowsItsContents) {
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(InternetFrm->Visible());
        auto* link = dynamic_cast<TControl*>(InternetFrm->FindComponent("Label3"));
        link->InputClick();
        QTest::keyClick(WidgetOf(InternetFrm->Button1), Qt::Key_Escape);
    });
    QTest::mouseClick(WidgetOf(CalcFrm->InternetBtn), Qt::LeftButton);
    Pump();
    EXPECT_FALSE(InternetFrm->Visible());
    EXPECT_EQ(openedUrls, std::vector<std::string>{"http://en.wikipedia.org/wiki/Numerology"});

    QTest::mouseClick(WidgetOf(CalcFrm->HelpBtn), Qt::LeftButton);
    Pump();
    QTextBrowser* help = host->Desktop().HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->source().toString().contains(QStringLiteral("tessel.html")));
    EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("Typing a name")));
    help->close();
}

TEST_F(CalcWindowQt, AMissingHelpFileIsReportedInOneMessage) {
    Application().SetHelpFile("no-such-help.hlp");
    std::vector<std::string> messages;
    // Closes every message box that shows up while the test waits (a second
    // one would be a fault too).
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            messages.push_back(box->text().toStdString());
            box->accept();
        }
    });
    closer.start(20);
    QTest::mouseClick(WidgetOf(CalcFrm->HelpBtn), Qt::LeftButton);
    QTest::qWait(200);
    ASSERT_EQ(messages.size(), 1u);
    // The message names the HTML file the program looked for.
    EXPECT_NE(messages[0].find("no-such-help.html"), std::string::npos) << messages[0];
    EXPECT_TRUE(CalcFrm->Visible());
    Application().SetHelpFile("tessel.hlp");
}

// The words of a PDF with their boxes in points, as pdftotext -bbox lists them.
struct PdfWord {
    double xMin, yMin, xMax, yMax;
    std::string text;
};
std::vector<PdfWord> PdfWords(const std::string& pdf) {
    std::vector<PdfWord> words;
    const std::string html = pdf + ".html";
    const std::string command = "pdftotext -bbox '" + pdf + "' '" + html + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return words;
    QFile file(QString::fromStdString(html));
    if (!file.open(QIODevice::ReadOnly)) return words;
    const QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                         m.captured(4).toDouble(), m.captured(5).toStdString()});
    }
    QFile::remove(QString::fromStdString(html));
    return words;
}

TEST_F(CalcWindowQt, PrintRunsThePrintDialogAndAConfirmedDialogPrintsTheReportToPdf) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string pdf = dir.filePath(QStringLiteral("report.pdf")).toStdString();
    QString shown, defaultFile, pdfEntry;
    auto answer = [&](bool accept) {
        QTimer::singleShot(0, [&, accept] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            shown = QString::fromLatin1(dialog->metaObject()->className());
            defaultFile = dialog->printer()->outputFileName();
            for (QComboBox* box : dialog->findChildren<QComboBox*>())
                for (int i = 0; i < box->count(); ++i)
                    if (box->itemText(i).contains(QStringLiteral("PDF"))) pdfEntry = box->itemText(i);
            if (accept) {
                // The report goes to the test's own folder instead of the documents folder:
                // the dialog takes the file from its own field.
                for (QLineEdit* edit : dialog->findChildren<QLineEdit*>())
                    if (edit->text() == defaultFile) edit->setText(QString::fromStdString(pdf));
                dialog->printer()->setOutputFileName(QString::fromStdString(pdf));
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
    };
    answer(false);
    QTest::mouseClick(WidgetOf(CalcFrm->PrintBtn), Qt::LeftButton);
    Pump();
    EXPECT_EQ(shown.toStdString(), "QPrintDialog");
    // An empty name: the report's own title names the file, in the documents folder.
    EXPECT_TRUE(defaultFile.endsWith(QStringLiteral("/Quillon report.pdf"))) << defaultFile.toStdString();
    EXPECT_TRUE(defaultFile.startsWith(
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)))
        << defaultFile.toStdString();
    // The built-in printer has one name, in the dialog too.
    EXPECT_EQ(pdfEntry.toStdString(), "Print to PDF");

    QTest::keyClicks(line, "golden river 7");
    Pump();
    std::vector<std::string> messages;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            messages.push_back(box->text().toStdString());
            box->accept();
        }
    });
    closer.start(20);
    shown.clear();
    answer(true);
    QTest::mouseClick(WidgetOf(CalcFrm->PrintBtn), Qt::LeftButton);
    QTest::qWait(300);
    closer.stop();
    EXPECT_EQ(shown.toStdString(), "QPrintDialog");
    EXPECT_TRUE(defaultFile.endsWith(QStringLiteral("/GOLDEN RIVER 7.pdf"))) << defaultFile.toStdString();
    EXPECT_EQ(Printer().PrinterName(), "Print to PDF");
    EXPECT_FALSE(Printer().Printing());
    EXPECT_EQ(Application().Forms().size(), 3u);  // the report form is gone
    EXPECT_TRUE(CalcFrm->Visible());
    // One message says where the file is.
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "The report was saved as " + pdf);
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(pdf)));

    // The texts where the page puts them: 600 printer pixels per inch are 72 points.
    const std::vector<PdfWord> words = PdfWords(pdf);
    if (words.empty()) GTEST_SKIP() << "pdftotext is not available";
    const auto find = [&](const std::string& text) -> const PdfWord* {
        for (const PdfWord& w : words)
            if (w.text == text) return &w;
        return nullptr;
    };
    const auto px = [](double points) { return points * 600.0 / 72.0; };
    // The title starts at (470, 395) printer pixels: its box begins there within a pixel or
    // two (the box is the glyphs' own).
    const PdfWord* golden = find("GOLDEN");
    ASSERT_NE(golden, nullptr);
    EXPECT_NEAR(px(golden->xMin), 470, 3);
    EXPECT_NEAR(px(golden->yMin), 395, 6);
    const PdfWord* seven = nullptr;
    for (const PdfWord& w : words)
        if (w.text == "7" && std::abs(px(w.yMin) - px(golden->yMin)) < 3) seven = &w;
    ASSERT_NE(seven, nullptr) << "the title broke over two lines";
    // "System" is centred on 3973 (Label17 at 500, 227, 169 wide).
    const PdfWord* system = find("System");
    ASSERT_NE(system, nullptr);
    EXPECT_NEAR(px((system->xMin + system->xMax) / 2), 3973, 3);
    // Right-aligned "Consonants" ends at 1075.
    const PdfWord* consonants = find("Consonants");
    ASSERT_NE(consonants, nullptr);
    EXPECT_NEAR(px(consonants->xMax), 1075, 3);
    const PdfWord* notes = find("Notes:");
    ASSERT_NE(notes, nullptr);
    EXPECT_NEAR(px(notes->xMin), 476, 3);
}

}  // namespace
}  // namespace quillon
