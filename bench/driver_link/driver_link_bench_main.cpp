// Measures the driver link against a real driver: one exchange, one full poll, and how often an
// idle link and its driver wake up between polls.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/proc_status.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "service/driverlink/driver_link.h"
#include "service/driverlink/status_poller.h"

namespace {

struct BenchOptions {
  std::string driver;
  int32_t media_type = 0;
  int exchanges = 20000;
  int polls = 2000;
  int idle_seconds = 30;
  int64_t polling_rate_ms = 3000;
};

void usage() {
  std::printf(
      "usage: driver_link_bench [--driver PATH] [--media TYPE] [--exchanges N] [--polls N]\n"
      "                         [--idle SECONDS] [--rate MS]\n"
      "Runs the driver (default: porter beside this program, media type 0), times N exchanges\n"
      "and N polls, then idles for SECONDS with the given polling rate and counts voluntary\n"
      "context switches of this process and of the driver. --idle 0 skips the idle phase.\n");
}

bool parseArgs(int argc, char** argv, BenchOptions* options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help") return false;
    if (i + 1 >= argc) return false;
    std::string value = argv[++i];
    if (arg == "--driver") {
      options->driver = value;
    } else if (arg == "--media") {
      options->media_type = std::atoi(value.c_str());
    } else if (arg == "--exchanges") {
      options->exchanges = std::atoi(value.c_str());
    } else if (arg == "--polls") {
      options->polls = std::atoi(value.c_str());
    } else if (arg == "--idle") {
      options->idle_seconds = std::atoi(value.c_str());
    } else if (arg == "--rate") {
      options->polling_rate_ms = std::atoll(value.c_str());
    } else {
      return false;
    }
  }
  return true;
}

// The bench times itself with the steady clock; microseconds matter here.
int64_t nowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

double percentile(std::vector<double> samples, double p) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  size_t i = static_cast<size_t>(p * static_cast<double>(samples.size() - 1));
  return samples[i];
}

void report(const char* what, const char* unit, const std::vector<double>& samples) {
  double sum = 0;
  for (double s : samples) sum += s;
  std::printf("%-22s n=%zu mean=%.1f%s median=%.1f%s p99=%.1f%s max=%.1f%s\n", what, samples.size(),
              samples.empty() ? 0.0 : sum / static_cast<double>(samples.size()), unit,
              percentile(samples, 0.5), unit, percentile(samples, 0.99), unit,
              percentile(samples, 1.0), unit);
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options;
  if (!parseArgs(argc, argv, &options)) {
    usage();
    return 2;
  }
  gw::ignoreBrokenPipes();  // a dead driver must show up as code 15
  gw::Clock& clock = gw::systemClock();
  if (options.driver.empty()) options.driver = gw::defaultDriverPath();

  gw::DriverLinkOptions link_options;
  link_options.program = options.driver;
  link_options.media_type = options.media_type;
  std::unique_ptr<gw::DriverLink> link;
  if (gw::DriverLink::create(clock, link_options, &link) != RC_OK) {
    std::fprintf(stderr, "cannot start %s\n", options.driver.c_str());
    return 1;
  }
  gw::DeviceProxy& device = link->device();

  // Warm up: the driver's own start and first poll are not part of a round trip.
  int32_t value = 0;
  ResultCode first = device.getStatus(gw::STATUS_CONNECT, &value);
  std::printf("driver %s pid %lld, first S12 -> code %d\n", options.driver.c_str(),
              static_cast<long long>(link->driverPid()), static_cast<int>(first));
  if (first == RC_PIPE_BROKEN) return 1;

  std::vector<double> exchange_us;
  exchange_us.reserve(static_cast<size_t>(options.exchanges));
  int broken = 0;
  for (int i = 0; i < options.exchanges; ++i) {
    const int64_t start = nowMicros();
    if (device.getStatus(i % gw::kStatusCount, &value) == RC_PIPE_BROKEN) ++broken;
    exchange_us.push_back(static_cast<double>(nowMicros() - start));
  }
  report("exchange round trip", "us", exchange_us);

  std::vector<double> poll_us;
  poll_us.reserve(static_cast<size_t>(options.polls));
  gw::StatusPoller poller(clock, device, link.get());
  for (int i = 0; i < options.polls; ++i) {
    uint32_t timeout = 0xFFFFFFFFu;
    // With a rate of 1 ms every call after the short sleep is due.
    clock.sleepMs(1);
    const int64_t start = nowMicros();
    if (!poller.poll(timeout, 1)) continue;
    poll_us.push_back(static_cast<double>(nowMicros() - start));
  }
  report("poll (14 exchanges)", "us", poll_us);
  if (broken) std::printf("broken exchanges: %d\n", broken);

  if (options.idle_seconds > 0) {
    const int64_t driver_pid = link->driverPid();
    const int64_t self = ::getpid();
    const long long self_before = gw::bench::voluntarySwitches(self);
    const long long driver_before = gw::bench::voluntarySwitches(driver_pid);
    gw::StatusPoller idle(clock, device, link.get());
    const int64_t end = clock.monotonicMs() + options.idle_seconds * 1000LL;
    int polls = 0;
    int wakeups = 0;
    while (clock.monotonicMs() < end) {
      uint32_t timeout = 0xFFFFFFFFu;
      if (idle.poll(timeout, options.polling_rate_ms)) ++polls;
      ++wakeups;
      const int64_t left = end - clock.monotonicMs();
      clock.sleepMs(std::min<int64_t>(timeout, left > 0 ? left : 0));
    }
    const long long self_after = gw::bench::voluntarySwitches(self);
    const long long driver_after = gw::bench::voluntarySwitches(driver_pid);
    std::printf("idle %d s at rate %lld ms: %d polls, %d loop wakeups\n", options.idle_seconds,
                static_cast<long long>(options.polling_rate_ms), polls, wakeups);
    if (self_before >= 0 && self_after >= 0) {
      std::printf("  link process voluntary context switches: %lld (%.2f/s)\n",
                  self_after - self_before,
                  static_cast<double>(self_after - self_before) / options.idle_seconds);
    }
    if (driver_before >= 0 && driver_after >= 0) {
      std::printf("  driver voluntary context switches:       %lld (%.2f/s)\n",
                  driver_after - driver_before,
                  static_cast<double>(driver_after - driver_before) / options.idle_seconds);
    }
  }
  return 0;
}
