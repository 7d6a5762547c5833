// porter_idle: starts porter "0 0" on pipes, leaves it idle, and reports how often it woke.
//
// Usage: porter_idle [seconds]   (default 30). porter is taken from this program's directory.
// The figure is the voluntary context switches of the porter process over the idle time; a
// driver that sleeps until its next poll or request wakes a few times per poll interval.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/proc_status.h"
#include "common/line_file.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  int seconds = argc > 1 ? static_cast<int>(gw::parseLeadingInt(argv[1])) : 30;
  if (seconds <= 0) seconds = 30;
  gw::Clock& clock = gw::systemClock();

  gw::SpawnOptions options;
  options.program = gw::joinPath(gw::executableDirectory(), "porter");
  options.args = {"0", "0"};
  options.pipe_stdin = true;
  options.pipe_stdout = true;
  std::unique_ptr<gw::ChildProcess> porter;
  if (gw::spawnProcess(options, &porter) != RC_OK) {
    std::fprintf(stderr, "porter_idle: cannot start %s\n", options.program.c_str());
    return 1;
  }
  std::unique_ptr<gw::Pipe> to_porter = porter->takeStdin();
  std::unique_ptr<gw::Pipe> from_porter = porter->takeStdout();

  // One request first, so the count starts from a porter that is surely up and serving.
  const std::string ask = "S0\n";
  char reply[64] = {};
  size_t got = 0;
  if (to_porter->write(ask.data(), ask.size()) != RC_OK ||
      from_porter->read(reply, sizeof reply - 1, 5000, &got) != RC_OK) {
    std::fprintf(stderr, "porter_idle: porter did not answer\n");
    porter->terminate();
    return 1;
  }

  long long before = gw::bench::voluntarySwitches(porter->id());
  int64_t start = clock.monotonicMs();
  clock.sleepMs(static_cast<int64_t>(seconds) * 1000);
  long long after = gw::bench::voluntarySwitches(porter->id());
  int64_t idle_ms = clock.monotonicMs() - start;

  to_porter.reset();  // porter ends by itself when its input closes
  int exit_code = -1;
  if (porter->wait(5000, &exit_code) != RC_OK) porter->terminate();

  if (before < 0 || after < 0) {
    std::fprintf(stderr, "porter_idle: /proc/<pid>/status unreadable\n");
    return 1;
  }
  long long woke = after - before;
  std::printf("porter idle %lld ms: %lld voluntary context switches (%.2f per second); "
              "exit code %d\n",
              static_cast<long long>(idle_ms), woke, woke * 1000.0 / static_cast<double>(idle_ms),
              exit_code);
  return 0;
}
