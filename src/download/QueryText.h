#pragma once

#include <string>

namespace corvane {

// Percent-encodes every byte outside A-Z, a-z, 0-9 and "-._~", so that a
// symbol such as "^GSPC" or "A&B" stays one query value.
std::string PercentEncode(const std::string& value);

// "%02d" of a number, as the services' date parameters want them.
std::string TwoDigits(int value);

}  // namespace corvane
