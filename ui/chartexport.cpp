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
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace trophex::ui {

namespace {

const QStringList PictureFilters = {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG image (*.svg)")};

constexpr int CaptionPixels = 12;  // height of the caption's letters as shown
constexpr int CaptionMargin = 4;   // pixels around the caption as shown

QFont captionFont()
{
    return pixelFont(QStringLiteral("Arial"), CaptionPixels, true);
}

// The caption laid out as shown, in lines of the figure's width: at spaces, or inside a word
// too long for a line; its top left corner at (0, 0).
void layOutCaption(const ChartFigure& figure, QTextLayout& layout)
{
    layout.setFont(captionFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    double y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(figure.figureSize().width() - 2 * CaptionMargin);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
}

int captionHeight(const ChartFigure& figure)
{
    QTextLayout layout(figure.figureCaption());
    layOutCaption(figure, layout);
    return static_cast<int>(std::ceil(layout.boundingRect().height())) + 2 * CaptionMargin;
}

std::optional<QString> writePng(const ChartFigure& figure, QIODevice& device)
{
    const int scale = printScale(figure);
    QImage image(pictureSize(figure, scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintPicture(painter, figure, scale, scale);
    }
    QImageWriter writer(&device, "png");
    if (!writer.write(image))
        return writer.errorString();
    return std::nullopt;
}

// The picture in the units of the window, drawn at print detail: positions fall between the
// window's pixels, so curves are as smooth as printed.
std::optional<QString> writeSvg(const ChartFigure& figure, QIODevice& device)
{
    const int detail = printScale(figure);
    const QSizeF size = pictureSize(figure, 1);
    QSvgGenerator generator;
    generator.setOutputDevice(&device);
    generator.setSize(pictureSize(figure, detail).toSize());
    generator.setViewBox(QRectF(QPointF(0, 0), size));
    generator.setTitle(figure.figureTitle());
    generator.setDescription(figure.figureCaption());
    QPainter painter(&generator);
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    paintPicture(painter, figure, 1, detail);
    // The generator writes as it paints; a write that failed on the way fails the commit.
    return std::nullopt;
}

}  // namespace

int printScale(const ChartFigure& figure)
{
    const int width = std::max(1, figure.figureSize().width());
    return std::max(1, (PrintWidth + width - 1) / width);
}

QSizeF pictureSize(const ChartFigure& figure, double scale)
{
    const QSize size = figure.figureSize();
    return QSizeF(size.width(), size.height() + captionHeight(figure)) * scale;
}

void paintPicture(QPainter& painter, const ChartFigure& figure, double scale, int detail)
{
    painter.save();
    painter.scale(scale, scale);
    QTextLayout caption(figure.figureCaption());
    layOutCaption(figure, caption);
    painter.setPen(Qt::black);
    caption.draw(&painter, QPointF(CaptionMargin, CaptionMargin));
    painter.translate(0, captionHeight(figure));
    painter.scale(1.0 / detail, 1.0 / detail);
    figure.paintFigure(painter, detail);
    painter.restore();
}

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
