#pragma once
// A chart of the main window in a window of its own, opened by a double click on the chart.
// It can be resized and maximised (the main window keeps its fixed size) and draws the chart
// with its caption as large as the window allows, laid out anew at that size, following the
// chart whenever the chart on the page changes. Escape or Ctrl+W closes it.

#include "ui/chartexport.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace trophex::ui {

class ChartWindow : public QWidget {
    Q_OBJECT

public:
    // Watches chartArea for double clicks; ready tells whether the chart shows results,
    // without which nothing opens. The window belongs to owner and stays above it.
    ChartWindow(QWidget& chartArea, std::unique_ptr<ChartFigure> figure, std::function<bool()> ready,
                const QString& title, QWidget& owner);

    // Shows the window in front, sized for the chart the first time.
    void showChart();
    // Draws the chart anew, as it has changed; its page repainting tells so too.
    void chartChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWidget& chartArea_;                   // the chart on its page
    std::unique_ptr<ChartFigure> figure_;  // what is drawn
    std::function<bool()> ready_;          // whether the chart shows results
    QString title_;                        // of the window, before the caption
    bool sized_ = false;                   // given its first size
};

}  // namespace trophex::ui
