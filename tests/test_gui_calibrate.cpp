// The Calibrate dialog, the About box's start-up timer and the help viewer.

#include "tests/gui_test_support.h"

#include "ui/aboutbox.h"
#include "ui/calibrateform.h"
#include "ui/helpviewer.h"
#include "ui/mainform.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QDir>

using namespace trophex::ui;
using namespace trophex::ui::testing;

namespace {

// Opens the dialog as the Calibrate button does.
TCalibrateForm& openCalibrate(Program& program)
{
    QTest::mouseClick(program.main.findChild<QPushButton*>("CalibrateBtn"), Qt::LeftButton);
    return *program.windows.CalibrateForm;
}

void retype(QLineEdit* box, const QString& text)
{
    box->selectAll();
    QTest::keyClicks(box, text);
}

}  // namespace

class CalibrateTest : public QObject {
    Q_OBJECT

private slots:
    void opensOverTheDisabledMainWindow();
    void enterClosesAndTheNextCalculationUsesTheEdits();
    void escapeRestoresTheDefaultsAndStaysOpen();
    void titleBarCloseHidesAndKeepsTheEdits();
    void helpOpensTheCalibrationTopic();
    void missingHelpFileIsReported();
    void startupScreenClosedEarlyStillTicksOnce();
};

void CalibrateTest::opensOverTheDisabledMainWindow()
{
    Program program;
    program.endStartupScreen();
    TCalibrateForm& dialog = openCalibrate(program);
    QVERIFY(dialog.isVisible());
    QVERIFY(!program.main.isEnabled());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Calibrate"));
    QCOMPARE(dialog.size(), QSize(450, 336));
    QCOMPARE(dialog.focusWidget(), dialog.OKBtn());
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    QVERIFY(labels.contains("Stream P (ug/L)"));
    QVERIFY(!labels.contains("Stream P (ppm)"));

    // The main window takes no input while the dialog is shown.
    QTest::mouseClick(program.main.findChild<QPushButton*>("CalcButton"), Qt::LeftButton);
    QVERIFY(program.dialogs.errors.isEmpty());
}

void CalibrateTest::enterClosesAndTheNextCalculationUsesTheEdits()
{
    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    TCalibrateForm& dialog = openCalibrate(program);
    QLineEdit* runoff = editBox(&dialog, "RunoffEditBox");
    retype(runoff, "0.33");
    QTest::keyClick(runoff, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QVERIFY(program.main.isEnabled());

    program.main.CalcButtonClick();
    // 10 km2 x 0.33 m/yr + 1 km2 x (0.74 - 0.61) m/yr
    QCOMPARE(program.main.controlText("OutVolEditBox"), QStringLiteral("3.43"));
    openCalibrate(program);
    QCOMPARE(runoff->text(), QStringLiteral("0.33"));
}

void CalibrateTest::escapeRestoresTheDefaultsAndStaysOpen()
{
    Program program;
    program.endStartupScreen();
    chooseFromList(selector(&program.main, "EcoRegComboBox"), "WCP");
    TCalibrateForm& dialog = openCalibrate(program);
    QLineEdit* stream = editBox(&dialog, "StreamEditBox");
    QLineEdit* s2 = editBox(&dialog, "S2EditBox");
    retype(stream, "99");
    retype(s2, "0.7");
    QTest::keyClick(s2, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QVERIFY(!program.main.isEnabled());
    QCOMPARE(stream->text(), QStringLiteral("570"));
    QCOMPARE(s2->text(), QStringLiteral("0.20"));
    QCOMPARE(editBox(&dialog, "V2Editbox")->text(), QStringLiteral("0.202"));
}

void CalibrateTest::titleBarCloseHidesAndKeepsTheEdits()
{
    Program program;
    program.endStartupScreen();
    TCalibrateForm& dialog = openCalibrate(program);
    retype(editBox(&dialog, "V1EditBox"), "0.02");
    QVERIFY(dialog.close());
    QVERIFY(!dialog.isVisible());
    QVERIFY(program.main.isEnabled());
    QCOMPARE(program.main.gatherInputs()[trophex::Input::V1EditBox], std::string("0.02"));

    enterWorkedExample(program.main);
    program.main.CalcButtonClick();
    QCOMPARE(program.main.modelState().V1, trophex::Real48::store(0.02L));
}

void CalibrateTest::helpOpensTheCalibrationTopic()
{
    Program program;
    program.endStartupScreen();
    TCalibrateForm& dialog = openCalibrate(program);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_H, Qt::AltModifier);
    HelpViewer& help = *program.windows.Help;
    QTRY_VERIFY(help.isVisible());
    QCOMPARE(help.browser()->source().fileName(), QStringLiteral("trxhelp.hlp"));
    QCOMPARE(help.browser()->source().fragment(), QStringLiteral("topic100"));
    QVERIFY(help.browser()->toPlainText().contains("Stream P (ug/L)"));
    QVERIFY(dialog.isVisible());
    QVERIFY(program.dialogs.errors.isEmpty());

    program.main.HelpBtnClick();
    QCOMPARE(help.browser()->source().fragment(), QStringLiteral("topic0"));
}

void CalibrateTest::missingHelpFileIsReported()
{
    Program program({QDir::tempPath() + "/no-such-folder"});
    program.endStartupScreen();
    program.main.HelpBtnClick();
    QCOMPARE(program.dialogs.errors, QStringList({"The help file trxhelp.hlp cannot be found!"}));
    QVERIFY(!program.windows.Help->isVisible());
}

void CalibrateTest::startupScreenClosedEarlyStillTicksOnce()
{
    Program program;
    TAboutBox& about = *program.windows.AboutBox;
    QVERIFY(about.close());
    QVERIFY(program.main.isEnabled());
    program.main.About1Click();
    QVERIFY(about.isVisible());
    QVERIFY(!program.main.isEnabled());
    // The start-up timer's one tick hides the About window and enables the main window.
    QTRY_VERIFY_WITH_TIMEOUT(!about.isVisible(), 6000);
    QVERIFY(program.main.isEnabled());
    QVERIFY(!about.Timer1()->isActive());
}

QTEST_MAIN(CalibrateTest)
#include "test_gui_calibrate.moc"
