// The pipe protocol's request set as data: which letter and numbers exist, how many arguments
// each needs, and the device operation that answers it.
#pragma once

#include <cstddef>
#include <string>

#include "common/result_code.h"
#include "driver/devices/device.h"
#include "driver/request_line.h"

namespace gw {

// Carries out the request on the device. On RC_OK `value` is what follows the echo in the
// reply: " <number>", " <text>", or nothing for writes and commands.
using RequestHandler = ResultCode (*)(Device& device, int number, const int32_t* args,
                                      std::string* value);

struct RequestRow {
  char letter;
  int first;  // request numbers first..last
  int last;
  int args;   // arguments required; fewer answer RC_MISSING_ARGUMENT
  RequestHandler handler;  // null for the media change, which the driver loop carries out
};

// The rows; a request that matches none answers RC_UNSUPPORTED.
const RequestRow* requestRows(size_t* count);
const RequestRow* findRequestRow(char letter, int number);

// Longest text value put into a reply; a device asking for more answers RC_BUFFER_TOO_SMALL.
inline constexpr size_t kMaxTextValue = 1024;

// Builds the whole reply line for a request without its own handling in the loop (everything but
// a found C4 row). Returns the code that the reply carries (RC_OK on success).
ResultCode answerRequest(Device& device, const Request& request, std::string* reply);

}  // namespace gw
