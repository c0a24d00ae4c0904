#pragma once
// Saving a chart of the window as a picture: PNG at print resolution (at least 1600 pixels
// wide), or SVG, the same drawing as lines, fills and texts that scale without loss. Either
// carries a caption above the chart: the lake and, where the chart has one, the target. A
// chart page hands over a figure that can draw itself at any scale; a ChartExporter offers
// "Save Chart…" in the chart's context menu and in a menu of the window, asks for the file
// name, writes the picture and reports what went wrong in the error box.

#include "ui/exportfile.h"

#include <QObject>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QIODevice;
class QMenu;
class QPainter;
class QWidget;

namespace trophex::ui {

class UserDialogs;

enum class PictureFormat { Png, Svg };

// A chart as a picture.
class ChartFigure {
public:
    virtual ~ChartFigure() = default;
    virtual QSize figureSize() const = 0;       // pixels, as the window shows it
    virtual QString figureTitle() const = 0;    // what it shows: the SVG's title
    virtual QString figureCaption() const = 0;  // the lake and, where the chart has one, the target
    // Draws the figure `scale` times as large as the window shows it, on a white background
    // from (0, 0): laid out anew at that size where the figure can be.
    virtual void paintFigure(QPainter& painter, int scale) const = 0;
};

inline constexpr int PrintWidth = 1600;  // pixels a saved PNG is wide at least

// The whole number of times the figure is drawn larger so that it is PrintWidth wide at least.
int printScale(const ChartFigure& figure);

// The picture of a figure, its caption above it, `scale` times as large as shown; the
// figure is drawn `detail` times as large (a whole number, scale or more) and shrunk to scale,
// so that curves keep their detail whatever the scale.
QSizeF pictureSize(const ChartFigure& figure, double scale);
void paintPicture(QPainter& painter, const ChartFigure& figure, double scale, int detail);

// The format the file name asks for by its extension, in any letter case.
std::optional<PictureFormat> pictureFormatOf(const QString& fileName);

// Writes the picture of the figure; the reason when that fails.
std::optional<QString> writeChartPicture(const ChartFigure& figure, QIODevice& device, PictureFormat format);

class ChartExporter : public QObject {
public:
    // Lives as long as the window. ready tells whether the chart shows results; without
    // them saving says so.
    ChartExporter(UserDialogs& dialogs, QWidget& window, std::unique_ptr<ChartFigure> figure,
                  std::function<bool()> ready);

    // Adds "Save Chart…" to the context menu of the chart's area, and the menu item named
    // actionName to the end of the menu: "Save Chart…" unless a window with more than one
    // chart gives a caption that says which.
    void offerIn(QWidget& chartArea, QMenu& menu, const QString& actionName, const QString& menuCaption = QString());

    void saveChart();

private:
    UserDialogs& dialogs_;
    QWidget& window_;                      // owner of the dialogs
    std::unique_ptr<ChartFigure> figure_;  // what is saved
    std::function<bool()> ready_;
    ExportFile file_;  // where it is saved
};

}  // namespace trophex::ui
