// One login account of the client protocol. The password is kept and compared in plain text.
#pragma once

#include <cstdint>
#include <string>

namespace gw {

struct UserAccount {
  std::string name;
  std::string password;  // empty accepts any password
  int32_t level = 0;     // 0 never logs a connection in

  bool operator==(const UserAccount&) const = default;
};

}  // namespace gw
