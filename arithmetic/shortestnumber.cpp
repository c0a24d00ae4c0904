#include "arithmetic/shortestnumber.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace trophex {

void appendShortestNumberFromPrintf(std::string& out, double value)
{
    if (!std::isfinite(value) || value == 0) {
        out += std::signbit(value) ? "-" : "";
        out += std::isnan(value) ? "nan" : std::isinf(value) ? "inf" : "0";
        return;
    }
    // The fewest significant digits that read back as the value, as d.ddd and a power of ten.
    char scientific[40];
    for (int precision = 0; precision <= 17; ++precision) {
        std::snprintf(scientific, sizeof scientific, "%.*e", precision, value);
        if (std::strtod(scientific, nullptr) == value)
            break;
    }
    const std::string_view text = scientific;
    const std::size_t e = text.find('e');
    const bool negative = text.front() == '-';
    std::string digits;
    // Digits only: the point between them is the C locale's, which may be "," or several bytes.
    for (char c : text.substr(0, e)) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    const int exponent = std::atoi(scientific + e + 1);

    // The scientific form as to_chars writes it: d.ddd, then e, sign and at least two digits.
    std::string sci = digits.substr(0, 1);
    if (digits.size() > 1)
        sci += "." + digits.substr(1);
    char power[16];
    std::snprintf(power, sizeof power, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    sci += power;

    // The fixed form: the digits with the point placed.
    std::string fixed;
    const int pointAfter = exponent + 1;  // digits before the point
    if (pointAfter <= 0) {
        fixed = "0." + std::string(static_cast<std::size_t>(-pointAfter), '0') + digits;
    } else if (static_cast<std::size_t>(pointAfter) >= digits.size()) {
        // A whole number is written with all its digits, as printf's %f writes it.
        char whole[400];
        std::snprintf(whole, sizeof whole, "%.0f", std::fabs(value));
        fixed = whole;
    } else {
        fixed = digits.substr(0, static_cast<std::size_t>(pointAfter)) + "." + digits.substr(static_cast<std::size_t>(pointAfter));
    }
    if (negative)
        out += '-';
    out += fixed.size() <= sci.size() ? fixed : sci;
}

void appendShortestNumber(std::string& out, double value)
{
#if defined(__cpp_lib_to_chars)
    char buffer[32];
    const std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, written.ptr);
#else
    appendShortestNumberFromPrintf(out, value);
#endif
}

}  // namespace trophex
