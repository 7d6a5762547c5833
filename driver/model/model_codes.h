// Result codes that only the binary protocol's conversion layer produces. They share the one
// numbering of common/result_code.h and travel to the service like any other driver code.
#pragma once

#include "common/result_code.h"

namespace gw {

// The element has no setting register.
inline constexpr ResultCode RC_NOT_A_SETTING = static_cast<ResultCode>(11);
// The element is an identity register of the UPS and cannot be written.
inline constexpr ResultCode RC_READ_ONLY = static_cast<ResultCode>(13);
// A setting byte or value with no exact entry in its table.
inline constexpr ResultCode RC_NO_TABLE_ENTRY = static_cast<ResultCode>(14);

}  // namespace gw
