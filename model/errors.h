#pragma once
// Every error the program reports, as a code, and the one table that turns a code into
// the text the user reads. Code decides by codes; texts are only shown.
//
// A calculation's error also says what caused it where the model can tell: the input that
// could not be read, or the input (or state of the lake) that made the arithmetic fail.
// That cause is a second line under the error's message.

#include "arithmetic/fpu.h"
#include "model/inputcontrols.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <string>

namespace trophex {

enum class ErrorCode {
    None,              // no error
    InvalidInput,      // a required number could not be read
    DivisionByZero,    // floating-point fault: a non-zero value divided by zero, ln 0
    InvalidOperation,  // floating-point fault: 0 / 0, ln or square root of a negative value
    Overflow,          // floating-point fault: a result beyond its type's range
    InvalidFile,       // not a model-run data file
    System,            // the operating system's own error text, in the detail
    NothingToPrint,    // Print before any completed calculation
    PrintFailed,       // the printer refused or failed the document
    TooFewFields,      // a batch row with fewer fields than its header
    TooManyFields,     // a batch row with text past its header's fields
    UnterminatedQuote, // a batch row ending inside a quoted field
    RowTooLong,        // a batch row longer than a row may be
    UnknownUnit,       // a batch row naming no unit of its column; the name in the detail
    UnknownEcoregion,  // a batch row naming no ecoregion; the name in the detail
    InvalidRequest,    // what a caller asked cannot be taken (an unreadable target, a missing input); why in the detail
    BatchStopped,      // a table of lakes stopped before its end; why in the detail
    OutOfMemory,       // an allocation failed
};

// What in the inputs made a calculation fail, in the words of the error's second line.
enum class ErrorCause {
    None,              // no second line
    TooLarge,          // the input's number is beyond the largest the model holds
    NotPositive,       // the input must be greater than zero
    Negative,          // the input must not be negative
    NoOutflow,         // evaporation exceeds precipitation and runoff
    NoPhosphorusLoad,  // neither the streams nor the atmosphere bring phosphorus
    ZeroVariance,      // error terms of zero leave a prediction without error variance
};

struct Error {
    ErrorCode code = ErrorCode::None;           // what went wrong
    std::string detail;                         // the system's text or the name a row gave; else empty
    ErrorCause cause = ErrorCause::None;        // why a calculation failed, where the model can tell
    std::optional<Input> input = std::nullopt;  // the input that failed or caused the fault, if known
    std::int32_t position = 0;                  // InvalidInput: 1-based position in the input's
                                                // text where reading stopped; else 0

    bool failed() const { return code != ErrorCode::None; }
    friend bool operator==(const Error& a, const Error& b)
    {
        return a.code == b.code && a.detail == b.detail && a.cause == b.cause && a.input == b.input &&
               a.position == b.position;
    }
    friend bool operator!=(const Error& a, const Error& b) { return !(a == b); }
};

// The model's error for a fault of the checked arithmetic.
ErrorCode errorCodeOf(FloatFaultKind kind);

// The text of the error as the user reads it: the code's message with the detail in it.
// One line, as the program has always worded it.
std::string errorMessage(const Error& error);
inline std::string errorMessage(ErrorCode code)
{
    return errorMessage(Error{code, {}});
}

// The text of an exception as the user reads it: a lack of memory in the words of
// ErrorCode::OutOfMemory (std::bad_alloc's own text names a type, not the trouble), any
// other exception its own text.
std::string exceptionMessage(const std::exception& exception);

// The second line: the cause in a sentence naming its input, e.g. "Alkalinity must be
// greater than zero."; empty when the cause is not known.
std::string errorCause(const Error& error);

// The message with its cause on a second line, as a message box shows it.
std::string errorReport(const Error& error);

}  // namespace trophex
