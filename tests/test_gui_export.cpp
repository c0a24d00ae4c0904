// Results out of the window: the trophic state chart saved as PNG and SVG.

#include "gui_test_support.h"

#include "ui/chartexport.h"
#include "ui/mainform.h"
#include "ui/tsichart.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

using namespace trophex::ui;
using namespace trophex::ui::testing;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The worked example calculated with the "TSI" page shown.
void calculateOnTsiPage(Program& program)
{
    program.endStartupScreen();
    enterWorkedExample(program.main);
    showPage(program.main, "TSI");
    program.main.CalcButtonClick();
    QCOMPARE(program.main.ResultsReady(), 1);
}

QAction* contextAction(TMainForm& main, const QString& text)
{
    for (QAction* action : main.PaintBox1().parentWidget()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

void saveChartFromMenu(Program& program, const QString& fileName)
{
    program.dialogs.exportNames.push_back(fileName);
    program.main.findChild<QAction*>(QStringLiteral("SaveChart1"))->trigger();
}

// Where the chart itself lies in a saved picture of the TSI page.
QPoint chartOrigin(TMainForm& main)
{
    QRect area;
    for (const QWidget* child : main.PaintBox1().parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        area |= child->geometry();
    return main.PaintBox1().pos() - area.topLeft() + QPoint(4, 4);
}

QImage rendered(const QString& svgFile, QSize size)
{
    QSvgRenderer renderer(svgFile);
    if (!renderer.isValid())
        qFatal("not an SVG picture: %s", qPrintable(svgFile));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

}  // namespace

class ExportTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void chartAsPngIsTheChartAsShown();
    void chartAsSvgIsDrawnInLinesFillsAndTexts();
    void chartIsSavedFromTheContextMenuAndOnlyWithResults();
    void chartFileNamesAndFailures();

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString path(const QString& name) const { return folder_->filePath(name); }
};

void ExportTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
}

void ExportTest::chartAsPngIsTheChartAsShown()
{
    Program program;
    calculateOnTsiPage(program);
    saveChartFromMenu(program, path("chart.png"));
    QVERIFY(program.dialogs.errors.isEmpty());
    QCOMPARE(program.dialogs.exportFilters,
             QList<QStringList>({{"PNG image (*.png)", "SVG image (*.svg)"}}));

    const QImage saved(path("chart.png"));
    QVERIFY(!saved.isNull());
    const QImage shown = program.main.PaintBox1().grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint origin = chartOrigin(program.main);
    // Pixel for pixel, but on white where the page shows its own background.
    const QRgb background = shown.pixel(0, 0);
    QImage expected = shown;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (expected.pixel(x, y) == background)
                expected.setPixel(x, y, qRgb(255, 255, 255));
    QCOMPARE(saved.copy(QRect(origin, shown.size())), expected);
    // The captions and index boxes beside the chart are in the picture too.
    const QImage page = program.main.PaintBox1().parentWidget()->grab().toImage();
    QVERIFY(saved.width() > shown.width() + 100 && saved.height() > shown.height() + 20);
    QVERIFY(page.size().width() >= saved.width() - 8);
}

void ExportTest::chartAsSvgIsDrawnInLinesFillsAndTexts()
{
    Program program;
    calculateOnTsiPage(program);
    saveChartFromMenu(program, path("chart.svg"));
    QVERIFY(program.dialogs.errors.isEmpty());
    const QByteArray svg = readBytes(path("chart.svg"));
    QVERIFY(svg.startsWith("<?xml"));
    QVERIFY(!svg.contains("<image"));
    QVERIFY(svg.contains("Carlson's Trophic State Index"));
    QVERIFY(svg.contains(">Ecoregion Range<"));
    QVERIFY(svg.contains(">Average TSI<"));

    saveChartFromMenu(program, path("chart.png"));
    const QImage png(path("chart.png"));
    const QImage fromSvg = rendered(path("chart.svg"), png.size());
    const QPoint origin = chartOrigin(program.main);
    // Bar cells, a range line and a marker come out where the PNG has them.
    for (const QPoint at : {QPoint(10, 20), QPoint(490, 20), QPoint(250, 25), QPoint(5, 29 + 96)}) {
        const QColor expected = png.pixelColor(origin + at);
        const QColor actual = fromSvg.pixelColor(origin + at);
        QVERIFY2(qAbs(expected.red() - actual.red()) + qAbs(expected.green() - actual.green()) +
                         qAbs(expected.blue() - actual.blue()) <=
                     6,
                 qPrintable(QStringLiteral("at %1,%2: %3 against %4")
                                .arg(at.x())
                                .arg(at.y())
                                .arg(actual.name(), expected.name())));
    }
}

void ExportTest::chartIsSavedFromTheContextMenuAndOnlyWithResults()
{
    Program program;
    program.endStartupScreen();
    QAction* save = contextAction(program.main, QStringLiteral("Save C&hart\u2026"));
    QVERIFY(save);
    QCOMPARE(program.main.PaintBox1().parentWidget()->contextMenuPolicy(), Qt::ActionsContextMenu);
    save->trigger();
    QCOMPARE(program.dialogs.errors, QStringList({"There's no chart to save!"}));
    QVERIFY(program.dialogs.exportFilters.isEmpty());

    enterWorkedExample(program.main);
    program.main.CalcButtonClick();  // on the Output page: the chart is drawn when asked for
    program.dialogs.exportNames.push_back(path("from-context.png"));
    save->trigger();
    QCOMPARE(program.dialogs.errors.size(), 1);
    const QImage saved(path("from-context.png"));
    QCOMPARE(saved.pixelColor(chartOrigin(program.main) + QPoint(10, 20)), barCellColour(0));

    program.main.ClearBtnClick();
    save->trigger();
    QCOMPARE(program.dialogs.errors.size(), 2);
    QCOMPARE(program.dialogs.errors.last(), QStringLiteral("There's no chart to save!"));
}

void ExportTest::chartFileNamesAndFailures()
{
    Program program;
    calculateOnTsiPage(program);
    saveChartFromMenu(program, path("chart.jpg"));
    QCOMPARE(program.dialogs.errors, QStringList({"Charts are saved as PNG (.png) or SVG (.svg) files!"}));
    QVERIFY(!QFile::exists(path("chart.jpg")));

    writeBytes(path("old.PNG"), "keep me");
    program.dialogs.replaceAnswers = {false, true};
    saveChartFromMenu(program, path("old.PNG"));
    QCOMPARE(readBytes(path("old.PNG")), QByteArray("keep me"));
    saveChartFromMenu(program, path("old.PNG"));
    QVERIFY(!QImage(path("old.PNG")).isNull());
    QCOMPARE(program.dialogs.replaceQuestions, QStringList({path("old.PNG"), path("old.PNG")}));

    saveChartFromMenu(program, path("no-such-folder/chart.svg"));
    QCOMPARE(program.dialogs.errors.size(), 2);
    QVERIFY2(program.dialogs.errors.last().startsWith(path("no-such-folder/chart.svg") + "\n"),
             qPrintable(program.dialogs.errors.last()));
    QVERIFY(!QFile::exists(path("no-such-folder")));

    program.main.findChild<QAction*>(QStringLiteral("SaveChart1"))->trigger();  // cancelled
    QCOMPARE(program.dialogs.exportStartNames.last(), path("no-such-folder/chart.svg"));
    QCOMPARE(program.dialogs.errors.size(), 2);
}

QTEST_MAIN(ExportTest)
#include "test_gui_export.moc"
