// Request parsing: strict about what counts as a number, tolerant of a trailing carriage return.
#include "driver/request_line.h"

#include <climits>

namespace gw {
namespace {

// Reads an optional sign and at least one digit at the start of `text`. False without digits.
bool leadingNumber(std::string_view text, long long limit_low, long long limit_high,
                   bool clamp, long long* out) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
  long long value = 0;
  bool overflow = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value <= LLONG_MAX / 100) {
      value = value * 10 + (text[i] - '0');
    } else {
      overflow = true;
    }
  }
  if (negative) value = -value;
  if (overflow || value < limit_low || value > limit_high) {
    if (!clamp) return false;
    value = (overflow ? negative : value < limit_low) ? limit_low : limit_high;
  }
  *out = value;
  return true;
}

std::string echo(const Request& request) {
  if (request.empty) return "-1";
  std::string s(1, request.letter);
  s += std::to_string(request.number);
  return s;
}

}  // namespace

Request parseRequest(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  Request r;
  if (line.empty()) return r;
  r.empty = false;
  r.letter = line[0];
  long long n = 0;
  if (leadingNumber(line.substr(1), INT_MIN, INT_MAX, false, &n)) r.number = static_cast<int>(n);
  size_t blank = 0;
  for (int k = 0; k < 2; ++k) {
    blank = line.find(' ', k == 0 ? 0 : blank + 1);
    if (blank == std::string_view::npos) break;
    long long v = 0;
    if (!leadingNumber(line.substr(blank + 1), INT32_MIN, INT32_MAX, true, &v)) break;
    r.args[k] = static_cast<int32_t>(v);
    r.arg_count = k + 1;
  }
  return r;
}

std::string successReply(const Request& request, std::string_view value) {
  std::string s = echo(request);
  s += value;
  s += '\n';
  return s;
}

std::string errorReply(const Request& request, ResultCode code) {
  std::string s = echo(request);
  s += "E ";
  s += std::to_string(static_cast<int>(code));
  s += '\n';
  return s;
}

}  // namespace gw
