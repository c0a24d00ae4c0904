#include "engine/engine.h"

#include "arithmetic/precisioncontrol.h"
#include "engine/json.h"
#include "files/datafile.h"
#include "model/names.h"

#include <algorithm>
#include <new>
#include <utility>

namespace trophex::engine {

namespace {

// The program's words for a lack of memory; the code alone when even they cannot be held.
Error lackOfMemory() noexcept
{
    Error error;
    error.code = ErrorCode::OutOfMemory;
    try {
        error.message = errorMessage(ErrorCode::OutOfMemory);
    } catch (...) {
    }
    return error;
}

Error failureSaying(const char* what) noexcept
{
    Error error;
    error.code = ErrorCode::System;
    try {
        error.message = what;
    } catch (const std::bad_alloc&) {
        return lackOfMemory();
    }
    return error;
}

template <typename Result>
Result failedWith(Error error)
{
    Result result;
    result.error = std::move(error);
    return result;
}

template <>
Error failedWith<Error>(Error error)
{
    return error;
}

// Runs one public call: at 64-bit x87 precision, with every exception turned into the
// result's error.
template <typename Work>
auto shielded(const Work& work) noexcept -> decltype(work())
{
    using Result = decltype(work());
    const ExtendedPrecisionScope precision;
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return failedWith<Result>(lackOfMemory());
    } catch (const std::exception& e) {
        return failedWith<Result>(failureSaying(e.what()));
    } catch (...) {
        return failedWith<Result>(failureSaying("an unknown failure"));
    }
}

Error requestError(std::string reason)
{
    return errorOf(trophex::Error{ErrorCode::InvalidRequest, std::move(reason)});
}

// ---------------------------------------------------------------------------------------
// Inputs

// The names and texts as a batch table's header and one row under it.
void appendRecords(const InputFields& fields, batch::CsvRecord& header, batch::CsvRecord& row)
{
    for (const auto& [name, text] : fields) {
        header.append(name.data(), name.size());
        header.endField();
        row.append(text.data(), text.size());
        row.endField();
    }
}

// Calibration members given apart from the lake's inputs must be members.
Error checkCalibrationNames(const InputFields& calibration)
{
    for (const auto& entry : calibration) {
        const std::optional<Input> input = batch::inputOfColumn(entry.first);
        if (!input || static_cast<int>(*input) < FirstCalibrationInput)
            return requestError("\"" + entry.first + "\" names no member of the calibration set");
    }
    return {};
}

InputsReading readInputsUnshielded(const InputFields& fields, const InputFields& calibration)
{
    InputsReading reading;
    reading.error = checkCalibrationNames(calibration);
    if (reading.error.failed())
        return reading;
    batch::CsvRecord header;
    batch::CsvRecord row;
    appendRecords(fields, header, row);
    appendRecords(calibration, header, row);
    const batch::HeaderReading layout = batch::readHeader(header);
    if (!layout.layout) {
        reading.error = requestError(layout.error);
        return reading;
    }
    reading.ignoredColumns = layout.layout->ignoredNames;
    reading.error = errorOf(batch::rowInputs(row, *layout.layout, reading.texts));
    return reading;
}

// ---------------------------------------------------------------------------------------
// Assessing

// Re-expresses a result as its unit selector does after a calculation.
void applyUnitChoice(Assessment& a, const UnitChoice& choice, const NumberFormat& format)
{
    a.unitTexts[static_cast<int>(choice.result)] = choice.unit;
    a.results[resultOf(choice.result)] = convertedResultText(choice.result, choice.unit, a.state, format);
}

// Calculates the texts, as the window's Calculate does, into an assessment that holds them.
void calculate(Assessment& a, const InputTexts& texts, const AssessOptions& options)
{
    a.inputs = texts;
    CalculationOutcome outcome =
        options.resultTexts ? runCalculation(texts, options.format) : evaluateInputs(texts);
    if (!outcome.ok()) {
        a.error = errorOf(outcome.error);
        return;
    }
    a.results = std::move(outcome.texts);
    a.state = outcome.state;
    a.values = outcome.values;
    for (OutputResult r : AllOutputResults)
        a.unitTexts[static_cast<int>(r)] = modelUnit(r);
    for (const UnitChoice& choice : options.units)
        applyUnitChoice(a, choice, options.format);
}

Assessment assessRead(const DataFileRead& read, const std::string& source, const AssessOptions& options)
{
    Assessment a;
    a.source = source;
    if (!read.ok())
        a.error = errorOf(read.error);
    else
        calculate(a, *read.texts, options);
    return a;
}

// ---------------------------------------------------------------------------------------
// Load response

struct ReadRequest {
    Error error;                       // why the request cannot be read
    TargetSpec target;                 // the goal asked
    std::optional<ResponseMode> mode;  // the mode asked, if any
};

ReadRequest readRequest(const ResponseRequest& request)
{
    ReadRequest read;
    const TargetReading target = readTargetSpec(request.target);
    if (!target.target) {
        read.error = requestError(target.error);
        return read;
    }
    read.target = *target.target;
    for (ResponseMode mode : {ResponseMode::Anchored, ResponseMode::Model})
        if (sameNameIgnoringCase(request.mode, responseModeName(mode)))
            read.mode = mode;
    if (!read.mode && !request.mode.empty())
        read.error = requestError("the mode is anchored or model, not \"" + request.mode + "\"");
    return read;
}

ResponseAssessment respond(const Assessment& lake, const ResponseRequest& request)
{
    ResponseAssessment a;
    a.lake = lake;
    if (!lake.ok() || !lake.inputs) {
        a.error = lake.ok() ? requestError("the assessment holds no inputs") : lake.error;
        return a;
    }
    const ReadRequest read = readRequest(request);
    if (read.error.failed()) {
        a.error = read.error;
        return a;
    }
    const ResponseQuestion question =
        resolveQuestion(lake.state, (*lake.inputs)[Input::EcoRegComboBox], read.target, read.mode);
    a.response = evaluateLoadResponse(lake.state, question.target, question.mode, request.levels);
    return a;
}

// ---------------------------------------------------------------------------------------
// Tables of lakes

// The batch's settings for the options, or the request's error.
Error batchSettingsOf(const BatchOptions& options, batch::BatchSettings& settings)
{
    settings.style = options.style;
    settings.workers = options.workers;
    // The threads of the run compute at 64-bit precision too, whatever word they start with.
    settings.startThread = [start = options.startThread](std::function<void()> task) {
        return start([task = std::move(task)] {
            const ExtendedPrecisionScope precision;
            task();
        });
    };
    settings.cancellation = options.cancellation;
    if (!options.response)
        return {};
    const ReadRequest read = readRequest(*options.response);
    if (!read.error.failed())
        settings.response = batch::ResponseSettings{read.target, read.mode};
    return read.error;
}

template <typename Output>
BatchReport runTable(const batch::ReadFunction& read, const Output& output, const BatchOptions& options,
                     const batch::BatchObserver& observer)
{
    BatchReport report;
    batch::BatchSettings settings;
    report.error = batchSettingsOf(options, settings);
    if (report.error.failed())
        return report;
    const batch::BatchSummary summary = batch::runBatch(read, output, settings, observer);
    report.totals = summary.totals;
    report.cancelled = summary.cancelled;
    if (!summary.ok())
        report.error = errorOf(trophex::Error{ErrorCode::BatchStopped, summary.error});
    return report;
}

}  // namespace

