// The side-by-side run against the real suite: the serial-pipe floor and monsvc with porter and
// a simulated UPS on one processor, the clients on another.
#pragma once

namespace gw::bench {

struct SuiteRunOptions {
  double seconds = 2.0;     // per throughput figure
  int idle_seconds = 30;    // for the idle wake-up count
  int server_cpu = 0;       // monsvc, porter, upssim and the floor server with its child
  int client_cpu = 1;       // every load client
};

// Prints the idle, throughput, latency and isolation figures; 0, or 1 when the suite could not
// be run.
int runSuiteFigures(const SuiteRunOptions& options);

}  // namespace gw::bench
