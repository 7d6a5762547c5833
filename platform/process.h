// Child processes: start a program with arguments and optional pipes, wait for it, end it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/result_code.h"
#include "platform/pipe.h"

namespace gw {

struct SpawnOptions {
  std::string program;             // path of the executable
  std::vector<std::string> args;   // arguments after the program name
  std::map<std::string, std::string> extra_env;  // added to (or replacing in) the environment
  bool pipe_stdin = false;         // give the child a pipe as standard input
  bool pipe_stdout = false;        // give the child a pipe as standard output
  bool raise_priority = false;     // try to run the child at a higher priority; refusal ignored
  bool new_process_group = false;  // so that a kill reaches the child's own children too
};

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // Does not wait for or end the child; call terminate() first if it must not outlive us.
  virtual ~ChildProcess() = default;

  virtual int64_t id() const = 0;
  // The parent's ends of the pipes asked for in SpawnOptions; null when not asked for or taken.
  virtual std::unique_ptr<Pipe> takeStdin() = 0;
  virtual std::unique_ptr<Pipe> takeStdout() = 0;

  // Waits at most timeout_ms (negative: no limit) for the child to end. RC_OK with the exit code
  // (128 + signal number when a signal ended it); RC_TIMEOUT when it still runs.
  [[nodiscard]] virtual ResultCode wait(int timeout_ms, int* exit_code) = 0;
  // True until the child has ended (and been reaped).
  virtual bool running() = 0;
  // Asks the child to stop (SIGTERM), without waiting.
  virtual void requestStop() = 0;
  // Ends the child at once (SIGKILL; its process group when it has one) and reaps it.
  virtual void terminate() = 0;
};

// Starts the program. RC_NOT_AVAILABLE when it does not exist or cannot be executed.
[[nodiscard]] ResultCode spawnProcess(const SpawnOptions& options,
                                      std::unique_ptr<ChildProcess>* child);

// Makes a write to a pipe or socket whose reader has gone fail with an error instead of ending
// the process. Process-wide: call once, from main.
void ignoreBrokenPipes();

// Runs "/bin/sh -c command" and waits at most timeout_ms; the shell is killed after that.
// Environment entries are added. RC_OK with the exit code, RC_TIMEOUT, or RC_NOT_AVAILABLE.
[[nodiscard]] ResultCode runShellCommand(const std::string& command,
                                         const std::map<std::string, std::string>& extra_env,
                                         int timeout_ms, int* exit_code);

}  // namespace gw
