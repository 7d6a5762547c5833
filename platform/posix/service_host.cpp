// The service host under systemd: signals for the stop control, sd_notify for states, a lock
// file for the single-instance check, the service registrar for "-start", syslog for errors.
#include "platform/service_host.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/file_system.h"
#include "platform/posix/errno_result.h"
#include "platform/posix/unique_fd.h"
#include "platform/service_registrar.h"

namespace gw {
namespace {

// A signal handler can reach only globals: the flag and the write end of the wake pipe, both
// written before the handlers are installed and only read in them.
std::atomic<bool>* g_stop_flag = nullptr;
std::atomic<int> g_stop_wake_fd{-1};

void onStopSignal(int) {
  int saved = errno;
  if (g_stop_flag) g_stop_flag->store(true);
  int fd = g_stop_wake_fd.load();
  if (fd >= 0) {
    char byte = 1;
    (void)!::write(fd, &byte, 1);  // a full pipe is readable already
  }
  errno = saved;
}

// The read end of the wake pipe, as a wait watches it.
class WakeHandle final : public PollableSocket {
 public:
  explicit WakeHandle(int fd) : fd_(fd) {}
  intptr_t pollHandle() const override { return fd_; }

 private:
  int fd_;
};

// Sends one datagram to $NOTIFY_SOCKET (abstract names start with '@').
bool sdNotify(const std::string& message) {
  const char* path = std::getenv("NOTIFY_SOCKET");
  if (!path || !*path) return true;  // not under a service manager that listens: nothing to do
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  size_t len = std::strlen(path);
  if (len >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path, len);
  if (addr.sun_path[0] == '@') addr.sun_path[0] = '\0';
  posix::UniqueFd fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!fd.valid()) return false;
  socklen_t alen = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + len);
  ssize_t n = posix::retryEintr([&] {
    return ::sendto(fd.get(), message.data(), message.size(), MSG_NOSIGNAL,
                    reinterpret_cast<sockaddr*>(&addr), alen);
  });
  return n == static_cast<ssize_t>(message.size());
}

class PosixServiceHost final : public ServiceHost {
 public:
  explicit PosixServiceHost(std::string lock_dir) : lock_dir_(std::move(lock_dir)) {}

  ~PosixServiceHost() override {
    if (g_stop_wake_fd.load() == wake_write_.get()) g_stop_wake_fd.store(-1);
  }

  void installStopControl(std::atomic<bool>* stop) override {
    if (!wake_read_.valid()) {
      int fds[2];
      if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        wake_read_.reset(fds[0]);
        wake_write_.reset(fds[1]);
        wake_ = std::make_unique<WakeHandle>(fds[0]);
      }
    }
    g_stop_wake_fd.store(stop ? wake_write_.get() : -1);
    g_stop_flag = stop;
    struct sigaction sa{};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
  }

  const PollableSocket* stopWake() const override { return wake_.get(); }

  bool reportState(ServiceState state, unsigned wait_hint_ms) override {
    switch (state) {
      case ServiceState::kStartPending:
        return sdNotify("STATUS=Starting\nEXTEND_TIMEOUT_USEC=" +
                        std::to_string(static_cast<unsigned long long>(wait_hint_ms) * 1000));
      case ServiceState::kRunning:
        return sdNotify("READY=1\nSTATUS=Running");
      case ServiceState::kStopPending:
        return sdNotify("STOPPING=1");
      case ServiceState::kStopped:
        return sdNotify("STATUS=Stopped");
    }
    return false;
  }

  bool acquireSingleInstance(const std::string& name) override {
    std::string path = joinPath(lock_dir_, instanceMarkerFile(name));
    lock_fd_.reset(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!lock_fd_.valid()) return true;  // cannot tell; do not refuse to run
    // The lock dies with the process, so a crash never leaves a stale marker.
    return ::flock(lock_fd_.get(), LOCK_EX | LOCK_NB) == 0;
  }

  void startInstalledService(const std::string& service_name) override {
    createServiceRegistrar("/")->startService(service_name);
  }

 private:
  std::string lock_dir_;
  posix::UniqueFd lock_fd_;
  posix::UniqueFd wake_read_;
  posix::UniqueFd wake_write_;
  std::unique_ptr<WakeHandle> wake_;
};

class Syslog final : public SystemLog {
 public:
  explicit Syslog(std::string source) : source_(std::move(source)) {
    ::openlog(source_.c_str(), LOG_PID, LOG_DAEMON);
  }
  ~Syslog() override { ::closelog(); }
  void reportError(const std::string& text, const std::string& failed_call) override {
    ::syslog(LOG_ERR, "%s (%s)", text.c_str(), failed_call.c_str());
  }
  void info(const std::string& text) override { ::syslog(LOG_INFO, "%s", text.c_str()); }

 private:
  std::string source_;  // openlog keeps the pointer, so the text must live as long as we do
};

}  // namespace

std::string instanceMarkerFile(const std::string& name) { return "." + name + ".lock"; }

std::unique_ptr<ServiceHost> createServiceHost(const std::string& lock_dir) {
  return std::make_unique<PosixServiceHost>(lock_dir);
}

std::unique_ptr<SystemLog> createSystemLog(const std::string& source) {
  return std::make_unique<Syslog>(source);
}

}  // namespace gw
