// Watching and ending another process through a pidfd, or by its bare id where the kernel has
// no pidfds.
#include "platform/other_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/posix/errno_result.h"
#include "platform/posix/unique_fd.h"

namespace gw {
namespace {

constexpr int kKillLandMs = 1000;  // SIGKILL cannot be refused; this only bounds the wait

class PosixOtherProcess final : public OtherProcess {
 public:
  PosixOtherProcess(pid_t pid, posix::UniqueFd pidfd) : pid_(pid), pidfd_(std::move(pidfd)) {}

  int64_t id() const override { return pid_; }

  bool ended() override { return waitEnded(0); }

  void terminate(int grace_ms) override {
    if (ended()) return;
    sendSignal(SIGTERM);
    if (waitEnded(grace_ms)) return;
    sendSignal(SIGKILL);
    (void)waitEnded(kKillLandMs);  // the caller looks at ended() itself
  }

 private:
  void sendSignal(int sig) {
    if (pidfd_.valid()) {
      ::syscall(SYS_pidfd_send_signal, pidfd_.get(), sig, nullptr, 0);
    } else {
      ::kill(pid_, sig);
    }
  }

  // A pidfd turns readable when the process ends, zombie or not. Without one, an id that no
  // longer answers signals is the best sign there is.
  bool waitEnded(int timeout_ms) {
    if (pidfd_.valid()) {
      pollfd p{pidfd_.get(), POLLIN, 0};
      int r = posix::retryEintr([&] { return ::poll(&p, 1, timeout_ms); });
      return r > 0;
    }
    for (int waited = 0;; waited += 10) {
      if (::kill(pid_, 0) != 0 && errno == ESRCH) return true;
      if (waited >= timeout_ms) return false;
      ::usleep(10000);
    }
  }

  pid_t pid_;
  posix::UniqueFd pidfd_;
};

}  // namespace

ResultCode OtherProcess::open(int64_t pid, std::unique_ptr<OtherProcess>* process) {
  if (pid <= 0) return RC_NOT_AVAILABLE;
  const auto p = static_cast<pid_t>(pid);
  posix::UniqueFd fd(static_cast<int>(::syscall(SYS_pidfd_open, p, 0)));
  if (!fd.valid()) {
    if (errno != ENOSYS) return RC_NOT_AVAILABLE;
    if (::kill(p, 0) != 0 && errno == ESRCH) return RC_NOT_AVAILABLE;
  }
  *process = std::make_unique<PosixOtherProcess>(p, std::move(fd));
  return RC_OK;
}

}  // namespace gw
