#include "ui/chartexport.h"

#include "ui/dialogs.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QMenu>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace trophex::ui {

namespace {

const QStringList PictureFilters = {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG image (*.svg)")};

QString fileError(const QString& fileName, const QString& reason)
{
    return QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(fileName), reason);
}

std::optional<QString> writePng(const ChartFigure& figure, QSaveFile& file)
{
    QImage image(figure.figureSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        figure.paintFigure(painter);
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image))
        return writer.errorString();
    return std::nullopt;
}

void writeSvg(const ChartFigure& figure, QSaveFile& file)
{
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setSize(figure.figureSize());
    generator.setViewBox(QRect(QPoint(0, 0), figure.figureSize()));
    generator.setTitle(figure.figureTitle());
    QPainter painter(&generator);
    painter.fillRect(QRect(QPoint(0, 0), figure.figureSize()), Qt::white);
    figure.paintFigure(painter);
}

}  // namespace

std::optional<PictureFormat> pictureFormatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return PictureFormat::Png;
    if (suffix == QLatin1String("svg"))
        return PictureFormat::Svg;
    return std::nullopt;
}

std::optional<QString> writeChartPicture(const ChartFigure& figure, const QString& fileName, PictureFormat format)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (format == PictureFormat::Png) {
        if (std::optional<QString> error = writePng(figure, file)) {
            file.cancelWriting();
            return error;
        }
    } else {
        writeSvg(figure, file);
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

ChartExporter::ChartExporter(UserDialogs& dialogs, QWidget& window, std::unique_ptr<ChartFigure> figure,
                             std::function<bool()> ready)
    : QObject(&window), dialogs_(dialogs), window_(window), figure_(std::move(figure)), ready_(std::move(ready))
{
}

void ChartExporter::offerIn(QWidget& chartArea, QMenu& menu, const QString& actionName)
{
    const QString caption = tr("Save C&hart\u2026");
    auto* contextAction = new QAction(caption, &chartArea);
    chartArea.addAction(contextAction);
    chartArea.setContextMenuPolicy(Qt::ActionsContextMenu);
    QAction* menuAction = menu.addAction(caption);
    menuAction->setObjectName(actionName);
    for (QAction* action : {contextAction, menuAction})
        connect(action, &QAction::triggered, this, &ChartExporter::saveChart);
}

void ChartExporter::saveChart()
{
    if (!ready_()) {
        dialogs_.showError(&window_, tr("There's no chart to save!"));
        return;
    }
    const QString name = dialogs_.exportFileName(&window_, lastName_, PictureFilters);
    if (name.isEmpty())
        return;
    lastName_ = name;
    const std::optional<PictureFormat> format = pictureFormatOf(name);
    if (!format) {
        dialogs_.showError(&window_, tr("Charts are saved as PNG (.png) or SVG (.svg) files!"));
        return;
    }
    if (QFileInfo::exists(name) && !dialogs_.confirmReplace(&window_, name))
        return;
    if (const std::optional<QString> error = writeChartPicture(*figure_, name, *format))
        dialogs_.showError(&window_, fileError(name, *error));
}

}  // namespace trophex::ui
