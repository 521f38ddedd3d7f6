// The texts of the live display: the current reading from the counter's reply, and the chart's
// bounds from plain decimal numbers, both in engineering form with the run function's decimals,
// metric prefix and unit.
//
// Readings are outside input, so any bytes of any length give a text and nothing throws:
// - zero ("0", "", a reply without an "E") is the zero value with the unit: "0.0000000000  Hz";
// - a value that is not finite (the words "inf" and "nan", or a number too large for a double)
//   shows "INF", "-INF" or "NAN";
// - decimal exponents of 100 or more have no prefix, so the mantissa is shown with its exponent,
//   "1.0000000000E+100  Hz".
#pragma once

#include <string>
#include <string_view>

#include "measure/meas_function.h"

namespace zc::fp {

// The leading number of a text as the C library reads it in the "C" locale: blanks, a sign,
// decimal digits with an optional point and exponent, or the words inf/infinity/nan in any case;
// 0 when there is none. Locale-independent, so a German desktop still reads "10.5" as 10.5.
double ValueOfText(std::string_view text);

// The "Current" text from a reply such as "+1.23456789012E+006\n".
std::string FormatReplyForDisplay(std::string_view reply, MeasFunction runFunction);

// The "Max" and "Min" texts from a plain decimal number such as
// "10.600000000000000000000000000000".
std::string FormatValueForDisplay(std::string_view text, MeasFunction runFunction);

}  // namespace zc::fp
