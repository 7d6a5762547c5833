// Reads the words and numbers of one client request, the way a text stream would: white space
// before a word or number is skipped, a word ends at the next white space, a number is an
// optional sign and decimal digits and ends at the first other character.
#pragma once

#include <cstdint>
#include <string_view>

namespace gw {

class RequestReader {
 public:
  // The text must outlive the reader.
  explicit RequestReader(std::string_view text) : text_(text) {}

  // False when only white space is left.
  [[nodiscard]] bool nextWord(std::string_view* word);
  // False when no digits follow, or the number does not fit; the value is untouched then.
  [[nodiscard]] bool nextInt(int32_t* value);
  [[nodiscard]] bool nextLong(int64_t* value);
  // Skips blanks (0x20) only.
  void skipBlanks();
  // Skips one character, whatever it is, if there is one.
  void skipOne();
  // Everything not read yet, verbatim.
  std::string_view rest() const { return text_.substr(pos_); }

 private:
  void skipWhiteSpace();

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace gw
