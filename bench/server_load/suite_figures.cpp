// The pinned side-by-side run. Linux only: it pins with sched_setaffinity, reads /proc, and
// stops porter with SIGSTOP to show what clients see while the driver hangs.
#include "bench/server_load/suite_figures.h"

#include <sched.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/proc_status.h"
#include "bench/server_load/floor_server.h"
#include "bench/server_load/load_client.h"
#include "testing/ups_suite_run.h"

namespace gw::bench {
namespace {

// The calling thread, and what it starts from now on, run on `cpu` only.
bool pinTo(int cpu) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  return sched_setaffinity(0, sizeof set, &set) == 0;
}

void idleFigures(int64_t monsvc, int64_t porter, int seconds) {
  long long m = -voluntarySwitches(monsvc);
  long long p = -voluntarySwitches(porter);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  m += voluntarySwitches(monsvc);
  p += voluntarySwitches(porter);
  std::printf("idle %d s: voluntary context switches: monsvc %lld, porter %lld, together %lld\n",
              seconds, m, p, m + p);
  std::printf("resident memory: monsvc %lld KiB, porter %lld KiB, together %.2f MiB; "
              "anonymous: monsvc %lld KiB, porter %lld KiB\n",
              residentKib(monsvc), residentKib(porter),
              static_cast<double>(residentKib(monsvc) + residentKib(porter)) / 1024.0,
              anonymousKib(monsvc), anonymousKib(porter));
}

void throughputTable(uint16_t floor, uint16_t service, double seconds) {
  const std::vector<std::string> read = {"DEV STATUS_INVOLT\r"};
  for (int n : {1, 8, 64}) {
    Figures f = run(floor, n, seconds, read);
    Figures s = run(service, n, seconds, read);
    print("floor (serial pipe)", n, f, 1);
    print("monsvc DEV STATUS_INVOLT", n, s, 1);
    std::printf("  monsvc / floor: %.2fx the rate, %.2fx the p50 latency\n",
                (static_cast<double>(s.operations) / s.seconds) /
                    (static_cast<double>(f.operations) / f.seconds),
                s.p50_us / f.p50_us);
  }
}

// TIME NOW from one connection while four others wait for DEV replies from a stopped porter.
void isolationFigures(uint16_t service, int64_t porter) {
  std::vector<Client> waiting(4);
  for (Client& c : waiting) {
    if (!c.open(service) || !c.login()) return;
  }
  ::kill(static_cast<pid_t>(porter), SIGSTOP);
  for (Client& c : waiting) (void)c.send("DEV STATUS_INVOLT\r");
  Figures f = run(service, 1, 2.0, {"TIME NOW\r"});
  ::kill(static_cast<pid_t>(porter), SIGCONT);
  std::printf("porter stopped, 4 DEV requests waiting: TIME NOW p50 %.1f us, p99 %.1f us, "
              "%llu answered, %llu failed connections\n",
              f.p50_us, f.p99_us, static_cast<unsigned long long>(f.operations),
              static_cast<unsigned long long>(f.failures));
}

}  // namespace

int runSuiteFigures(const SuiteRunOptions& options) {
  if (!pinTo(options.server_cpu)) {
    std::fprintf(stderr, "cannot run on processor %d\n", options.server_cpu);
    return 1;
  }
  FloorServer floor;
  UpsSuiteRun suite;
  std::string error;
  // Only the records: no sounds, no shutdown.
  const std::string protect =
      "powerfail.sound.happen.max count=0\n"
      "powerfail.shutdown.happen.max count=0\n";
  if (!floor.start()) error = "the floor server could not be started";
  if (error.empty() && suite.startSimulator(&error)) (void)suite.startService(protect, &error);
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (!UpsSuiteRun::waitUntil([&] { return !suite.events("003").empty(); }, 30000)) {
    std::fprintf(stderr, "the service never reached the simulated UPS\n");
    return 1;
  }
  const int64_t monsvc = suite.serviceId();
  const int64_t porter = childNamed(monsvc, "porter");
  if (porter == 0 || !pinTo(options.client_cpu)) {
    std::fprintf(stderr, "porter not found, or processor %d not available\n", options.client_cpu);
    return 1;
  }
  std::printf("servers on processor %d, clients on processor %d\n", options.server_cpu,
              options.client_cpu);
  std::this_thread::sleep_for(std::chrono::seconds(3));  // past the start's own work
  idleFigures(monsvc, porter, options.idle_seconds);
  throughputTable(floor.port(), suite.port(), options.seconds);
  isolationFigures(suite.port(), porter);
  return 0;
}

}  // namespace gw::bench
