// The client port rule.
#include "protocol/client_port.h"

#include "common/line_file.h"

namespace gw {

bool parsePortNumber(std::string_view text, uint16_t* port) {
  long long value = 0;
  if (!parseWholeInt(text, &value) || value < 1 || value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

uint16_t clientPortFromText(const char* text) {
  uint16_t port = kDefaultClientPort;
  if (text != nullptr) (void)parsePortNumber(text, &port);  // an invalid text keeps the default
  return port;
}

}  // namespace gw
