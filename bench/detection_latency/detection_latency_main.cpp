// detection_latency: fails mains on the simulated UPS again and again and measures how long the
// service takes to write the power-failure record. Prints every trial, then the median and the
// worst case. Usage: detection_latency [trials] (default 20).
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/paths.h"
#include "testing/ups_suite_run.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Waits, checking every 5 ms, until the log holds `count` records of `code`; the time it took,
// or a negative value after 30 s.
double waitForRecord(const gw::UpsSuiteRun& run, const std::string& code, size_t count,
                     Clock::time_point start) {
  while (run.events(code).size() < count) {
    if (msSince(start) > 30000) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return msSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  const int trials = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  // The suite's programs are built beside this one.
  ::setenv("GW_BIN_DIR", gw::executableDirectory().c_str(), 0);

  gw::UpsSuiteRun run;
  std::string error;
  // Only the record matters here: no sounds, no shutdown.
  const std::string protect =
      "powerfail.sound.happen.max count=0\n"
      "powerfail.sound.restore.max count=0\n"
      "powerfail.shutdown.happen.max count=0\n";
  if (!run.startSimulator(&error) || !run.startService(protect, &error)) {
    std::fprintf(stderr, "detection_latency: %s\n", error.c_str());
    return 1;
  }
  if (waitForRecord(run, "003", 1, Clock::now()) < 0) {
    std::fprintf(stderr, "detection_latency: the service never connected to the UPS\n");
    return 1;
  }

  // Failures land at random points of the two 3 s polling grids (porter's and the service's).
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> pause_ms(0, 3000);
  std::vector<double> latencies;
  for (int i = 1; i <= trials; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms(random)));
    Clock::time_point start = Clock::now();
    if (run.simulator("mains fail") != "OK mains off") {
      std::fprintf(stderr, "detection_latency: the simulator refused \"mains fail\"\n");
      return 1;
    }
    double ms = waitForRecord(run, "004", static_cast<size_t>(i), start);
    if (ms < 0) {
      std::fprintf(stderr, "detection_latency: trial %d: no record within 30 s\n", i);
      return 1;
    }
    latencies.push_back(ms);
    std::printf("trial %2d: %7.0f ms\n", i, ms);
    std::fflush(stdout);
    (void)run.simulator("mains restore");
    if (waitForRecord(run, "005", static_cast<size_t>(i), Clock::now()) < 0) {
      std::fprintf(stderr, "detection_latency: trial %d: mains return not recorded\n", i);
      return 1;
    }
  }
  (void)run.stopService(15000);

  std::vector<double> sorted = latencies;
  std::sort(sorted.begin(), sorted.end());
  const size_t n = sorted.size();
  const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
  std::printf("trials %zu  median %.0f ms  best %.0f ms  worst %.0f ms\n", n, median,
              sorted.front(), sorted.back());
  return 0;
}
