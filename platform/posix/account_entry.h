// The account database's entry for a user id: the name, group and home the POSIX back-end needs
// of the account a program runs as, or of another user's.
#pragma once

#include <pwd.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gw::posix {

struct AccountEntry {
  std::string name;
  int64_t gid = -1;
  std::string home;
};

// False when the account is unknown; *entry is written only on success.
inline bool findAccount(uid_t uid, AccountEntry* entry) {
  const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd pw{};
  passwd* found = nullptr;
  if (::getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) != 0 || !found) return false;
  entry->name = found->pw_name ? found->pw_name : "";
  entry->gid = found->pw_gid;
  entry->home = found->pw_dir ? found->pw_dir : "";
  return true;
}

}  // namespace gw::posix
