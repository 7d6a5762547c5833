// Blocking benchmark clients and their figures.
#include "bench/server_load/load_client.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace gw::bench {
namespace {

using SteadyClock = std::chrono::steady_clock;

}  // namespace

bool Client::open(uint16_t port) {
  return connectTcp(kLoopbackAddress, port, kAnyAddress, kIoTimeoutMs, &stream_) == RC_OK;
}

bool Client::send(const std::string& request) {
  return sendAll(*stream_, request, kIoTimeoutMs) == RC_OK;
}

bool Client::ask(const std::string& request, std::string* reply) {
  if (!send(request)) return false;
  std::string text;
  if (receiveUntil(*stream_, '\r', kIoTimeoutMs, &text) != RC_OK) return false;
  if (text.rfind("ERR ", 0) == 0) ++errors_;
  if (reply) *reply = text;
  return true;
}

bool Client::login() { return ask("USR NAME manager\r") && ask("USR PASS\r") && errors_ == 0; }

double percentile(std::vector<double>& v, double p) {
  if (v.empty()) return 0;
  size_t k = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())));
  std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
  return v[k];
}

// `connections` clients, each logged in, repeat `operation` for `seconds`; one operation's
// latency is the time of all its requests.
Figures run(uint16_t port, int connections, double seconds,
            const std::vector<std::string>& operation) {
  std::vector<std::vector<double>> latencies(static_cast<size_t>(connections));
  std::atomic<uint64_t> failures{0};
  std::atomic<uint64_t> error_replies{0};
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  SteadyClock::time_point end;
  for (int i = 0; i < connections; ++i) {
    threads.emplace_back([&, i] {
      Client c;
      bool ok = c.open(port) && c.login();
      ++ready;
      while (!go) std::this_thread::yield();
      if (!ok) {
        ++failures;
        return;
      }
      auto& mine = latencies[static_cast<size_t>(i)];
      while (SteadyClock::now() < end) {
        auto t0 = SteadyClock::now();
        for (const std::string& r : operation) {
          if (!c.ask(r)) {
            ++failures;
            return;
          }
        }
        mine.push_back(std::chrono::duration<double, std::micro>(SteadyClock::now() - t0).count());
      }
      error_replies += c.errors();
    });
  }
  while (ready < connections) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  auto start = SteadyClock::now();
  end = start +
        std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds));
  go = true;
  for (auto& t : threads) t.join();
  Figures f;
  f.seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
  std::vector<double> all;
  for (auto& v : latencies) all.insert(all.end(), v.begin(), v.end());
  f.operations = all.size();
  f.failures = failures;
  f.error_replies = error_replies;
  f.p50_us = percentile(all, 0.50);
  f.p99_us = percentile(all, 0.99);
  return f;
}

void print(const char* what, int connections, const Figures& f, int requests_per_op) {
  double ops = static_cast<double>(f.operations) / f.seconds;
  std::printf(
      "%-24s %3d conn: %8.0f ops/s (%8.0f req/s)  p50 %8.1f us  p99 %8.1f us  "
      "failed connections %llu  ERR replies %llu\n",
      what, connections, ops, ops * requests_per_op, f.p50_us, f.p99_us,
      static_cast<unsigned long long>(f.failures),
      static_cast<unsigned long long>(f.error_replies));
}

}  // namespace gw::bench
