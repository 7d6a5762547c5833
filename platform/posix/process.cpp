// Child processes with fork/exec, pipes and timed waits.
#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/clock.h"
#include "platform/posix/errno_result.h"
#include "platform/posix/fd_pipe.h"

extern char** environ;

namespace gw {
namespace {

class PosixChild final : public ChildProcess {
 public:
  PosixChild(pid_t pid, bool group, std::unique_ptr<Pipe> in, std::unique_ptr<Pipe> out)
      : pid_(pid), group_(group), stdin_(std::move(in)), stdout_(std::move(out)) {}

  int64_t id() const override { return pid_; }
  std::unique_ptr<Pipe> takeStdin() override { return std::move(stdin_); }
  std::unique_ptr<Pipe> takeStdout() override { return std::move(stdout_); }

  ResultCode wait(int timeout_ms, int* exit_code) override {
    if (reaped_) {
      *exit_code = exit_code_;
      return RC_OK;
    }
    int64_t deadline = systemClock().monotonicMs() + timeout_ms;
    // Reaping has no timed form; a short sleep between tries bounds the delay to a few ms.
    int64_t nap = 1;
    for (;;) {
      int status = 0;
      pid_t r = posix::retryEintr([&] { return ::waitpid(pid_, &status, WNOHANG); });
      if (r == pid_) {
        reaped_ = true;
        exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        *exit_code = exit_code_;
        return RC_OK;
      }
      if (r < 0) {  // not our child any more: treat as ended
        reaped_ = true;
        exit_code_ = -1;
        *exit_code = exit_code_;
        return RC_OK;
      }
      if (timeout_ms >= 0 && systemClock().monotonicMs() >= deadline) return RC_TIMEOUT;
      systemClock().sleepMs(nap);
      if (nap < 20) nap *= 2;
    }
  }

  bool running() override {
    int code = 0;
    return wait(0, &code) == RC_TIMEOUT;
  }

  void requestStop() override {
    if (!reaped_) ::kill(pid_, SIGTERM);
  }

  void terminate() override {
    if (reaped_) return;
    if (group_) ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
    int code = 0;
    (void)wait(-1, &code);  // SIGKILL cannot be caught, so this returns promptly
  }

 private:
  pid_t pid_;
  bool group_;
  std::unique_ptr<Pipe> stdin_;
  std::unique_ptr<Pipe> stdout_;
  bool reaped_ = false;
  int exit_code_ = 0;
};

bool makePipe(int fds[2]) { return ::pipe2(fds, O_CLOEXEC) == 0; }

}  // namespace

ResultCode spawnProcess(const SpawnOptions& options, std::unique_ptr<ChildProcess>* child) {
  if (::access(options.program.c_str(), X_OK) != 0) return RC_NOT_AVAILABLE;
  int in_fds[2] = {-1, -1};
  int out_fds[2] = {-1, -1};
  if (options.pipe_stdin && !makePipe(in_fds)) return RC_NOT_AVAILABLE;
  if (options.pipe_stdout && !makePipe(out_fds)) {
    if (in_fds[0] >= 0) {
      ::close(in_fds[0]);
      ::close(in_fds[1]);
    }
    return RC_NOT_AVAILABLE;
  }
  // Everything the child needs is built before fork: only async-signal-safe calls follow it.
  std::vector<std::string> env_store;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    auto eq = entry.find('=');
    if (eq != std::string::npos && options.extra_env.count(entry.substr(0, eq))) continue;
    env_store.push_back(std::move(entry));
  }
  for (const auto& [k, v] : options.extra_env) env_store.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& e : env_store) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> arg_store;
  arg_store.push_back(options.program);
  for (const auto& a : options.args) arg_store.push_back(a);
  std::vector<char*> argv;
  for (auto& a : arg_store) argv.push_back(a.data());
  argv.push_back(nullptr);
  int exec_err[2];
  if (::pipe2(exec_err, O_CLOEXEC) != 0) return RC_NOT_AVAILABLE;

  pid_t pid = ::fork();
  if (pid < 0) {
    for (int fd : {in_fds[0], in_fds[1], out_fds[0], out_fds[1], exec_err[0], exec_err[1]}) {
      if (fd >= 0) ::close(fd);
    }
    return RC_NO_MEMORY;
  }
  if (pid == 0) {
    if (options.new_process_group) ::setpgid(0, 0);
    if (in_fds[0] >= 0) ::dup2(in_fds[0], STDIN_FILENO);
    if (out_fds[1] >= 0) ::dup2(out_fds[1], STDOUT_FILENO);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::execve(argv[0], argv.data(), envp.data());
    int err = errno;
    (void)!::write(exec_err[1], &err, sizeof err);
    ::_exit(127);
  }
  ::close(exec_err[1]);
  if (in_fds[0] >= 0) ::close(in_fds[0]);
  if (out_fds[1] >= 0) ::close(out_fds[1]);
  int err = 0;
  ssize_t n = posix::retryEintr([&] { return ::read(exec_err[0], &err, sizeof err); });
  ::close(exec_err[0]);
  if (n > 0) {  // exec failed in the child
    int status = 0;
    (void)posix::retryEintr([&] { return ::waitpid(pid, &status, 0); });  // reap the failed child
    if (in_fds[1] >= 0) ::close(in_fds[1]);
    if (out_fds[0] >= 0) ::close(out_fds[0]);
    return RC_NOT_AVAILABLE;
  }
  if (options.raise_priority) {
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(pid), -10);  // needs privilege; optional
  }
  std::unique_ptr<Pipe> in_pipe;
  std::unique_ptr<Pipe> out_pipe;
  if (in_fds[1] >= 0) in_pipe = std::make_unique<posix::FdPipe>(posix::UniqueFd(in_fds[1]));
  if (out_fds[0] >= 0) out_pipe = std::make_unique<posix::FdPipe>(posix::UniqueFd(out_fds[0]));
  *child = std::make_unique<PosixChild>(pid, options.new_process_group, std::move(in_pipe),
                                        std::move(out_pipe));
  return RC_OK;
}

void ignoreBrokenPipes() { ::signal(SIGPIPE, SIG_IGN); }

ResultCode runShellCommand(const std::string& command,
                           const std::map<std::string, std::string>& extra_env, int timeout_ms,
                           int* exit_code) {
  SpawnOptions opts;
  opts.program = "/bin/sh";
  opts.args = {"-c", command};
  opts.extra_env = extra_env;
  opts.new_process_group = true;
  std::unique_ptr<ChildProcess> child;
  ResultCode rc = spawnProcess(opts, &child);
  if (rc != RC_OK) return rc;
  rc = child->wait(timeout_ms, exit_code);
  if (rc == RC_TIMEOUT) child->terminate();
  return rc;
}

}  // namespace gw
