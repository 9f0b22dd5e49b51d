#ifndef LAUNCHER_YES_NO_H_
#define LAUNCHER_YES_NO_H_

#include <cstdint>
#include <string_view>

// Reads a 32-bit signed number: leading blanks (0x20), then an optional sign
// and decimal digits, or "$" and hexadecimal digits. Nothing may follow.
bool ParseInt32(std::string_view text, int32_t* value);

// The switch a stored text stands for: "0x"/"0X" before more digits means
// hexadecimal; anything that is no number counts as 1, so as on.
bool YesNoFromText(std::string_view text);

#endif  // LAUNCHER_YES_NO_H_
