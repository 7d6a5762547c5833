// How a client writes values as text: measurements in hundredths with their units, times,
// flags and the meaning of result codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/result_code.h"
#include "protocol/device_variables.h"

namespace gw {

// A value in hundredths as a decimal without needless zeros: 23000 "230", 4995 "49.95",
// 2250 "22.5", -550 "-5.5".
std::string formatHundredths(int64_t hundredths);

// Backup time: "45 s", "12 min 30 s"; negative values are written as they are, in seconds.
std::string formatBackupTime(int64_t seconds);

// A short meaning of a result code ("no UPS", "access denied"), "error" for an unknown code.
std::string resultCodeMeaning(int code);

// "no UPS (8)": the meaning and the code, as a failed read is shown.
std::string failedReadText(int code);

// The variable name of the status value at `index` (0..kStatusCount-1), as "DEV" asks
// for it; empty when out of range.
std::string_view statusVariableName(int index);

// One line of the status listing for the status value at `index` (0..13), its read's code and
// value: the variable's name padded, a description and the value with its unit or the failure.
std::string formatStatusLine(int index, ResultCode code, int32_t value);

}  // namespace gw
