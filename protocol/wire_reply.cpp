// Encoding and decoding of the client protocol's replies.
#include "protocol/wire_reply.h"

#include "common/line_file.h"

namespace gw {

std::string errorReply(ResultCode code) { return "ERR " + std::to_string(static_cast<int>(code)); }

ResultCode decodeReply(std::string_view reply, std::string* text) {
  if (reply.substr(0, 4) == "ERR ") {
    // The service's codes are small; anything else is a reply we cannot trust to be a code.
    long long code = parseLeadingInt(reply.substr(4));
    if (code <= 0 || code > 0xFFFF) return RC_ERR_WITHOUT_NUMBER;
    return static_cast<ResultCode>(code);
  }
  text->assign(reply);
  return RC_OK;
}

}  // namespace gw
