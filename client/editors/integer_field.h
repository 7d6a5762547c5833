// Reading a number the operator typed into a field, with the messages that refuse it.
#pragma once

#include <string>
#include <string_view>

namespace gw {

inline constexpr const char* kNotAnInteger = "Please enter an integer.";

// "Please enter an integer between 0 and 180."
std::string rangeMessage(int low, int high);

// Reads a decimal integer (blanks around it allowed) that must lie in low..high. On success
// *value is set and true returned; otherwise *message says why and *value is untouched.
[[nodiscard]] bool readIntegerField(std::string_view text, int low, int high, int* value,
                                    std::string* message);

}  // namespace gw
