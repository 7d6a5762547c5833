// Load generator for the client protocol: request rate and latency of "DEV" reads at several
// connection counts, and the cost of a client login, against an in-process server (a driver
// channel that answers at once) or a running service given by --port. With --suite it runs the
// suite itself beside a serial-pipe floor server, pinned, and reports both side by side.
//
//   server_load [--port N] [--seconds S]
//   server_load --suite [--seconds S] [--idle S] [--server-cpu N] [--client-cpu N]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/server_load/load_client.h"
#include "bench/server_load/suite_figures.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/socket.h"
#include "service/config/config_store.h"
#include "service/config/policy_table.h"
#include "service/driverlink/device_proxy.h"
#include "service/logs/log_store.h"
#include "service/schedule/schedule.h"
#include "service/server/client_server.h"
#include "service/core/service_adapters.h"
#include "testing/fake_event_times.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

using SteadyClock = std::chrono::steady_clock;
using bench::Client;
using bench::percentile;
using bench::print;
using bench::run;

// Answers every driver request at once with a plausible value, keeping nothing.
class InstantDriverChannel : public DriverChannel {
 public:
  ResultCode exchange(std::string_view request, std::string* reply) override {
    std::string_view line = request.substr(0, request.find_first_of(" \n"));
    reply->assign(line);
    if (!line.empty() && (line[0] == 'S' || line[0] == 'R')) reply->append(" 1");
    return RC_OK;
  }
};

// A server on a loopback ephemeral port, polled by its own thread.
class InProcessServer {
 public:
  bool start() {
    ClientServerContext context{clock_, device_,         settings_,   policies_,        events_,
                                pages_, schedule_items_, dir_.path(), kLoopbackAddress, 0};
    if (ClientServer::create(std::move(context), &server_) != RC_OK) return false;
    port_ = server_->port();
    thread_ = std::thread([this] {
      while (!stop_) (void)server_->pollClients(50);  // a failed wait is retried next pass
    });
    return true;
  }
  ~InProcessServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  uint16_t port() const { return port_; }

 private:
  TempDir dir_;
  InstantDriverChannel channel_;
  DeviceProxy device_{channel_};
  NoticeIdCounter ids_;
  ConfigStore config_{dir_.path(), ids_, nullptr};
  PolicyTable policy_table_{ids_, nullptr};
  ConfigStoreSettings settings_{config_};
  PolicySettings policies_{policy_table_, dir_.file("protect")};
  FakeEventTimes events_;
  LogStore logs_{dir_.path()};
  LogStorePages pages_{logs_};
  Schedule schedule_{dir_.path(), systemClock()};
  ScheduleListItems schedule_items_{schedule_};
  Clock& clock_ = systemClock();
  std::unique_ptr<ClientServer> server_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  uint16_t port_ = 0;
};

std::vector<std::string> loginReads() {
  static const char* events[] = {"start",      "disconnect", "powerfail",
                                 "batterylow", "loadover",   "tempover"};
  static const char* actions[] = {"record", "sound", "shutdown"};
  static const char* params[] = {"happen.max count", "happen.delay",      "happen.interval",
                                 "happen.content",   "restore.max count", "restore.delay",
                                 "restore.content"};
  std::vector<std::string> r;
  for (const char* e : events) {
    for (const char* a : actions) {
      for (const char* p : params) r.push_back(std::string("PTC ") + e + "." + a + "." + p + "\r");
    }
  }
  for (const char* s : {"service.buzzer on", "service.media type", "service.media index",
                        "service.record rate", "service.rec by period", "service.rec by trigger"}) {
    r.push_back(std::string("POL ") + s + "\r");
  }
  return r;
}

