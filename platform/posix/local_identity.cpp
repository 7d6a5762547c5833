// The home directory from the environment or the account database; the host name.
#include "platform/local_identity.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/posix/account_entry.h"

namespace gw {

std::string homeDirectory() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  posix::AccountEntry account;
  return posix::findAccount(::geteuid(), &account) ? account.home : std::string();
}

std::string hostName() {
  char buf[HOST_NAME_MAX + 1] = {};
  if (::gethostname(buf, sizeof buf - 1) != 0) return {};
  return buf;
}

}  // namespace gw
