// A TCP port on loopback that nothing listens on at the moment of asking.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/socket.h"

namespace gw {

// The system picks the port; it is free again once the listener is closed here. Another
// process could take it before the caller does, which is rare enough for tests.
inline uint16_t freeLoopbackPort() {
  std::unique_ptr<TcpListener> listener;
  if (listenTcp(kLoopbackAddress, 0, &listener) != RC_OK) return 0;
  return listener->localPort();
}

}  // namespace gw