// A fresh connection per login: connect, name, password, the 126 policy keys and 6 settings.
int measureLogins(uint16_t port, int count) {
  std::vector<std::string> reads = loginReads();
  std::vector<double> ms;
  std::vector<double> ptc_us;
  std::vector<double> pol_us;
  for (int i = 0; i < count; ++i) {
    auto t0 = SteadyClock::now();
    Client c;
    if (!c.open(port) || !c.login()) return 1;
    for (const std::string& r : reads) {
      auto r0 = SteadyClock::now();
      std::string reply;
      // A content key may be empty; any other empty or "ERR" answer is a failed login.
      if (!c.ask(r, &reply)) return 1;
      if (reply.rfind("ERR ", 0) == 0 ||
          (reply.empty() && r.find("content") == std::string::npos)) {
        std::fprintf(stderr, "%s-> '%s'\n", r.c_str(), reply.c_str());
        return 1;
      }
      double us = std::chrono::duration<double, std::micro>(SteadyClock::now() - r0).count();
      (r[1] == 'T' ? ptc_us : pol_us).push_back(us);
    }
    ms.push_back(std::chrono::duration<double, std::milli>(SteadyClock::now() - t0).count());
  }
  double p50 = percentile(ms, 0.5);
  double p99 = percentile(ms, 0.99);
  std::printf("login (%zu reads after name and password), %d logins: p50 %.2f ms, p99 %.2f ms\n",
              reads.size(), count, p50, p99);
  std::printf("  one PTC read: p50 %.1f us, p99 %.1f us; one POL read: p50 %.1f us, p99 %.1f us\n",
              percentile(ptc_us, 0.5), percentile(ptc_us, 0.99), percentile(pol_us, 0.5),
              percentile(pol_us, 0.99));
  return 0;
}

int mainImpl(int argc, char** argv) {
  int port = 0;
  double seconds = 2.0;
  bool suite = false;
  bench::SuiteRunOptions suite_options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--suite") == 0) {
      suite = true;
      continue;
    }
    if (i + 1 == argc) break;
    const char* value = argv[++i];
    if (std::strcmp(argv[i - 1], "--port") == 0) port = std::atoi(value);
    if (std::strcmp(argv[i - 1], "--seconds") == 0) seconds = std::atof(value);
    if (std::strcmp(argv[i - 1], "--idle") == 0) suite_options.idle_seconds = std::atoi(value);
    if (std::strcmp(argv[i - 1], "--server-cpu") == 0) suite_options.server_cpu = std::atoi(value);
    if (std::strcmp(argv[i - 1], "--client-cpu") == 0) suite_options.client_cpu = std::atoi(value);
  }
  if (suite) {
    // The suite's programs are built beside this one.
    ::setenv("GW_BIN_DIR", executableDirectory().c_str(), 0);
    suite_options.seconds = seconds;
    return bench::runSuiteFigures(suite_options);
  }
  std::unique_ptr<InProcessServer> local;
  if (port == 0) {
    local = std::make_unique<InProcessServer>();
    if (!local->start()) {
      std::fprintf(stderr, "cannot start the in-process server\n");
      return 1;
    }
    port = local->port();
    std::printf("target: in-process server on 127.0.0.1:%d, driver channel answering at once\n",
                port);
  } else {
    std::printf("target: service on 127.0.0.1:%d\n", port);
  }
  const uint16_t p = static_cast<uint16_t>(port);

  std::vector<std::string> connect_read = {"DEV STATUS_CONNECT\r"};
  std::vector<std::string> status_read;
  for (const char* name :
       {"STATUS_INVOLT", "STATUS_OUTVOLT", "STATUS_CAPACITY", "STATUS_LOAD", "STATUS_TEMP",
        "STATUS_FREQ", "STATUS_BACKUP", "STATUS_POWERFAIL", "STATUS_BATTERYLO", "STATUS_TEST",
        "STATUS_WAITSLEEP", "STATUS_WAITWAKEUP", "STATUS_CONNECT", "STATUS_BEEP"}) {
    status_read.push_back(std::string("DEV ") + name + "\r");
  }
  for (int n : {1, 8, 64}) print("DEV STATUS_CONNECT", n, run(p, n, seconds, connect_read), 1);
  for (int n : {1, 8, 64}) print("14-variable status read", n, run(p, n, seconds, status_read), 14);
  return measureLogins(p, 50);
}

}  // namespace
}  // namespace gw

int main(int argc, char** argv) { return gw::mainImpl(argc, argv); }
