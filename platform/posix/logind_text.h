// Reading what loginctl prints and what a process's environment holds, kept apart from running
// the commands so that it can be tested on its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gw::posix {

struct LoginSessionProperties {
  std::string type;     // "x11", "wayland", "tty"...
  bool active = false;
  bool remote = true;
  std::string session_class;  // "user", "greeter"...
  std::string display;
  std::string name;     // the user's account name
  int64_t uid = -1;
};

// The session ids, the first column of "loginctl list-sessions --no-legend".
std::vector<std::string> sessionIdsFromList(std::string_view text);

// Reads the "Key=value" lines of "loginctl show-session"; unknown keys are passed over.
LoginSessionProperties sessionPropertiesFromText(std::string_view text);

// A session the closer can work in: a user's active local X11 session with a display.
bool isActiveLocalX11(const LoginSessionProperties& p);

// The value of `key` in a NUL-separated environment block; empty when it is not there.
std::string environmentValue(std::string_view block, std::string_view key);

}  // namespace gw::posix
