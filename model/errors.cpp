#include "model/errors.h"

#include <array>
#include <string_view>

namespace trophex {

namespace {

struct MessageRow {
    ErrorCode code;
    const char* text;  // "{}" stands for the error's detail
};

// In the order of ErrorCode. The first five are the lake model's and the data file's
// messages as the program has always worded them.
constexpr std::array<MessageRow, 15> Messages = {{
    {ErrorCode::None, ""},
    {ErrorCode::InvalidInput, "Invalid Input Parameter!"},
    {ErrorCode::DivisionByZero, "Floating point division by zero"},
    {ErrorCode::InvalidOperation, "Invalid floating point operation"},
    {ErrorCode::Overflow, "Floating point overflow"},
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
}};

static_assert([] {
    for (std::size_t i = 0; i < Messages.size(); ++i)
        if (static_cast<std::size_t>(Messages[i].code) != i)
            return false;
    return true;
}(), "the message table follows the order of ErrorCode");

}  // namespace

std::string errorMessage(const Error& error)
{
    const std::string_view text = Messages[static_cast<std::size_t>(error.code)].text;
    const std::size_t slot = text.find("{}");
    if (slot == std::string_view::npos)
        return std::string(text);
    std::string message(text.substr(0, slot));
    message += error.detail;
    message += text.substr(slot + 2);
    return message;
}

}  // namespace trophex
