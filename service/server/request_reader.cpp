// Word and number reading for client requests.
#include "service/server/request_reader.h"

#include <limits>

namespace gw {
namespace {

bool isWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

void RequestReader::skipWhiteSpace() {
  while (pos_ < text_.size() && isWhiteSpace(text_[pos_])) ++pos_;
}

bool RequestReader::nextWord(std::string_view* word) {
  skipWhiteSpace();
  size_t start = pos_;
  while (pos_ < text_.size() && !isWhiteSpace(text_[pos_])) ++pos_;
  if (pos_ == start) return false;
  *word = text_.substr(start, pos_ - start);
  return true;
}

bool RequestReader::nextLong(int64_t* value) {
  skipWhiteSpace();
  size_t p = pos_;
  bool negative = false;
  if (p < text_.size() && (text_[p] == '-' || text_[p] == '+')) {
    negative = text_[p] == '-';
    ++p;
  }
  size_t digits_start = p;
  // Accumulate as a negative number so that the most negative value fits.
  int64_t acc = 0;
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  while (p < text_.size() && text_[p] >= '0' && text_[p] <= '9') {
    int digit = text_[p] - '0';
    if (acc < (kMin + digit) / 10) return false;
    acc = acc * 10 - digit;
    ++p;
  }
  if (p == digits_start) return false;
  if (!negative) {
    if (acc == kMin) return false;
    acc = -acc;
  }
  pos_ = p;
  *value = acc;
  return true;
}

bool RequestReader::nextInt(int32_t* value) {
  size_t saved = pos_;
  int64_t wide = 0;
  if (!nextLong(&wide) || wide < std::numeric_limits<int32_t>::min() ||
      wide > std::numeric_limits<int32_t>::max()) {
    pos_ = saved;
    return false;
  }
  *value = static_cast<int32_t>(wide);
  return true;
}

void RequestReader::skipBlanks() {
  while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
}

void RequestReader::skipOne() {
  if (pos_ < text_.size()) ++pos_;
}

}  // namespace gw
