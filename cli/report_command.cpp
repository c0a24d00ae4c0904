#include "cli/report_command.h"

#include "print/reportpdf.h"
#include "print/responsereport.h"

#include <QGuiApplication>
#include <QLocale>

#include <functional>
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

// Writes the PDF that write makes, reporting a failure as one line.
int writePdfWithGui(const std::string& pdfPath, std::ostream& errors,
                    const std::function<std::optional<std::string>(const QString&, QPageSize::PageSizeId)>& write)
{
    GuiForFonts gui;
    if (!gui.ready()) {
        errors << pdfPath << ": the report needs a graphical application object\n";
        return 1;
    }
    const std::optional<std::string> error = write(QString::fromStdString(pdfPath), reportPaperSize(QLocale::system()));
    if (error) {
        errors << pdfPath << ": " << *error << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

ReportTexts reportTextsOf(const Assessment& assessment)
{
    ReportTexts report = reportTextsAfterCalculation(*assessment.inputs, assessment.results);
    report.resultUnits = assessment.unitTexts;
    return report;
}

int writeReportPdf(const std::string& dataFile, const std::string& pdfPath, const std::vector<UnitChoice>& units,
                   const NumberFormat& format, std::ostream& errors)
{
    const Assessment assessment = engine::assessDataFile(dataFile, {units, format});
    if (!assessment.ok()) {
        errors << dataFile << ": " << assessment.error.message << '\n';
        return 1;
    }
    return writePdfWithGui(pdfPath, errors, [&](const QString& path, QPageSize::PageSizeId paper) {
        return writeReportPdf(path, reportTextsOf(assessment), paper);
    });
}

int writeResponseReportPdf(const std::string& dataFile, const std::string& pdfPath,
                           const engine::ResponseRequest& request, const NumberFormat& format, std::ostream& errors)
{
    engine::ResponseRequest withoutLevels = request;
    withoutLevels.levels = NuisanceLevels::Left;
    const engine::ResponseAssessment assessment =
        engine::assessResponse(engine::assessDataFile(dataFile), withoutLevels);
    if (!assessment.response) {
        errors << dataFile << ": " << assessment.error.message << '\n';
        return 1;
    }
    const InputTexts& inputs = *assessment.lake.inputs;
    const ResponseReportTexts texts = responseReportTexts(*assessment.response, inputs[Input::NameEditBox],
                                                          inputs[Input::EcoRegComboBox], format);
    return writePdfWithGui(pdfPath, errors, [&](const QString& path, QPageSize::PageSizeId paper) {
        return writeResponseReportPdf(path, texts, paper);
    });
}

}  // namespace trophex::cli
