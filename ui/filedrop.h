#pragma once
// Dropping a data file (.tpx) anywhere on the main window opens it as Open does. The drag
// is taken only for exactly one local file with that extension, and only while the main
// window is enabled and no modal dialog is open; anything else dragged keeps its usual
// meaning (text into a box).

#include <QObject>
#include <QString>

class QMimeData;

namespace trophex::ui {

class TMainForm;

// The data file that the dragged data names, or an empty text when it names none or more.
QString droppedDataFile(const QMimeData& data);

class DataFileDrop : public QObject {
public:
    explicit DataFileDrop(TMainForm& mainForm);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool overMainWindow(QObject* watched) const;

    TMainForm& mainForm_;
};

}  // namespace trophex::ui
