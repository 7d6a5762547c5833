// The binary-protocol UPS models the driver knows, their families, and the alias rule that maps
// the "RO" model texts of some firmware onto them.
#pragma once

#include <string>
#include <string_view>

#include "common/result_code.h"

namespace gw {

class ModelTable {
 public:
  // Indexes 0 to 32; 0 is "UNKNOWN" and never matches.
  static constexpr int kCount = 33;

  // The name of index 0 to 32; empty outside.
  static std::string_view name(int index);
  // The family 1 to 5 of index 1 to 32; 0 for "UNKNOWN" and outside.
  static int family(int index);

  // Applies the alias rule to *model_text: a text starting with R and O (either case) becomes the
  // name its number stands for (37, 39, 41, 43), and any other number empties it. Then matches
  // the text exactly and case-sensitively against names 1 to 32. RC_NOT_DETECTED (10) when
  // nothing matches; *index and *family are written only on success, *model_text always holds
  // the text after the alias rule.
  [[nodiscard]] static ResultCode identify(std::string* model_text, int* index, int* family);
};

}  // namespace gw
