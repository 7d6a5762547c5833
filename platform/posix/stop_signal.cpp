// Stop requests through a self-pipe: the handler writes one byte, the event loop reads it.
#include "platform/stop_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/posix/errno_result.h"
#include "platform/posix/unique_fd.h"

namespace gw {
namespace {

// A signal handler can reach only globals: the pipe's write end and the caller's flag while a
// StopSignal exists, both stored before the handlers are installed.
std::atomic<int> g_stop_write_fd{-1};
std::atomic<std::atomic<bool>*> g_stop_flag{nullptr};

void onStop(int) {
  int saved = errno;
  if (std::atomic<bool>* flag = g_stop_flag.load()) flag->store(true);
  int fd = g_stop_write_fd.load();
  if (fd >= 0) {
    char byte = 1;
    (void)!::write(fd, &byte, 1);  // a full pipe already holds a pending request
  }
  errno = saved;
}

class PipeStopSignal final : public StopSignal {
 public:
  PipeStopSignal(posix::UniqueFd read_end, posix::UniqueFd write_end, std::atomic<bool>* flag)
      : read_(std::move(read_end)), write_(std::move(write_end)) {
    g_stop_flag.store(flag);
    g_stop_write_fd.store(write_.get());
    struct sigaction sa{};
    sa.sa_handler = onStop;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, &old_term_);
    sigaction(SIGINT, &sa, &old_int_);
  }

  ~PipeStopSignal() override {
    sigaction(SIGTERM, &old_term_, nullptr);
    sigaction(SIGINT, &old_int_, nullptr);
    g_stop_write_fd.store(-1);
    g_stop_flag.store(nullptr);
  }

  intptr_t readHandle() const override { return read_.get(); }

  bool consume() override {
    char buffer[64];
    bool any = false;
    for (;;) {
      ssize_t n = posix::retryEintr([&] { return ::read(read_.get(), buffer, sizeof buffer); });
      if (n <= 0) return any;
      any = true;
    }
  }

 private:
  posix::UniqueFd read_;
  posix::UniqueFd write_;
  struct sigaction old_term_{};
  struct sigaction old_int_{};
};

}  // namespace

ResultCode installStopSignal(std::unique_ptr<StopSignal>* signal, std::atomic<bool>* flag) {
  if (g_stop_write_fd.load() >= 0) return RC_NOT_AVAILABLE;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return posix::resultFromErrno(errno);
  *signal = std::make_unique<PipeStopSignal>(posix::UniqueFd(fds[0]), posix::UniqueFd(fds[1]),
                                             flag);
  return RC_OK;
}

}  // namespace gw
