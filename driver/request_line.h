// One request line of the pipe protocol, parsed, and the reply lines built from it.
//
// A request is "<letter><number>[ <arg1>[ <arg2>]]". The number starts right after the letter
// (optional sign, then digits); without digits, or beyond the range of int, it is -1. Argument k
// is the text after the k-th blank, an optional sign and at least one digit; values beyond
// int32 are clamped. One carriage return before the line's end is ignored, so "\r" alone is an
// empty line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/result_code.h"

namespace gw {

struct Request {
  bool empty = true;  // the line had no characters
  char letter = 0;
  int number = -1;
  int arg_count = 0;  // how many of args[] were given (argument 2 counts only with argument 1)
  int32_t args[2] = {0, 0};
};

// `line` without its line feed.
Request parseRequest(std::string_view line);

// "<letter><number>" (nothing for an empty line) followed by `value` (" 230", " text", or empty
// for W and C) and a line feed.
std::string successReply(const Request& request, std::string_view value);
// "<letter><number>E <code>\n"; an empty line gives "-1E <code>\n".
std::string errorReply(const Request& request, ResultCode code);

}  // namespace gw
