// SPDX-License-Identifier: GPL-2.0-or-later
// The built-in PDF printer and the Qt backend behind Printer() and Screen(), checked with
// the poppler tools on the files written.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>

#include "platform/gdi/printer.h"
#include "platform/gdi/screen.h"
#include "platform/qt/qt_backend.h"
#include "tests/platform_qt/qt_test_support.h"

namespace quillon {
namespace {

using qttest::FileExists;
using qttest::RunCommand;
using qttest::TempDir;

std::string Quote(const std::string& path) {
    return "'" + path + "'";
}

int PdfPages(const std::string& path) {
    int status = 0;
    const std::string info = RunCommand("pdfinfo " + Quote(path) + " 2>/dev/null", &status);
    const auto at = info.find("Pages:");
    if (status != 0 || at == std::string::npos) return -1;
    return std::stoi(info.substr(at + 6));
}

std::string PdfText(const std::string& path) {
    return RunCommand("pdftotext " + Quote(path) + " - 2>/dev/null");
}

std::string PdfPageSize(const std::string& path) {
    const std::string info = RunCommand("pdfinfo " + Quote(path) + " 2>/dev/null");
    const auto at = info.find("Page size:");
    if (at == std::string::npos) return "";
    const auto end = info.find('\n', at);
    std::string size = info.substr(at + 10, end - at - 10);
    size.erase(0, size.find_first_not_of(' '));
    return size;
}

QtGraphicsBackend& Backend() {
    return *static_cast<QtGraphicsBackend*>(InstalledGraphicsBackend());
}

// Selects the PDF printer in Printer() and points it at a file.
PdfPrinterDevice& UsePdfPrinter(const std::string& file) {
    TPrinter& printer = Printer();
    const auto& names = printer.Printers();
    const auto it = std::find(names.begin(), names.end(), PdfPrinterDevice::kName);
    EXPECT_NE(it, names.end());
    printer.SetPrinterIndex(static_cast<int>(it - names.begin()));
    PdfPrinterDevice& pdf = Backend().PdfPrinter();
    pdf.SetOutputFile(file);
    return pdf;
}

void WriteLine(const std::string& text, int y) {
    DeviceContext* dc = Printer().Handle();
    ASSERT_NE(dc, nullptr);
    LogFont f;
    f.faceName = "Arial";
    f.height = -100;  // 1/6 inch at 600 pixels per inch
    const HFONT font = CreateFontIndirect(f);
    const HGDIOBJ old = dc->SelectObject(font);
    dc->TextOut(600, y, text);
    dc->SelectObject(old);
    DeleteObject(font);
}

TEST(PdfPrinter, PaperFromTheLocaleDimensions) {
    EXPECT_EQ(PaperFromDimensions(216, 279), PaperKind::Letter);
    EXPECT_EQ(PaperFromDimensions(210, 297), PaperKind::A4);
    EXPECT_EQ(PaperFromDimensions(0, 0), PaperKind::A4);
}

TEST(PdfPrinter, PaperIsReadFromTheEnvironmentsLocale) {
    const char* old = getenv("LC_ALL");
    const std::string saved = old ? old : "";
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(LocalePaperMillimeters(), std::make_pair(210, 297));  // the C locale's paper
    EXPECT_EQ(LocalePaper(), PaperKind::A4);
    if (old)
        setenv("LC_ALL", saved.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

TEST(PdfPrinter, CapsAre600PixelsPerInchOnTheWholeSheet) {
    const DeviceCaps letter = PdfPrinterDevice(PaperKind::Letter).Caps(poPortrait);
    EXPECT_EQ(letter.logPixelsX, 600);
    EXPECT_EQ(letter.logPixelsY, 600);
    EXPECT_EQ(letter.widthPixels, 5100);
    EXPECT_EQ(letter.heightPixels, 6600);
    EXPECT_EQ(letter.technology, DT_RASPRINTER);
    const DeviceCaps a4 = PdfPrinterDevice(PaperKind::A4).Caps(poLandscape);
    // A4 as PDF pages give it: 842 x 595 points.
    EXPECT_EQ(a4.widthPixels, 7017);
    EXPECT_EQ(a4.heightPixels, 4958);
}

TEST(PdfPrinter, NumberedFilesKeepTheExtension) {
    EXPECT_EQ(PdfPrinterDevice::NumberedFile("/tmp/out/report.pdf", 1), "/tmp/out/report.pdf");
    EXPECT_EQ(PdfPrinterDevice::NumberedFile("/tmp/out/report.pdf", 2), "/tmp/out/report-2.pdf");
    EXPECT_EQ(PdfPrinterDevice::NumberedFile("/tmp/out/report.pdf", 12), "/tmp/out/report-12.pdf");
    EXPECT_EQ(PdfPrinterDevice::NumberedFile("/tmp/a.b/report", 3), "/tmp/a.b/report-3");
    EXPECT_EQ(PdfPrinterDevice::NumberedFile("/tmp/.pdf", 2), "/tmp/.pdf-2");
}

TEST(PdfPrinter, TwoPageDocumentThroughPrinter) {
    TempDir dir;
    const std::string file = dir.File("report.pdf");
    UsePdfPrinter(file);
    TPrinter& printer = Printer();
    EXPECT_EQ(printer.PrinterName(), "Print to PDF");
    EXPECT_EQ(printer.Caps().logPixelsX, 600);
    EXPECT_EQ(printer.PageWidth(), 5100);
    EXPECT_EQ(printer.PageHeight(), 6600);
    printer.SetTitle("Numerology report");
    ASSERT_TRUE(printer.BeginDoc()) << printer.LastError();
    WriteLine("First page of the report", 600);
    ASSERT_TRUE(printer.NewPage()) << printer.LastError();
    WriteLine("Second page of the report", 1200);
    EXPECT_FALSE(FileExists(file));  // written when the document ends
    ASSERT_TRUE(printer.EndDoc()) << printer.LastError();

    EXPECT_EQ(PdfPages(file), 2);
    EXPECT_EQ(PdfPageSize(file).substr(0, 14), "612 x 792 pts ");
    const std::string text = PdfText(file);
    const auto first = text.find("First page of the report");
    const auto pageBreak = text.find('\f');
    const auto second = text.find("Second page of the report");
    ASSERT_NE(first, std::string::npos) << text;
    ASSERT_NE(second, std::string::npos) << text;
    EXPECT_LT(first, pageBreak);
    EXPECT_GT(second, pageBreak);
    EXPECT_EQ(Backend().PdfPrinter().LastFile(), file);
}

TEST(PdfPrinter, TextLandsWhereItWasDrawn) {
    TempDir dir;
    const std::string file = dir.File("place.pdf");
    UsePdfPrinter(file);
    ASSERT_TRUE(Printer().BeginDoc());
    WriteLine("Marker", 3000);  // x 600 = 1 inch, y 3000 = 5 inches
    ASSERT_TRUE(Printer().EndDoc());
    // pdftotext -bbox gives the word box in points (72 per inch).
    const std::string box = RunCommand("pdftotext -bbox " + Quote(file) + " - 2>/dev/null");
    const auto at = box.find("xMin=\"");
    ASSERT_NE(at, std::string::npos) << box;
    const double xMin = std::stod(box.substr(at + 6));
    const double yMin = std::stod(box.substr(box.find("yMin=\"") + 6));
    EXPECT_NEAR(xMin, 72, 2);
    EXPECT_NEAR(yMin, 360, 2);
}

TEST(PdfPrinter, ATurnedPageHasItsOwnSizeAndItsTextLandsWhereItWasDrawn) {
    TempDir dir;
    const std::string file = dir.File("turned.pdf");
    UsePdfPrinter(file);
    Printer().SetOrientation(poPortrait);
    ASSERT_TRUE(Printer().BeginDoc());
    WriteLine("Upright", 600);
    ASSERT_TRUE(Printer().NewPage(poLandscape)) << Printer().LastError();
    EXPECT_EQ(Printer().PageWidth(), 6600);
    EXPECT_EQ(Printer().PageHeight(), 5100);
    WriteLine("Sideways", 4500);  // 7.5 inches down: below a landscape sheet's middle
    ASSERT_TRUE(Printer().NewPage(poPortrait)) << Printer().LastError();
    WriteLine("Again", 6000);
    ASSERT_TRUE(Printer().EndDoc()) << Printer().LastError();
    // One space between the words of pdfinfo's lines.
    const std::string info =
        RunCommand("pdfinfo -f 1 -l 3 " + Quote(file) + " 2>/dev/null | tr -s ' '");
    for (const char* want :
         {"Page 1 size: 612 x 792 pts", "Page 2 size: 792 x 612 pts", "Page 3 size: 612 x 792 pts"})
        EXPECT_NE(info.find(want), std::string::npos) << want << "\n" << info;
    const std::string box =
        RunCommand("pdftotext -bbox -f 2 -l 2 " + Quote(file) + " - 2>/dev/null");
    const auto word = box.find(">Sideways<");
    ASSERT_NE(word, std::string::npos) << box;
    const auto at = box.rfind("xMin=\"", word);
    EXPECT_NEAR(std::stod(box.substr(at + 6)), 72, 2);
    EXPECT_NEAR(std::stod(box.substr(box.find("yMin=\"", at) + 6)), 540, 2);
    EXPECT_NE(RunCommand("pdftotext -f 3 -l 3 " + Quote(file) + " - 2>/dev/null").find("Again"),
              std::string::npos);
}

TEST(PdfPrinter, LaterDocumentsOfAJobGoToNumberedFiles) {
    TempDir dir;
    const std::string file = dir.File("report.pdf");
    UsePdfPrinter(file);
    for (int copy = 1; copy <= 3; ++copy) {
        ASSERT_TRUE(Printer().BeginDoc());
        WriteLine("Copy " + std::to_string(copy), 600);
        ASSERT_TRUE(Printer().EndDoc());
    }
    EXPECT_NE(PdfText(dir.File("report.pdf")).find("Copy 1"), std::string::npos);
    EXPECT_NE(PdfText(dir.File("report-2.pdf")).find("Copy 2"), std::string::npos);
    EXPECT_NE(PdfText(dir.File("report-3.pdf")).find("Copy 3"), std::string::npos);
    EXPECT_EQ(PdfPages(dir.File("report-3.pdf")), 1);
    EXPECT_FALSE(FileExists(dir.File("report-4.pdf")));

    // Setting the file again starts a new job, which begins with the file itself.
    Backend().PdfPrinter().SetOutputFile(file);
    EXPECT_EQ(Backend().PdfPrinter().NextFile(""), file);
    ASSERT_TRUE(Printer().BeginDoc());
    WriteLine("Again", 600);
    ASSERT_TRUE(Printer().EndDoc());
    EXPECT_NE(PdfText(file).find("Again"), std::string::npos);
    EXPECT_NE(PdfText(dir.File("report-2.pdf")).find("Copy 2"), std::string::npos);
}

TEST(PdfPrinter, AbortWritesNothingAndKeepsAnOlderFile) {
    TempDir dir;
    const std::string file = dir.File("kept.pdf");
    UsePdfPrinter(file);
    ASSERT_TRUE(Printer().BeginDoc());
    WriteLine("Old", 600);
    ASSERT_TRUE(Printer().EndDoc());
    Backend().PdfPrinter().SetOutputFile(file);
    ASSERT_TRUE(Printer().BeginDoc());
    WriteLine("New", 600);
    Printer().Abort();
    EXPECT_TRUE(Printer().Aborted());
    EXPECT_NE(PdfText(file).find("Old"), std::string::npos);
    // Only the old file is there: no temporary left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 1);
    // An aborted document does not count: the next one still goes to the file itself.
    EXPECT_EQ(Backend().PdfPrinter().NextFile(""), file);
}

TEST(PdfPrinter, WithoutAnOutputFileTheTitleNamesTheFileInTheDocumentsFolder) {
    TempDir dir;
    PdfPrinterDevice pdf(PaperKind::A4);
    // A home of the test's own, without a user-dirs file: the documents folder is
    // HOME/Documents, made when the first document is written; the current folder plays no part.
    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    const char* config = getenv("XDG_CONFIG_HOME");
    const std::string oldConfig = config ? config : "";
    ::setenv("HOME", dir.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir.Path() + "/config").c_str(), 1);
    const Result<DeviceContext*> dc = pdf.BeginDoc("Tax/Report 2024", poLandscape);
    ASSERT_TRUE(dc) << dc.reason();
    ASSERT_NE(*dc, nullptr);
    EXPECT_EQ((*dc)->GetDeviceCaps(HORZRES), 7017);
    Result<void> ended = pdf.EndDoc();
    EXPECT_TRUE(ended) << ended.reason();
    ASSERT_TRUE(pdf.BeginDoc("Tax/Report 2024", poPortrait));
    ended = pdf.EndDoc();
    EXPECT_TRUE(ended) << ended.reason();
    EXPECT_EQ(pdf.LastDocumentFile(), dir.File("Documents/Tax_Report 2024-2.pdf"));
    ::setenv("HOME", home.c_str(), 1);
    if (config)
        ::setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(FileExists(dir.File("Documents/Tax_Report 2024.pdf")));
    EXPECT_TRUE(FileExists(dir.File("Documents/Tax_Report 2024-2.pdf")));
    EXPECT_EQ(PdfPageSize(dir.File("Documents/Tax_Report 2024.pdf")), "842 x 595 pts (A4)");
}

TEST(PdfPrinter, UnwritableFileFailsWithAReason) {
    PdfPrinterDevice pdf(PaperKind::Letter);
    pdf.SetOutputFile("/nonexistent-directory-for-quillon/out.pdf");
    const Result<DeviceContext*> begun = pdf.BeginDoc("x", poPortrait);
    EXPECT_FALSE(begun);
    EXPECT_NE(begun.reason().find("/nonexistent-directory-for-quillon/out.pdf"), std::string::npos)
        << begun.reason();
    const Result<DeviceContext*> next = pdf.NewPage(poPortrait);
    EXPECT_FALSE(next);
    EXPECT_EQ(next.reason(), "no document is open");
    const Result<void> ended = pdf.EndDoc();
    EXPECT_FALSE(ended);
    EXPECT_EQ(ended.reason(), "no document is open");
}

TEST(QtBackend, PrinterListEndsWithThePdfPrinter) {
    const auto list = Backend().Printers();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back()->Name(), "Print to PDF");
    EXPECT_EQ(Backend().DefaultPrinterIndex(), static_cast<int>(list.size()) - 1);
    // The device object stays the same between readings (its job numbering lives there).
    EXPECT_EQ(Backend().Printers().back(), list.back());
}

TEST(QtBackend, ScreenIs96PixelsPerInch) {
    EXPECT_EQ(Screen().PixelsPerInch(), 96);
    EXPECT_GT(Screen().Width(), 0);
    EXPECT_GT(Screen().Height(), 0);
}

TEST(QtBackend, DecodesPngIntoExactPixels) {
    QImage source(3, 2, QImage::Format_ARGB32);
    source.setPixel(0, 0, 0xFFFF0000);
    source.setPixel(1, 0, 0xFF00FF00);
    source.setPixel(2, 0, 0xFF0000FF);
    source.setPixel(0, 1, 0xFF000000);
    source.setPixel(1, 1, 0xFFFFFFFF);
    source.setPixel(2, 1, 0xFF123456);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(source.save(&buffer, "PNG"));
    TBitmap bitmap;
    const Result<void> loaded =
        bitmap.LoadFromBytes(std::span(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                       static_cast<std::size_t>(png.size())));
    ASSERT_TRUE(loaded) << loaded.reason();
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(bitmap.Pixel(2, 0), 0xFF0000FFu);
    EXPECT_EQ(bitmap.Pixel(2, 1), 0xFF123456u);
}

TEST(QtBackend, RefusesDataThatIsNoImage) {
    const std::uint8_t junk[] = {0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5, 6, 7, 8};
    const Result<TBitmap> decoded = Backend().DecodeImage(junk);
    EXPECT_FALSE(decoded);
    EXPECT_FALSE(decoded.reason().empty());
}

TEST(QtBackend, PrinterCanvasMeasuresWithTheRealFaces) {
    TempDir dir;
    UsePdfPrinter(dir.File("unused.pdf"));
    TCanvas& canvas = Printer().Canvas();
    canvas.Font().SetName("Arial");
    canvas.Font().SetHeight(-100);
    // "Hello" in Liberation Sans: (1479 + 1139 + 455 + 455 + 1139) / 2048 em.
    EXPECT_EQ(canvas.TextWidth("Hello"), 228);  // 227.9 pixels
}

}  // namespace
}  // namespace quillon
