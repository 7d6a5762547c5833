// A TCP port on loopback that nothing listens on at the moment of asking.
#pragma once

#include <cstdint>
#include <memory>
#include <random>

#include "platform/socket.h"

namespace gw {

// A port below the system's ephemeral range (which starts at 32768 by default), so that the
// outgoing connections of tests running beside this one cannot be given it as their source port
// before the caller listens. It is free again once the listener is closed here; another test
// could still pick the same one, which the random start makes rare.
inline uint16_t freeLoopbackPort() {
  constexpr int kFirst = 20000;
  constexpr int kCount = 12000;
  std::random_device seed;
  const int start = static_cast<int>(seed() % kCount);
  for (int i = 0; i < 200; ++i) {
    const auto port = static_cast<uint16_t>(kFirst + (start + i * 7919) % kCount);
    std::unique_ptr<TcpListener> listener;
    if (listenTcp(kLoopbackAddress, port, &listener) == RC_OK) return port;
  }
  std::unique_ptr<TcpListener> listener;  // a crowded range: let the system choose
  if (listenTcp(kLoopbackAddress, 0, &listener) != RC_OK) return 0;
  return listener->localPort();
}

}  // namespace gw