Error errorOf(const trophex::Error& error)
{
    return shielded([&] {
        Error e;
        e.code = error.code;
        if (!error.failed())
            return e;
        e.message = errorMessage(error);
        e.cause = errorCause(error);
        e.input = error.input;
        e.position = error.position;
        if (error.input) {
            e.column = batch::inputColumnName(*error.input);
            e.field = inputControlName(*error.input);
        }
        return e;
    });
}

InputsReading readInputs(const InputFields& fields, const InputFields& calibration)
{
    return shielded([&] { return readInputsUnshielded(fields, calibration); });
}

std::array<const char*, InputCount> inputColumnNames()
{
    std::array<const char*, InputCount> names{};
    for (int i = 0; i < InputCount; ++i)
        names[i] = batch::inputColumnName(static_cast<Input>(i));
    return names;
}

Assessment assessLake(const InputFields& fields, const AssessOptions& options, const InputFields& calibration)
{
    return shielded([&] {
        InputsReading reading = readInputsUnshielded(fields, calibration);
        Assessment a;
        a.ignoredColumns = std::move(reading.ignoredColumns);
        if (reading.error.failed()) {
            a.inputs = std::move(reading.texts);
            a.error = std::move(reading.error);
            return a;
        }
        calculate(a, reading.texts, options);
        return a;
    });
}

Assessment assessTexts(const InputTexts& texts, const AssessOptions& options)
{
    return shielded([&] {
        Assessment a;
        calculate(a, texts, options);
        return a;
    });
}

Assessment assessDataFileBytes(std::string_view bytes, const std::string& name, const AssessOptions& options)
{
    return shielded([&] { return assessRead(readDataFileBytes(bytes), name, options); });
}

Assessment assessDataFile(const std::string& path, const AssessOptions& options)
{
    return shielded([&] { return assessRead(readDataFile(path), path, options); });
}

Error checkResponseRequest(const ResponseRequest& request)
{
    return shielded([&] { return readRequest(request).error; });
}

ResponseAssessment assessResponse(const Assessment& lake, const ResponseRequest& request)
{
    return shielded([&] { return respond(lake, request); });
}

Text assessmentJson(const Assessment& assessment)
{
    return shielded([&] { return Text{writeAssessmentJson(assessment), {}}; });
}

Text responseJson(const ResponseAssessment& assessment)
{
    return shielded([&] { return Text{writeResponseJson(assessment), {}}; });
}

BatchReport assessTable(const batch::ReadFunction& read, const batch::WriteFunction& write,
                        const BatchOptions& options, const batch::BatchObserver& observer)
{
    return shielded([&] { return runTable(read, write, options, observer); });
}

BatchReport assessTable(const batch::ReadFunction& read, const batch::ResultConsumer& consumer,
                        const BatchOptions& options, const batch::BatchObserver& observer)
{
    return shielded([&] { return runTable(read, consumer, options, observer); });
}

TableAssessment assessTableBytes(std::string_view table, const BatchOptions& options)
{
    TableAssessment result;
    const auto read = [&table](char* buffer, std::size_t capacity) {
        const std::size_t count = std::min(capacity, table.size());
        table.copy(buffer, count);
        table.remove_prefix(count);
        return count;
    };
    const auto write = [&result](std::string_view bytes) { result.table += bytes; };
    result.report = assessTable(read, write, options);
    return result;
}

Text dataFileBytes(const InputTexts& texts)
{
    return shielded([&] { return Text{serializeDataFile(texts), {}}; });
}

Error saveDataFile(const std::string& path, const InputTexts& texts)
{
    return shielded([&] {
        const std::optional<std::string> error = writeDataFile(path, texts);
        return error ? errorOf(trophex::Error{ErrorCode::System, *error}) : Error{};
    });
}

}  // namespace trophex::engine
