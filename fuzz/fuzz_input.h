// Reading a fuzzer's input as the pieces a target needs, and the check that stops a run when a
// property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace gw::fuzz {

// A failed property is a finding: libFuzzer keeps the input that led here.
#define GW_FUZZ_CHECK(condition)                                                      \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size)
      : text_(reinterpret_cast<const char*>(data), size) {}

  bool empty() const { return pos_ >= text_.size(); }
  // The next byte, 0 once the input is used up.
  uint8_t byte() { return empty() ? 0 : static_cast<uint8_t>(text_[pos_++]); }
  // A piece whose length is given by the byte before it.
  std::string_view sized() {
    size_t n = byte();
    n = std::min(n, text_.size() - pos_);
    std::string_view piece = text_.substr(pos_, n);
    pos_ += n;
    return piece;
  }
  // Everything not read yet.
  std::string_view rest() {
    std::string_view piece = text_.substr(std::min(pos_, text_.size()));
    pos_ = text_.size();
    return piece;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// The text split at every `separator`; the separators are dropped, and an input without one is
// one piece.
inline std::vector<std::string> splitAt(std::string_view text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    pieces.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return pieces;
    start = end + 1;
  }
}

}  // namespace gw::fuzz
