#pragma once
// The trend of a lake's trophic state over the years: each of Carlson's indices of its
// lake-years by year, with Sen's slope as a line and the Mann-Kendall test's answer in
// words, for the lake chosen in the table of lakes after an import of monitoring samples.
// The chart can be saved as PNG or SVG like the other charts.

#include "samples/trends.h"

#include <QMainWindow>

#include <memory>
#include <vector>

class QLabel;

namespace trophex::ui {

class UserDialogs;

// What the chart shows: the lake and its trends, one per index that has a year.
struct LakeTrends {
    QString lakeName;
    std::vector<samples::Trend> trends;
};

class TrendWindow : public QMainWindow {
    Q_OBJECT

public:
    TrendWindow(UserDialogs& dialogs, QWidget* parent = nullptr);

    // Shows the trends of a lake.
    void showLake(const LakeTrends& lake);
    const LakeTrends& lake() const { return *lake_; }
    QString answerText() const;

private:
    std::shared_ptr<LakeTrends> lake_;  // shared with the chart and its picture
    QWidget* chart_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* answer_ = nullptr;
};

}  // namespace trophex::ui
