// Text helpers shared by the settings files: a line ends with a line feed, and a carriage return
// just before it (as an editor on Windows writes) belongs to the line end. An entry is the key
// before the first '=' and the value after it. Nothing else is trimmed: "a =1" has the key "a "
// and the value "1".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gw {

// Splits on '\n', dropping a '\r' that directly precedes it (or ends the text). A carriage
// return anywhere else stays in its line. A final line without a line feed is kept; an empty
// text gives no lines, and a text ending in '\n' gives no empty last line.
std::vector<std::string> splitLines(std::string_view text);

// Joins lines, ending each with '\n'.
std::string joinLines(const std::vector<std::string>& lines);

// Splits "key=value" at the first '='. Returns false when the line has no '='.
[[nodiscard]] bool splitKeyValue(std::string_view line, std::string_view* key,
                                 std::string_view* value);

// Reads a decimal integer that must fill the whole text (an optional leading '-' or '+').
// "9000xyz", "" and " 5" are refused. Values outside int64 are refused.
[[nodiscard]] bool parseWholeInt(std::string_view text, long long* out);

// Reads the leading decimal digits of a text, the way atoi does: optional blanks, an optional
// sign, then digits; no digits gives 0. For numbers read leniently: command lines, model
// numbers, address prefixes, account levels, reply codes.
long long parseLeadingInt(std::string_view text);

}  // namespace gw
