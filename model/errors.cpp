#include "model/errors.h"

#include "arithmetic/fpu.h"

#include <array>
#include <new>
#include <string_view>

namespace trophex {

namespace {

struct MessageRow {
    ErrorCode code;
    const char* text;  // "{}" stands for the error's detail
};

// In the order of ErrorCode. The first five are the lake model's and the data file's
// messages as the program has always worded them.
constexpr std::array<MessageRow, 18> Messages = {{
    {ErrorCode::None, ""},
    {ErrorCode::InvalidInput, "Invalid Input Parameter!"},
    {ErrorCode::DivisionByZero, floatFaultMessage(FloatFaultKind::DivisionByZero)},
    {ErrorCode::InvalidOperation, floatFaultMessage(FloatFaultKind::InvalidOperation)},
    {ErrorCode::Overflow, floatFaultMessage(FloatFaultKind::Overflow)},
    {ErrorCode::InvalidFile, "Invalid Input File!"},
    {ErrorCode::System, "{}"},
    {ErrorCode::NothingToPrint, "There's nothing to print!"},
    {ErrorCode::PrintFailed, "The report could not be printed!"},
    {ErrorCode::TooFewFields, "Too few fields!"},
    {ErrorCode::TooManyFields, "Too many fields!"},
    {ErrorCode::UnterminatedQuote, "Unterminated quoted field!"},
    {ErrorCode::RowTooLong, "Row too long!"},
    {ErrorCode::UnknownUnit, "Unknown unit \"{}\"!"},
    {ErrorCode::UnknownEcoregion, "Unknown ecoregion \"{}\"!"},
    {ErrorCode::InvalidRequest, "{}"},
    {ErrorCode::BatchStopped, "{}"},
    {ErrorCode::OutOfMemory, "Out of memory!"},
}};

// Whether each row of a table stands at the position of its enumerator, so that the
// enumerator indexes the table.
template <typename Row, typename Key, std::size_t N>
constexpr bool inEnumeratorOrder(const std::array<Row, N>& rows, Key Row::*key)
{
    for (std::size_t i = 0; i < N; ++i)
        if (static_cast<std::size_t>(rows[i].*key) != i)
            return false;
    return true;
}

static_assert(inEnumeratorOrder(Messages, &MessageRow::code), "the message table follows the order of ErrorCode");

struct CauseRow {
    ErrorCause cause;
    const char* text;  // "{}" stands for the label of the error's input
};

// In the order of ErrorCause.
constexpr std::array<CauseRow, 7> Causes = {{
    {ErrorCause::None, ""},
    {ErrorCause::TooLarge, "{} is too large."},
    {ErrorCause::NotPositive, "{} must be greater than zero."},
    {ErrorCause::Negative, "{} must not be negative."},
    {ErrorCause::NoOutflow, "Lake outflow is zero or negative: evaporation exceeds precipitation and runoff."},
    {ErrorCause::NoPhosphorusLoad,
     "Phosphorus load is zero: neither the streams nor the atmosphere bring phosphorus to the lake."},
    {ErrorCause::ZeroVariance, "A prediction has no error variance: the error terms V1 to V8 must not be zero."},
}};

static_assert(inEnumeratorOrder(Causes, &CauseRow::cause), "the cause table follows the order of ErrorCause");

std::string filledIn(std::string_view text, std::string_view value)
{
    const std::size_t slot = text.find("{}");
    if (slot == std::string_view::npos)
        return std::string(text);
    std::string filled(text.substr(0, slot));
    filled += value;
    filled += text.substr(slot + 2);
    return filled;
}

}  // namespace

ErrorCode errorCodeOf(FloatFaultKind kind)
{
    switch (kind) {
    case FloatFaultKind::DivisionByZero:
        return ErrorCode::DivisionByZero;
    case FloatFaultKind::InvalidOperation:
        return ErrorCode::InvalidOperation;
    case FloatFaultKind::Overflow:
        break;
    }
    return ErrorCode::Overflow;
}

std::string errorMessage(const Error& error)
{
    return filledIn(Messages[static_cast<std::size_t>(error.code)].text, error.detail);
}

std::string exceptionMessage(const std::exception& exception)
{
    if (dynamic_cast<const std::bad_alloc*>(&exception))
        return errorMessage(ErrorCode::OutOfMemory);
    return exception.what();
}

std::string errorCause(const Error& error)
{
    const std::string_view text = Causes[static_cast<std::size_t>(error.cause)].text;
    return filledIn(text, error.input ? inputLabel(*error.input) : "");
}

std::string errorReport(const Error& error)
{
    std::string report = errorMessage(error);
    const std::string cause = errorCause(error);
    if (!cause.empty())
        report += '\n' + cause;
    return report;
}

}  // namespace trophex
