#pragma once

#include <cstddef>
#include <string>

namespace corvane {

// Room for any float in fixed notation: a sign, 39 integer digits, the point
// and up to nine decimals.
inline constexpr std::size_t kMaxFixedChars = 64;

// Writes `value` as printf's "%.<decimals>f" does in the C locale: the exact
// binary value rounded to `decimals` places, ties to even, a minus sign for
// any negative value (also -0 and values that round to zero), "inf" and "nan"
// as printf spells them. `decimals` is 0 to 9; `out` has room for
// kMaxFixedChars. Returns the end of the text; no NUL is written.
char* WriteFixed(char* out, float value, int decimals);

// The same as a string.
std::string FixedText(float value, int decimals);

// A whole number in decimal; returns the end of the text.
char* WriteUnsigned(char* out, unsigned long long value);
// How many digits WriteUnsigned writes for the value.
int DecimalDigits(unsigned long long value);

}  // namespace corvane
