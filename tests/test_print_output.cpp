#include "tests/print_test_support.h"

#include "cli/report_command.h"
#include "files/datafile.h"
#include "print/reportpainter.h"
#include "print/reportpdf.h"

#include <QFile>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

using namespace trophex;
using namespace trophex::testing;
using trophex::cli::writeReportPdf;

namespace {

QColor qcolor(Rgb rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QImage paintedPage(const ReportLayout& layout, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintReport(painter, layout);
    return image;
}

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

TEST(ReportPainter, DrawsOpaqueTextBarsMarksAndAxis)
{
    ReportTexts texts = reportAfterCalculating(exampleLake());
    texts.results[Result::AvgTSI] = "62";
    const ReportLayout layout = layoutReport(800, 1100, texts);
    const ReportUnits u = layout.units;  // Lh 22, Cw 100, U 4
    const QImage image = paintedPage(layout, 800, 1100);

    // The title's cells start exactly at its top-left corner, filled green behind white letters.
    EXPECT_EQ(image.pixelColor(u.Cw, 2 * u.Lh), qcolor(ReportGreen));
    EXPECT_EQ(image.pixelColor(u.Cw - 1, 2 * u.Lh + 2), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(u.Cw + 2, 2 * u.Lh - 1), QColor(Qt::white));

    const int Yc = 33 * u.Lh + u.Lh / 2;
    EXPECT_EQ(image.pixelColor(u.x0, 33 * u.Lh), qcolor(ReportGreen));
    EXPECT_EQ(image.pixelColor(u.x0 + 100 * u.U - 1, 34 * u.Lh - 1), qcolor(ReportGreen));
    EXPECT_EQ(image.pixelColor(u.x0 + 100 * u.U, 33 * u.Lh + 1), QColor(Qt::white));
    // The mark at 62 rises Lh div 8 above the middle; the NLF range 45-51 is drawn over it.
    EXPECT_EQ(image.pixelColor(u.x0 + 62 * u.U, Yc - 2), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(u.x0 + 62 * u.U, Yc - 4), qcolor(ReportGreen));
    EXPECT_EQ(image.pixelColor(u.x0 + 48 * u.U, Yc), qcolor(ReportMagenta));
    EXPECT_EQ(image.pixelColor(u.x0 + 52 * u.U + 1, Yc), qcolor(ReportGreen));
    const int Ya = 39 * u.Lh + 2 * (u.Lh / 2);
    EXPECT_EQ(image.pixelColor(u.x0 + 5 * u.U, Ya), QColor(Qt::black));
}

TEST(ReportPdf, PaperFollowsTheLocale)
{
    EXPECT_EQ(reportPaperSize(QLocale("en_US")), QPageSize::Letter);
    EXPECT_EQ(reportPaperSize(QLocale("fr_CA")), QPageSize::Letter);
    EXPECT_EQ(reportPaperSize(QLocale("es_MX")), QPageSize::Letter);
    EXPECT_EQ(reportPaperSize(QLocale("en_GB")), QPageSize::A4);
    EXPECT_EQ(reportPaperSize(QLocale("de_DE")), QPageSize::A4);
    EXPECT_EQ(reportPaperSize(QLocale::c()), QPageSize::A4);
}

TEST(ReportCommand, WorkedExampleAsPdfShowsTheWindowsTexts)
{
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftoppm.isEmpty() || pdftotext.isEmpty())
        GTEST_SKIP() << "poppler-utils (pdftoppm, pdftotext) not installed";

    QTemporaryDir dir;
    const std::string dataFile = dir.filePath("example.tpx").toStdString();
    const std::string pdf = dir.filePath("example.pdf").toStdString();
    ASSERT_FALSE(writeDataFile(dataFile, exampleLake()));
    std::ostringstream errors;
    ASSERT_EQ(writeReportPdf(dataFile, pdf, {}, NumberFormat{}, errors), 0) << errors.str();

    const QString text = runTool(pdftotext, {"-layout", QString::fromStdString(pdf), "-"});
    const ReportTexts window = reportAfterCalculating(exampleLake());
    for (const std::string& expected :
         {std::string("TRPHEX - Tarnovale"), std::string("Lake Outflow: 2.43 hm3/yr"),
          "TP Load: " + window.resultBox(OutputResult::PhosLoad) + " kg/yr",
          "Avg TP Inflow: " + window.resultBox(OutputResult::AvgInTP) + " ug/L",
          "Residence Time: " + window.resultBox(OutputResult::ResTime) + " years",
          "Chiaudani/Vighi TP: " + window.resultBox(OutputResult::CVtp) + " ug/L",
          "P Retention Coef: " + window.results[Result::PhosRet], "Avg TSI = " + window.results[Result::AvgTSI],
          "Secchi TSI = " + window.results[Result::SecchiTSI]})
        EXPECT_TRUE(text.contains(QString::fromStdString(expected))) << expected << "\n" << text.toStdString();
    for (const std::string& cell : window.results.texts)
        EXPECT_TRUE(text.contains(QString::fromStdString(cell))) << cell;
    for (const char* title : CompGridColumnTitles)
        EXPECT_TRUE(text.contains(QString::fromLatin1(title))) << title;
    for (const char* title : ChlrGridRowTitles)
        EXPECT_TRUE(text.contains(QString::fromLatin1(title))) << title;
    EXPECT_EQ(text.count('\f'), 1) << "one page";

    // Rendered, the title band and the first bar are green and its NLF range magenta where
    // the layout put them.
    constexpr int Dpi = 150;
    runTool(pdftoppm, {"-png", "-r", QString::number(Dpi), "-singlefile", QString::fromStdString(pdf),
                       dir.filePath("page")});
    const QImage image(dir.filePath("page.png"));
    ASSERT_FALSE(image.isNull());
    const QRect printable = reportPdfPageLayout(reportPaperSize(QLocale::system())).paintRectPixels(ReportPdfResolution);
    const ReportUnits u = layoutReport(printable.width(), printable.height(), window).units;
    auto rendered = [&](int x, int y) {
        const double scale = double(Dpi) / ReportPdfResolution;
        return image.pixelColor(int((printable.left() + x) * scale), int((printable.top() + y) * scale));
    };
    const int Yc = 33 * u.Lh + u.Lh / 2;
    EXPECT_EQ(rendered(u.Cw + u.Lh / 8, 2 * u.Lh + u.Lh / 8), qcolor(ReportGreen));
    EXPECT_EQ(rendered(u.x0 + 10 * u.U, Yc), qcolor(ReportGreen));
    EXPECT_EQ(rendered(u.x0 + 48 * u.U, Yc), qcolor(ReportMagenta));
    EXPECT_EQ(rendered(u.x0 + 52 * u.U, Yc - u.Lh / 4), qcolor(ReportGreen));
}

TEST(ReportCommand, FailuresAreReportedAndNothingIsWritten)
{
    QTemporaryDir dir;
    const std::string pdf = dir.filePath("report.pdf").toStdString();
    std::ostringstream missing;
    EXPECT_EQ(writeReportPdf(dir.filePath("missing.tpx").toStdString(), pdf, {}, NumberFormat{}, missing), 1);
    EXPECT_FALSE(missing.str().empty());

    const std::string dataFile = dir.filePath("bad.tpx").toStdString();
    InputTexts inputs = exampleLake();
    inputs[Input::WareaEditBox] = "";
    ASSERT_FALSE(writeDataFile(dataFile, inputs));
    std::ostringstream invalid;
    EXPECT_EQ(writeReportPdf(dataFile, pdf, {}, NumberFormat{}, invalid), 1);
    EXPECT_NE(invalid.str().find("Invalid Input Parameter!"), std::string::npos) << invalid.str();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(pdf)));

    std::ostringstream unwritable;
    ASSERT_FALSE(writeDataFile(dataFile, exampleLake()));
    EXPECT_EQ(writeReportPdf(dataFile, dir.filePath("no-such-folder/report.pdf").toStdString(), {}, NumberFormat{},
                             unwritable),
              1);
    EXPECT_FALSE(unwritable.str().empty());
}

TEST(ReportCommand, PrintsTheRunnersUnitChoices)
{
    QTemporaryDir dir;
    const std::string dataFile = dir.filePath("example.tpx").toStdString();
    InputTexts inputs = exampleLake();
    inputs[Input::AlkalinityEditBox] = "";
    ASSERT_FALSE(writeDataFile(dataFile, inputs));
    const engine::Assessment assessment = engine::assessDataFile(
        dataFile, {{{OutputResult::OutVol, "gal/day"}, {OutputResult::CVtp, "mg/L"}}, NumberFormat{}});
    ASSERT_TRUE(assessment.ok()) << assessment.error.message;
    const ReportLayout page = layoutReport(4800, 6600, cli::reportTextsOf(assessment));
    textItem(page, "Lake Outflow: 1,761,264.00 gal/day");
    textItem(page, "Chiaudani/Vighi TP: NA mg/L");
}
