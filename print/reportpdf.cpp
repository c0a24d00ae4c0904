#include "print/reportpdf.h"

#include "print/reportpainter.h"

#include <QBuffer>
#include <QLocale>
#include <QMarginsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <array>

namespace trophex {

namespace {

constexpr double UnprintableMarginMm = 6.35;  // a quarter inch

std::optional<QByteArray> renderPdf(const PageLayouter& layout, QPageSize::PageSizeId paper)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(ReportPdfResolution);
    writer.setPageLayout(reportPdfPageLayout(paper));
    if (!printPage(writer, layout))
        return std::nullopt;
    return bytes;
}

}  // namespace

QPageLayout reportPdfPageLayout(QPageSize::PageSizeId paper)
{
    const QMarginsF margins(UnprintableMarginMm, UnprintableMarginMm, UnprintableMarginMm, UnprintableMarginMm);
    return QPageLayout(QPageSize(paper), QPageLayout::Portrait, margins, QPageLayout::Millimeter);
}

QPageSize::PageSizeId reportPaperSize(const QLocale& locale)
{
    static const std::array<QLocale::Territory, 14> LetterTerritories = {
        QLocale::UnitedStates, QLocale::Canada,     QLocale::Mexico,      QLocale::PuertoRico, QLocale::Belize,
        QLocale::Chile,        QLocale::Colombia,   QLocale::CostaRica,   QLocale::Guatemala,  QLocale::Nicaragua,
        QLocale::Panama,       QLocale::ElSalvador, QLocale::Venezuela,   QLocale::Philippines};
    const bool letter = locale.measurementSystem() == QLocale::ImperialUSSystem ||
                        std::find(LetterTerritories.begin(), LetterTerritories.end(), locale.territory()) !=
                            LetterTerritories.end();
    return letter ? QPageSize::Letter : QPageSize::A4;
}

std::optional<std::string> writeReportPdf(const QString& path, const ReportTexts& texts, QPageSize::PageSizeId paper)
{
    return writePagePdf(path, [&](int width, int height) { return layoutReport(width, height, texts); }, paper);
}

std::optional<std::string> writePagePdf(const QString& path, const PageLayouter& layout, QPageSize::PageSizeId paper)
{
    const std::optional<QByteArray> pdf = renderPdf(layout, paper);
    if (!pdf)
        return std::string("The PDF could not be drawn");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*pdf) != pdf->size() || !file.commit())
        return file.errorString().toStdString();
    return std::nullopt;
}

}  // namespace trophex
