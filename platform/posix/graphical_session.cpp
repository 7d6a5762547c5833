// The graphical session from loginctl, the X authority from the session's processes, and
// setpriv to start a program as the session's user.
#include "platform/graphical_session.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/local_identity.h"
#include "platform/posix/errno_result.h"
#include "platform/posix/logind_text.h"
#include "platform/posix/unique_fd.h"

namespace gw {
namespace {

constexpr const char* kLoginctl = "/usr/bin/loginctl";
constexpr const char* kSetpriv = "/usr/bin/setpriv";

// Runs the program and collects its standard output until it ends, by `deadline` (monotonic).
ResultCode readOutput(const std::string& program, std::vector<std::string> args, int64_t deadline,
                      std::string* out) {
  SpawnOptions o;
  o.program = program;
  o.args = std::move(args);
  o.pipe_stdout = true;
  std::unique_ptr<ChildProcess> child;
  if (spawnProcess(o, &child) != RC_OK) return RC_NOT_AVAILABLE;
  std::unique_ptr<Pipe> pipe = child->takeStdout();
  std::string text;
  for (;;) {
    const int64_t left = deadline - systemClock().monotonicMs();
    if (left <= 0) {
      child->terminate();
      return RC_TIMEOUT;
    }
    char buf[4096];
    size_t got = 0;
    const ResultCode r = pipe->read(buf, sizeof buf, static_cast<int>(left), &got);
    if (r == RC_OK) text.append(buf, got);
    if (r == RC_PIPE_BROKEN) break;  // the program closed its output
  }
  int code = -1;
  const int64_t left = deadline - systemClock().monotonicMs();
  if (child->wait(static_cast<int>(left > 0 ? left : 0), &code) != RC_OK) {
    child->terminate();
    return RC_TIMEOUT;
  }
  if (code != 0) return RC_NOT_AVAILABLE;
  *out = std::move(text);
  return RC_OK;
}

bool fillAccount(int64_t uid, GraphicalSession* s) {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(static_cast<uid_t>(uid), &entry, buf.data(), buf.size(), &found) != 0 ||
      !found) {
    return false;
  }
  s->user = found->pw_name ? found->pw_name : "";
  s->uid = uid;
  s->gid = found->pw_gid;
  s->home = found->pw_dir ? found->pw_dir : "";
  return true;
}

// The X authority a process of the user on that display uses; the home's .Xauthority when no
// such process says.
std::string xauthorityFor(int64_t uid, const std::string& display, const std::string& home) {
  if (DIR* proc = ::opendir("/proc")) {
    std::string found;
    while (dirent* d = ::readdir(proc)) {
      if (d->d_name[0] < '0' || d->d_name[0] > '9') continue;
      const std::string dir = std::string("/proc/") + d->d_name;
      struct stat st{};
      if (::stat(dir.c_str(), &st) != 0 || st.st_uid != static_cast<uid_t>(uid)) continue;
      std::string env;
      if (readWholeFile(dir + "/environ", &env) != RC_OK) continue;
      if (posix::environmentValue(env, "DISPLAY") != display) continue;
      found = posix::environmentValue(env, "XAUTHORITY");
      if (!found.empty()) break;
    }
    ::closedir(proc);
    if (!found.empty()) return found;
  }
  const std::string usual = joinPath(home, ".Xauthority");
  return fileExists(usual) ? usual : std::string();
}

std::string runtimeDirFor(int64_t uid) {
  const std::string dir = "/run/user/" + std::to_string(uid);
  return fileExists(dir) ? dir : std::string();
}

}  // namespace

ResultCode findActiveGraphicalSession(int timeout_ms, GraphicalSession* session) {
  const int64_t deadline = systemClock().monotonicMs() + timeout_ms;
  std::string list;
  if (readOutput(kLoginctl, {"list-sessions", "--no-legend", "--no-pager"}, deadline, &list) !=
      RC_OK) {
    return RC_NOT_AVAILABLE;
  }
  for (const std::string& id : posix::sessionIdsFromList(list)) {
    std::string text;
    if (readOutput(kLoginctl,
                   {"show-session", id, "--no-pager", "-p", "Type", "-p", "Active", "-p",
                    "Remote", "-p", "Class", "-p", "Display", "-p", "Name", "-p", "User"},
                   deadline, &text) != RC_OK) {
      continue;
    }
    const posix::LoginSessionProperties p = posix::sessionPropertiesFromText(text);
    if (!posix::isActiveLocalX11(p)) continue;
    GraphicalSession s;
    if (!fillAccount(p.uid, &s)) continue;
    s.display = p.display;
    s.xauthority = xauthorityFor(s.uid, s.display, s.home);
    s.runtime_dir = runtimeDirFor(s.uid);
    *session = std::move(s);
    return RC_OK;
  }
  return RC_NOT_AVAILABLE;
}

ResultCode ownGraphicalSession(const std::string& display, GraphicalSession* session) {
  GraphicalSession s;
  if (display.empty() || !fillAccount(::geteuid(), &s)) return RC_NOT_AVAILABLE;
  s.display = display;
  s.home = homeDirectory();  // ours as the environment has it, like the rest below
  const char* xauthority = std::getenv("XAUTHORITY");
  s.xauthority = xauthority ? xauthority : xauthorityFor(s.uid, display, s.home);
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  s.runtime_dir = runtime ? runtime : runtimeDirFor(s.uid);
  *session = std::move(s);
  return RC_OK;
}

ResultCode optionsInSession(const GraphicalSession& session, const SpawnOptions& options,
                            SpawnOptions* out) {
  SpawnOptions o = options;
  o.extra_env["DISPLAY"] = session.display;
  o.extra_env["HOME"] = session.home;
  o.extra_env["USER"] = session.user;
  o.extra_env["LOGNAME"] = session.user;
  if (!session.xauthority.empty()) o.extra_env["XAUTHORITY"] = session.xauthority;
  if (!session.runtime_dir.empty()) o.extra_env["XDG_RUNTIME_DIR"] = session.runtime_dir;
  const uid_t me = ::geteuid();
  if (static_cast<int64_t>(me) != session.uid) {
    if (me != 0) return RC_ACCESS_DENIED;
    std::vector<std::string> args = {"--reuid=" + std::to_string(session.uid),
                                     "--regid=" + std::to_string(session.gid), "--init-groups",
                                     "--", options.program};
    args.insert(args.end(), options.args.begin(), options.args.end());
    o.program = kSetpriv;
    o.args = std::move(args);
  }
  *out = std::move(o);
  return RC_OK;
}

ResultCode createFileForSession(const std::string& path, const GraphicalSession& session) {
  ::unlink(path.c_str());
  posix::UniqueFd fd(::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC,
                            0600));
  if (!fd.valid()) return posix::resultFromErrno(errno);
  if (::geteuid() == 0 && static_cast<int64_t>(::geteuid()) != session.uid &&
      ::fchown(fd.get(), static_cast<uid_t>(session.uid), static_cast<gid_t>(session.gid)) != 0) {
    const int err = errno;
    ::unlink(path.c_str());
    return posix::resultFromErrno(err);
  }
  return RC_OK;
}

}  // namespace gw
