#pragma once
// Every error the program reports, as a code, and the one table that turns a code into
// the text the user reads. Code decides by codes; texts are only shown.

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
};

struct Error {
    ErrorCode code = ErrorCode::None;  // what went wrong
    std::string detail;                // the system's text or the name a row gave; else empty

    bool failed() const { return code != ErrorCode::None; }
    friend bool operator==(const Error& a, const Error& b) { return a.code == b.code && a.detail == b.detail; }
    friend bool operator!=(const Error& a, const Error& b) { return !(a == b); }
};

// The text of the error as the user reads it: the code's message with the detail in it.
std::string errorMessage(const Error& error);
inline std::string errorMessage(ErrorCode code)
{
    return errorMessage(Error{code, {}});
}

}  // namespace trophex
