// The service host under systemd: signals for the stop control, sd_notify for states, a lock
// file for the single-instance check, the service registrar for "-start", syslog for errors.
#include "platform/service_host.h"

#include <fcntl.h>
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
#include "platform/stop_signal.h"

namespace gw {
namespace {

// The stop signal's handle, as a wait watches it.
class WakeHandle final : public PollableSocket {
 public:
  explicit WakeHandle(intptr_t fd) : fd_(fd) {}
  intptr_t pollHandle() const override { return fd_; }

 private:
  intptr_t fd_;
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

  void installStopControl(std::atomic<bool>* stop) override {
    wake_.reset();
    signal_.reset();  // the default handling again
    if (stop && installStopSignal(&signal_, stop) == RC_OK) {
      wake_ = std::make_unique<WakeHandle>(signal_->readHandle());
    }
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
  // Never consumed: once a stop came, the handle stays readable.
  std::unique_ptr<StopSignal> signal_;
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
