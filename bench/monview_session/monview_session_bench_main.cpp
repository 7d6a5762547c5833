// monview_session_bench: starts the simulated UPS, monsvc and porter, then
//   1. logs a client session in again and again and times the login request (about 175
//      exchanges: the password, a status poll with the properties, the clock, the schedule,
//      126 policy keys, 6 settings, the log keys and first pages);
//   2. runs monview (offscreen) beside the service and reports its processor time and
//      resident memory over an idle stretch.
// Usage: monview_session_bench [logins] [idle seconds]   (default 20 and 60)
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/proc_status.h"
#include "client/session/client_session.h"
#include "client/session/completion_message.h"
#include "common/line_file.h"
#include "platform/file_system.h"
#include "testing/temp_dir.h"
#include "testing/ups_suite_run.h"

namespace {

using Steady = std::chrono::steady_clock;

// /proc reports processor time in USER_HZ ticks, which Linux fixes at 100 per second.
constexpr double kTicksPerSecond = 100.0;

// utime + stime of a process in ticks, or -1.
long long cpuTicks(int64_t pid) {
  std::string stat;
  if (gw::readWholeFile("/proc/" + std::to_string(pid) + "/stat", &stat) != RC_OK) return -1;
  size_t close = stat.rfind(')');  // the command name may hold blanks
  if (close == std::string::npos) return -1;
  std::vector<std::string> fields;
  size_t pos = close + 2;
  while (pos < stat.size()) {
    size_t blank = stat.find(' ', pos);
    fields.push_back(stat.substr(pos, blank - pos));
    if (blank == std::string::npos) break;
    pos = blank + 1;
  }
  // After the name: state is field 3; utime and stime are fields 14 and 15.
  if (fields.size() < 13) return -1;
  return gw::parseLeadingInt(fields[11]) + gw::parseLeadingInt(fields[12]);
}

// One login on a fresh session: the milliseconds the login request took, or -1.
double timeLogin(uint16_t port, int64_t* exchanges) {
  gw::TempDir cache;
  gw::ClientSession::Options options;
  options.cache_parent = cache.path();
  options.poll_interval_ms = 600000;  // no poll during the measurement
  std::unique_ptr<gw::ClientSession> session;
  if (gw::ClientSession::create(options, gw::systemClock(), &session) != RC_OK) return -1;
  std::mutex m;
  std::condition_variable cv;
  std::vector<uint32_t> done;
  session->setCompletion([&](uint32_t message) {
    std::lock_guard<std::mutex> hold(m);
    done.push_back(gw::completionTag(message));
    cv.notify_all();
  });
  auto finished = [&](uint32_t tag) {
    std::unique_lock<std::mutex> lock(m);
    return cv.wait_for(lock, std::chrono::seconds(30), [&] {
      return std::find(done.begin(), done.end(), tag & 0xFFFFu) != done.end();
    });
  };
  session->stageConnect(gw::kDefaultHost, port);
  if (!finished(session->submit(gw::kRequestConnect))) return -1;
  const int64_t before = session->exchanges();
  session->stageLogin(gw::kDefaultUser, gw::kDefaultPassword);
  const auto start = Steady::now();
  if (!finished(session->submit(gw::kRequestLogin))) return -1;
  const double ms = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
  *exchanges = session->exchanges() - before;
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  const int logins = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const int idle_s = argc > 2 ? std::max(5, std::atoi(argv[2])) : 60;
  gw::UpsSuiteRun run;
  std::string error;
  if (!run.startSimulator(&error) || !run.startService("", &error)) {
    std::fprintf(stderr, "monview_session_bench: %s\n", error.c_str());
    return 1;
  }
  if (!gw::UpsSuiteRun::waitUntil([&] { return !run.events("003").empty(); }, 40000)) {
    std::fprintf(stderr, "monview_session_bench: the service never saw the UPS\n");
    return 1;
  }

  std::vector<double> ms;
  int64_t exchanges = 0;
  for (int i = 0; i < logins; ++i) {
    double t = timeLogin(run.port(), &exchanges);
    if (t < 0) {
      std::fprintf(stderr, "monview_session_bench: a login failed\n");
      return 1;
    }
    ms.push_back(t);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("login: %lld exchanges, median %.1f ms, best %.1f ms, worst %.1f ms (%d logins)\n",
              static_cast<long long>(exchanges), ms[ms.size() / 2], ms.front(), ms.back(), logins);

  if (!run.dir.copyProgram("monview")) {
    std::fprintf(stderr, "monview_session_bench: monview is not built\n");
    return 1;
  }
  gw::TempDir runtime;
  gw::SpawnOptions o;
  o.program = run.dir.file("monview");
  o.extra_env = {{"QT_QPA_PLATFORM", "offscreen"},
                 {"XDG_RUNTIME_DIR", runtime.path()},
                 {"GRIDWATCH_PORT", std::to_string(run.port())}};
  std::unique_ptr<gw::ChildProcess> monview;
  if (gw::spawnProcess(o, &monview) != RC_OK) {
    std::fprintf(stderr, "monview_session_bench: monview did not start\n");
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::seconds(5));  // past the login and first polls
  const long long ticks_before = cpuTicks(monview->id());
  const auto idle_start = Steady::now();
  std::this_thread::sleep_for(std::chrono::seconds(idle_s));
  const long long ticks_after = cpuTicks(monview->id());
  const double wall = std::chrono::duration<double>(Steady::now() - idle_start).count();
  const long long rss = gw::bench::residentKib(monview->id());
  monview->requestStop();
  int code = -1;
  (void)monview->wait(5000, &code);  // the figures are taken; its exit is not measured
  if (ticks_before < 0 || ticks_after < 0) {
    std::fprintf(stderr, "monview_session_bench: cannot read monview's processor time\n");
    return 1;
  }
  const double cpu_s = (ticks_after - ticks_before) / kTicksPerSecond;
  std::printf("monview idle: %.2f s of processor over %.0f s = %.2f %% of one core; RSS %lld kB\n",
              cpu_s, wall, 100.0 * cpu_s / wall, rss);
  return 0;
}
