#pragma once
// The Calibrate dialog. Its fifteen edit boxes are where the calibration set lives: the
// calculation and the data file read and write them. While it is shown the main window
// is disabled; it is hidden, never destroyed, when the user leaves it, and whatever the
// boxes hold then stays.

#include "model/ecoregion.h"
#include "model/inputcontrols.h"

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;

namespace trophex::ui {

class HelpViewer;
class TMainForm;

class TCalibrateForm : public QDialog {
    Q_OBJECT

public:
    TCalibrateForm(TMainForm& mainForm, HelpViewer& help);

    CalibrationTexts calibrationTexts() const;
    void setCalibrationTexts(const CalibrationTexts& texts);

    // Puts the focus on the box of a calibration input, its text selected from the 1-based
    // position to its end.
    void focusBox(Input input, int position);

    // Applies the defaults of the main window's current ecoregion to all fifteen boxes.
    void DefaultBtnClick();
    void OKBtnClick();
    void HelpBtnClick();

    QPushButton* OKBtn() const { return okButton_; }
    QPushButton* DefaultBtn() const { return defaultButton_; }

signals:
    // Any box's text changed, by typing or by the program.
    void calibrationTextsChanged();

protected:
    void FormCreate();
    void FormClose();
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createCalibrationGroup();
    void createErrorGroups();

    TMainForm& mainForm_;
    HelpViewer& help_;
    std::array<QLineEdit*, CalibrationCount> boxes_{};  // in calibration-set order
    QPushButton* okButton_ = nullptr;
    QPushButton* defaultButton_ = nullptr;
    bool shownBefore_ = false;  // centred on the screen only the first time
};

}  // namespace trophex::ui
