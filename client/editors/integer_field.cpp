// Typed numbers and their range messages.
#include "client/editors/integer_field.h"

#include "common/line_file.h"

namespace gw {

std::string rangeMessage(int low, int high) {
  return "Please enter an integer between " + std::to_string(low) + " and " +
         std::to_string(high) + ".";
}

bool readIntegerField(std::string_view text, int low, int high, int* value,
                      std::string* message) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  long long number = 0;
  if (!parseWholeInt(text, &number)) {
    *message = kNotAnInteger;
    return false;
  }
  if (number < low || number > high) {
    *message = rangeMessage(low, high);
    return false;
  }
  *value = static_cast<int>(number);
  return true;
}

}  // namespace gw
