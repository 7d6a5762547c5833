// Compression into the SZDD format the distribution files use: a 14-byte header, then LZSS over
// a 4096-byte window that starts filled with blanks.
#pragma once

#include <string>
#include <string_view>

#include "common/result_code.h"

namespace gw {

// The longest input the header's length field can describe.
inline constexpr size_t kSzddMaxInput = 0x7fffffff;

// Compresses `data` into `*out`. `missing_char` is the last character of the original name that
// the compressed name replaced with '_', or '\0' when it replaced none. RC_BAD_VALUE when the
// input is longer than kSzddMaxInput; `*out` is untouched then.
[[nodiscard]] ResultCode szddCompress(std::string_view data, char missing_char, std::string* out);

// The character to store for a file named `original` whose compressed copy is named
// `compressed`: "hello.wav" and "hello.wa_" give 'v'; "monview" and "monview.ex_" give '\0'.
char szddMissingChar(std::string_view original, std::string_view compressed);

}  // namespace gw
