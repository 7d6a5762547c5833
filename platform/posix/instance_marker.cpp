// Markers seen from outside: the service's lock file is held while a lock on it cannot be
// taken, and its holders are the processes with the file open; the client's socket is held
// while it accepts a connection, and its holder is the peer the connection reports.
#include "platform/instance_marker.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/file_system.h"
#include "platform/posix/errno_result.h"
#include "platform/posix/unique_fd.h"
#include "platform/service_host.h"

namespace gw {
namespace {

// Sends the stop control, never to ourselves or to init.
void askToStop(pid_t pid) {
  if (pid > 1 && pid != ::getpid()) ::kill(pid, SIGTERM);
}

class LockFileMarker final : public InstanceMarker {
 public:
  explicit LockFileMarker(std::string path) : path_(std::move(path)) {}

  bool held() override {
    posix::UniqueFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return false;  // the service creates the file before it locks it
    // A shared lock conflicts with the holder's exclusive one and with nothing else.
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) return false;
    return errno == EWOULDBLOCK;
  }

  void requestClose() override {
    if (!held()) return;  // an open descriptor alone does not make a process the service
    struct stat marker{};
    if (::stat(path_.c_str(), &marker) != 0) return;
    for (pid_t pid : processesWithOpen(marker)) askToStop(pid);
  }

 private:
  // Every process with a descriptor on the file. The lock belongs to the open file, so these
  // are the processes that keep it; the lock table's own pid may name one long gone.
  static std::set<pid_t> processesWithOpen(const struct stat& file) {
    std::set<pid_t> pids;
    DIR* proc = ::opendir("/proc");
    if (!proc) return pids;
    while (dirent* entry = ::readdir(proc)) {
      char* end = nullptr;
      long pid = std::strtol(entry->d_name, &end, 10);
      if (pid <= 0 || *end != '\0') continue;
      std::string fd_dir = std::string("/proc/") + entry->d_name + "/fd";
      DIR* fds = ::opendir(fd_dir.c_str());
      if (!fds) continue;  // gone, or not ours to look at
      while (dirent* fd = ::readdir(fds)) {
        if (fd->d_name[0] == '.') continue;
        struct stat target{};
        std::string link = fd_dir + "/" + fd->d_name;
        if (::stat(link.c_str(), &target) == 0 && target.st_dev == file.st_dev &&
            target.st_ino == file.st_ino) {
          pids.insert(static_cast<pid_t>(pid));
          break;
        }
      }
      ::closedir(fds);
    }
    ::closedir(proc);
    return pids;
  }

  std::string path_;
};

class SocketMarker final : public InstanceMarker {
 public:
  explicit SocketMarker(std::string path) : path_(std::move(path)) {}

  bool held() override {
    posix::UniqueFd fd = connectToHolder();
    return fd.valid();
  }

  void requestClose() override {
    posix::UniqueFd fd = connectToHolder();
    if (!fd.valid()) return;
    ucred peer{};
    socklen_t len = sizeof peer;
    if (::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &len) != 0) return;
    askToStop(peer.pid);
  }

 private:
  // A socket file nobody listens on any more refuses the connection: not held.
  posix::UniqueFd connectToHolder() const {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path_.empty() || path_.size() >= sizeof addr.sun_path) return posix::UniqueFd();
    std::memcpy(addr.sun_path, path_.data(), path_.size());
    posix::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid()) return fd;
    int rc = posix::retryEintr(
        [&] { return ::connect(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr); });
    if (rc != 0) fd.reset();
    return fd;
  }

  std::string path_;
};

}  // namespace

std::unique_ptr<InstanceMarker> createServiceMarker(const std::string& dir, const std::string& name) {
  return std::make_unique<LockFileMarker>(joinPath(dir, instanceMarkerFile(name)));
}

std::unique_ptr<InstanceMarker> createClientMarker(const std::string& runtime_dir,
                                                   const std::string& name) {
  return std::make_unique<SocketMarker>(runtime_dir.empty() ? "" : joinPath(runtime_dir, name));
}

}  // namespace gw
