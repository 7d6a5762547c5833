// Starting a real monsvc from a test's temporary suite directory: an environment in which no
// serial port reaches a real line and no shutdown or sound reaches the machine, and a wait for
// its client port.
#pragma once

#include <chrono>
#include <string>
#include <thread>

#include "platform/process.h"
#include "platform/socket.h"
#include "testing/temp_dir.h"

namespace gw {

// monsvc in `dir`, serving clients on `port`. COM1..COM4 point at paths that do not exist.
inline SpawnOptions serviceOptions(const TempDir& dir, uint16_t port) {
  SpawnOptions o;
  o.program = dir.file("monsvc");
  o.extra_env = {{"GRIDWATCH_PORT", std::to_string(port)},
                 {"GRIDWATCH_COM1", dir.file("no-such-port1")},
                 {"GRIDWATCH_COM2", dir.file("no-such-port2")},
                 {"GRIDWATCH_COM3", dir.file("no-such-port3")},
                 {"GRIDWATCH_COM4", dir.file("no-such-port4")},
                 {"GRIDWATCH_SHUTDOWN_COMMAND", "true"},
                 {"GRIDWATCH_SOUND_COMMAND", "true"},
                 {"NOTIFY_SOCKET", ""}};
  return o;
}

// Waits until the service accepts connections on loopback. False when it ended first or did not
// listen within the time.
inline bool waitForClientPort(ChildProcess& service, uint16_t port, int timeout_ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < deadline) {
    std::unique_ptr<TcpStream> probe;
    if (connectTcp(kLoopbackAddress, port, kAnyAddress, 1000, &probe) == RC_OK) return true;
    if (!service.running()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

}  // namespace gw
