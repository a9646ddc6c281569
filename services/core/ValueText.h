// Values shown as text, the way ToText and ShowMessageBox show them.
#pragma once
#include <string>
#include "runtime/Value.h"

namespace corelib::valuetext {

// Numbers ("%u", "%d", "%.6g", "%.13g"), logical values ("真"/"假") and date-times
// ("2024年3月5日14时30分"). False, with `out` untouched, for any other type.
bool FormatScalar(const rt::ArgTriple& value, std::string& out);

// A date-time value (days from 1899-12-30, the fraction the time of day) in the system's form.
std::string FormatDateTime(double days);

// The data bytes of a numeric array or a byte array up to the first zero; false for other types.
bool ArrayBytesAsText(const rt::ArgTriple& value, std::string& out);

}  // namespace corelib::valuetext
