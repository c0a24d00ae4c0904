#include "cli/report_command.h"

#include "print/reportpdf.h"

#include <QGuiApplication>
#include <QLocale>

#include <memory>
#include <optional>
#include <ostream>

namespace trophex::cli {

namespace {

// A QGuiApplication for the fonts of the PDF, unless the process already has one.
class GuiForFonts {
public:
    GuiForFonts()
    {
        if (QCoreApplication::instance() != nullptr)
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }

    // False when the process has only a non-graphical application object.
    bool ready() const { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

private:
    int argc_ = 1;                          // QGuiApplication keeps a reference to it
    char name_[12] = "trophex-cli";         // program name seen by Qt
    char* argv_[2] = {name_, nullptr};      // QGuiApplication keeps a pointer to it
    std::unique_ptr<QGuiApplication> app_;  // only when this object made it
};

}  // namespace

ReportTexts reportTextsOf(const FileAssessment& assessment)
{
    ReportTexts report = reportTextsAfterCalculation(*assessment.inputs, assessment.results);
    report.resultUnits = assessment.unitTexts;
    return report;
}

int writeReportPdf(const std::string& dataFile, const std::string& pdfPath, const std::vector<UnitChoice>& units,
                   const NumberFormat& format, std::ostream& errors)
{
    const FileAssessment assessment = batch::assessFile(dataFile, units, format);
    if (!assessment.ok()) {
        errors << dataFile << ": " << errorMessage(assessment.error) << '\n';
        return 1;
    }
    GuiForFonts gui;
    if (!gui.ready()) {
        errors << pdfPath << ": the report needs a graphical application object\n";
        return 1;
    }
    const std::optional<std::string> error =
        writeReportPdf(QString::fromStdString(pdfPath), reportTextsOf(assessment), reportPaperSize(QLocale::system()));
    if (error) {
        errors << pdfPath << ": " << *error << '\n';
        return 1;
    }
    return 0;
}

}  // namespace trophex::cli
