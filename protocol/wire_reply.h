// The reply texts of the client protocol: a result text on success, "ERR " and the decimal
// result code on failure.
#pragma once

#include <string>
#include <string_view>

#include "common/result_code.h"

namespace gw {

// "ERR 33" for RC_ACCESS_DENIED; without the ending carriage return.
std::string errorReply(ResultCode code);

// Reads a reply: "ERR " and a number gives that number, "ERR " with 0 or no number gives
// RC_ERR_WITHOUT_NUMBER; anything else is RC_OK with the text in *text (untouched otherwise).
[[nodiscard]] ResultCode decodeReply(std::string_view reply, std::string* text);

}  // namespace gw
