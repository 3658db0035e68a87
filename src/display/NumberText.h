#pragma once
// How geometry is written into layout lines, page addresses and log lines.
#include <string>

#include "platform/Geometry.h"

namespace nimbo::NumberText {

// The shortest decimal that reads back to the same double, with ".0" on whole
// numbers ("1512.0", "1511.5"); exponent form only for very large or very
// small magnitudes ("1e+16", "1e-05"). Negative zero is written "0.0".
std::string shortest(double value);

// Truncated toward zero and written as an integer ("-1920", "1511"); a value
// with no integer form (not finite) is written "0", one beyond range clamped.
std::string truncated(double value);

// "WxH at X,Y" with every number truncated.
std::string sizeAt(const Rect& rect);

}  // namespace nimbo::NumberText
