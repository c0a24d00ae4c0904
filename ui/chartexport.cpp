#include "ui/chartexport.h"

#include "ui/dialogs.h"
#include "ui/widgets.h"

#include <QAction>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QMenu>
#include <QPainter>
#include <QSvgGenerator>

namespace trophex::ui {

namespace {

const QStringList PictureFilters = {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG image (*.svg)")};

std::optional<QString> writePng(const ChartFigure& figure, QIODevice& device)
{
    QImage image(figure.figureSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        figure.paintFigure(painter);
    }
    QImageWriter writer(&device, "png");
    if (!writer.write(image))
        return writer.errorString();
    return std::nullopt;
}

std::optional<QString> writeSvg(const ChartFigure& figure, QIODevice& device)
{
    QSvgGenerator generator;
    generator.setOutputDevice(&device);
    generator.setSize(figure.figureSize());
    generator.setViewBox(QRect(QPoint(0, 0), figure.figureSize()));
    generator.setTitle(figure.figureTitle());
    QPainter painter(&generator);
    painter.fillRect(QRect(QPoint(0, 0), figure.figureSize()), Qt::white);
    figure.paintFigure(painter);
    // The generator writes as it paints; a write that failed on the way fails the commit.
    return std::nullopt;
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

std::optional<QString> writeChartPicture(const ChartFigure& figure, QIODevice& device, PictureFormat format)
{
    return format == PictureFormat::Png ? writePng(figure, device) : writeSvg(figure, device);
}

ChartExporter::ChartExporter(UserDialogs& dialogs, QWidget& window, std::unique_ptr<ChartFigure> figure,
                             std::function<bool()> ready)
    : QObject(&window), dialogs_(dialogs), window_(window), figure_(std::move(figure)), ready_(std::move(ready)),
      file_(dialogs, window, tr("Save Chart"), PictureFilters, [this](const QString& fileName) {
          if (pictureFormatOf(fileName))
              return true;
          dialogs_.showError(&window_, tr("Charts are saved as PNG (.png) or SVG (.svg) files!"));
          return false;
      })
{
}

void ChartExporter::offerIn(QWidget& chartArea, QMenu& menu, const QString& actionName, const QString& menuCaption)
{
    const QString caption = tr("Save C&hart\u2026");
    auto* contextAction = new QAction(caption, &chartArea);
    chartArea.addAction(contextAction);
    chartArea.setContextMenuPolicy(Qt::ActionsContextMenu);
    QAction* menuAction = addBeforeClosingItem(menu, menuCaption.isEmpty() ? caption : menuCaption);
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
    const QString name = file_.choose();
    if (!name.isEmpty())
        file_.write(name, [this, format = *pictureFormatOf(name)](QIODevice& device) {
            return writeChartPicture(*figure_, device, format);
        });
}

}  // namespace trophex::ui
