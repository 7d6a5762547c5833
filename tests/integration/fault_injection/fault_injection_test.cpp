// Real monsvc, porter and upssim processes under faults: a stop at any polling rate, a driver
// killed or stopped in the middle of a poll, the service killed in the middle of writing its
// settings, a data directory that goes away, and starting failures. Each case checks what a
// user sees: the status, the event records, the settings files and the service's messages.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/line_file.h"
#include "common/time_text.h"
#include "platform/clock.h"
#include "testing/wire_client.h"
#include "testing/default_files.h"
#include "testing/service_process.h"
#include "testing/ups_suite_run.h"

namespace gw {
namespace {

using std::chrono::milliseconds;

class FaultInjectionTest : public ::testing::Test {
 protected:
  // The simulated UPS and the service, polling every second, with the driver's process ids and
  // the service's standard error kept.
  void startSuite() {
    std::string error;
    ASSERT_TRUE(run_.startSimulator(&error)) << error;
    run_.extra_policy = "service.polling rate=1000\n";
    run_.record_driver_pids = true;
    run_.stderr_file = "stderr";
    ASSERT_TRUE(run_.startService("", &error)) << error;
    ASSERT_TRUE(connected(20000)) << "the UPS was never seen";
  }

  // A manager session; a new one is made when the last one was closed.
  std::string request(const std::string& text, int patience_ms = 5000) {
    if (!session_) session_ = loginAs(run_.port(), "manager");
    if (!session_) return kClosed;
    std::string reply = ask(*session_, text + "\r", patience_ms);
    if (reply.find(kClosed) != std::string::npos) session_.reset();
    return reply;
  }

  // monsvc and porter alone (nothing on the serial ports) in `dir`, on a free port, with
  // monsvc's standard error in "stderr".
  static SpawnOptions bareService(const TempDir& dir, uint16_t port) {
    SpawnOptions o = serviceOptions(dir, port);
    o.args = {"-c", "exec \"$0\" 2>>\"$1\"", o.program, dir.file("stderr")};
    o.program = "/bin/sh";
    return o;
  }

  // Starts bareService and logs a manager in; null when either failed.
  static std::unique_ptr<TcpStream> startBare(const TempDir& dir,
                                              std::unique_ptr<ChildProcess>* service) {
    uint16_t port = freeLoopbackPort();
    if (spawnProcess(bareService(dir, port), service) != RC_OK) return nullptr;
    if (!waitForClientPort(**service, port, 15000)) return nullptr;
    return loginAs(port, "manager");
  }

  bool connected(int timeout_ms) {
    return UpsSuiteRun::waitUntil([&] { return request("DEV STATUS_CONNECT") == "1"; },
                                  timeout_ms);
  }

  int countOf(const std::string& text, const std::string& what) const {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  UpsSuiteRun run_;
  std::unique_ptr<TcpStream> session_;
};

TEST_F(FaultInjectionTest, AStopEndsTheServiceWithinASecondWhateverThePollingRate) {
  TempDir dir;
  ASSERT_TRUE(dir.copyProgram("monsvc") && dir.copyProgram("porter"));
  // The longest polling rate there is, a record rate far beyond it; and one the service refuses.
  dir.write("policy",
            "service.polling rate=600000\nservice.record rate=4000000000\n"
            "service.polling rate=2147483648\n");
  std::unique_ptr<ChildProcess> service;
  auto manager = startBare(dir, &service);
  ASSERT_TRUE(manager);
  EXPECT_EQ(ask(*manager, "POL service.polling rate\r"), "600000");
  EXPECT_EQ(ask(*manager, "POL service.polling rate=2147483648\r"), "ERR 30") << "out of range";
  std::this_thread::sleep_for(milliseconds(1500));  // into the quiet time between two polls

  int64_t t0 = systemClock().monotonicMs();
  service->requestStop();
  int code = -1;
  ASSERT_EQ(service->wait(10000, &code), RC_OK) << "monsvc ignored the stop";
  EXPECT_LT(systemClock().monotonicMs() - t0, 1000) << "the stop waited for the next poll";
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(dir.exists("policy.rejected")) << "the refused line is kept";
  service->terminate();
}

TEST_F(FaultInjectionTest, StartingFailuresAreToldAndEndTheServiceWithAFailure) {
  {
    // No driver to start.
    TempDir dir;
    ASSERT_TRUE(dir.copyProgram("monsvc"));
    std::unique_ptr<ChildProcess> service;
    ASSERT_EQ(spawnProcess(bareService(dir, freeLoopbackPort()), &service), RC_OK);
    int code = 0;
    ASSERT_EQ(service->wait(10000, &code), RC_OK);
    EXPECT_NE(code, 0) << "a service manager must see a failure";
    EXPECT_NE(dir.read("stderr").find("starting the driver " + dir.file("porter")),
              std::string::npos)
        << dir.read("stderr");
  }
  {
    // A driver that cannot be run, and a client port that is taken.
    TempDir dir;
    ASSERT_TRUE(dir.copyProgram("monsvc"));
    dir.write("porter", "not a program");
    std::unique_ptr<TcpListener> squatter;
    ASSERT_EQ(listenTcp(kAnyAddress, 0, &squatter), RC_OK);
    SpawnOptions o = bareService(dir, squatter->localPort());
    std::unique_ptr<ChildProcess> service;
    ASSERT_EQ(spawnProcess(o, &service), RC_OK);
    int code = 0;
    ASSERT_EQ(service->wait(10000, &code), RC_OK);
    EXPECT_NE(code, 0);
    EXPECT_NE(dir.read("stderr").find("starting the driver"), std::string::npos)
        << dir.read("stderr");

    ASSERT_TRUE(dir.copyProgram("porter"));
    ASSERT_EQ(spawnProcess(o, &service), RC_OK);
    ASSERT_EQ(service->wait(10000, &code), RC_OK);
    EXPECT_NE(code, 0);
    EXPECT_NE(dir.read("stderr").find("listening for clients on TCP port " +
                                      std::to_string(squatter->localPort())),
              std::string::npos)
        << dir.read("stderr");
  }
}

TEST_F(FaultInjectionTest, ADriverKilledInTheMiddleOfAPollIsReplacedAndTheGapRecorded) {
  ASSERT_NO_FATAL_FAILURE(startSuite());
  std::vector<int64_t> drivers = run_.driverIds();
  ASSERT_EQ(drivers.size(), 1u);
  // Stopped, the driver leaves the next poll's requests unanswered; killed then, it dies with
  // them in flight.
  ASSERT_EQ(::kill(static_cast<pid_t>(drivers[0]), SIGSTOP), 0);
  std::this_thread::sleep_for(milliseconds(1500));
  ASSERT_EQ(::kill(static_cast<pid_t>(drivers[0]), SIGKILL), 0);
  int64_t t0 = systemClock().monotonicMs();
  EXPECT_TRUE(connected(10000)) << "the status never came back";
  EXPECT_LT(systemClock().monotonicMs() - t0, 5000) << "a new driver within a few polls";
  EXPECT_EQ(run_.driverIds().size(), 2u) << "one new driver";
  // The gap is on record: communication lost, then established again.
  EXPECT_TRUE(UpsSuiteRun::waitUntil([&] { return !run_.events("002").empty(); }, 5000));
  EXPECT_TRUE(UpsSuiteRun::waitUntil([&] { return run_.events("003").size() >= 2; }, 5000))
      << "established at the start and after the gap";
  EXPECT_TRUE(run_.serviceRunning());
}

TEST_F(FaultInjectionTest, ADriverStoppedPastTheReplyTimeOutIsReplacedWhileClientsAreServed) {
  ASSERT_NO_FATAL_FAILURE(startSuite());
  std::vector<int64_t> drivers = run_.driverIds();
  ASSERT_EQ(drivers.size(), 1u);
  ASSERT_EQ(::kill(static_cast<pid_t>(drivers[0]), SIGSTOP), 0);
  // While the driver is silent the service still answers at once.
  for (int i = 0; i < 6; ++i) {
    int64_t t0 = systemClock().monotonicMs();
    int64_t ms = 0;
    EXPECT_TRUE(parseWireTime(request("TIME NOW"), &ms));
    EXPECT_LT(systemClock().monotonicMs() - t0, 1000) << "the loop waited on the driver";
    std::this_thread::sleep_for(milliseconds(1000));
  }
  // Past the reply time-out (10 s) the silent driver is given up and a new one started.
  EXPECT_TRUE(UpsSuiteRun::waitUntil([&] { return run_.driverIds().size() >= 2; }, 20000));
  EXPECT_TRUE(connected(10000));
  EXPECT_FALSE(run_.events("002").empty()) << "the silence is on record";
  (void)::kill(static_cast<pid_t>(drivers[0]), SIGCONT);
  (void)::kill(static_cast<pid_t>(drivers[0]), SIGKILL);  // if the service has not yet
}

TEST_F(FaultInjectionTest, KilledWhileWritingSettingsEveryFileIsOldOrNewAndNothingAckedIsLost) {
  std::mt19937 random(20260512);
  int acked = 3000;
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    TempDir& dir = run_.dir;
    if (round == 0) {
      ASSERT_TRUE(dir.copyProgram("monsvc") && dir.copyProgram("porter"));
    }
    std::unique_ptr<ChildProcess> service;
    auto manager = startBare(dir, &service);
    ASSERT_TRUE(manager);
    // The last acknowledged change survived the kill; the one after it may have, too.
    long long kept = parseLeadingInt(ask(*manager, "POL service.polling rate\r"));
    EXPECT_TRUE(kept == acked || kept == acked + 1) << kept << " after " << acked;
    acked = static_cast<int>(kept);

    // Changes back to back, while the service is killed at a moment nobody chose.
    std::atomic<int> last_acked{acked};
    std::thread writer([&] {
      for (int value = acked + 1; value < acked + 100000; ++value) {
        std::string item = "3 1 2030/01/0" + std::to_string(1 + value % 7) + " 2 10:00:00 " +
                           "2030/01/01 2 10:00:30\n";
        if (ask(*manager, "POL service.polling rate=" + std::to_string(value) + "\r") != "" ||
            ask(*manager, "PTC powerfail.shutdown.happen.delay=" + std::to_string(value) +
                              "\r") != "" ||
            ask(*manager, "SCH SET " + item + "\r") != "") {
          return;
        }
        last_acked = value;
      }
    });
    std::this_thread::sleep_for(milliseconds(300 + random() % 700));
    service->terminate();  // SIGKILL
    writer.join();
    manager.reset();
    ASSERT_GT(last_acked.load(), acked) << "no change was made before the kill";
    acked = last_acked;

    // Whole files only: every line of each is what a write puts there.
    std::string policy = dir.read("policy");
    std::vector<std::string> lines = splitLines(policy);
    ASSERT_EQ(lines.size(), 24u) << policy;
    long long rate = 0;
    for (const std::string& line : lines) {
      if (line.rfind("service.polling rate=", 0) == 0) rate = parseLeadingInt(line.substr(21));
    }
    EXPECT_TRUE(rate == acked || rate == acked + 1) << rate << " after " << acked;
    EXPECT_EQ(splitLines(dir.read("protect")).size(), 378u);
    std::vector<std::string> items = splitLines(dir.read("schedule"));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].size(), sizeof("3 1 2030/01/01 2 10:00:00 2030/01/01 2 10:00:30") - 1);
  }
}

TEST_F(FaultInjectionTest, ADataDirectoryThatGoesAwayLosesNothingAcknowledgedAndSaysSo) {
  ASSERT_NO_FATAL_FAILURE(startSuite());
  ASSERT_EQ(request("POL service.load max=9000"), "");
  // The directory is moved aside and a file takes its name: every write in it now fails, even
  // for root.
  const std::string data = run_.dir.path();
  const std::string aside = data + ".aside";
  std::filesystem::rename(data, aside);
  { std::ofstream(data) << "in the way"; }
  struct Restore {
    std::string data, aside;
    ~Restore() {
      std::error_code ec;
      if (std::filesystem::is_regular_file(data, ec)) std::filesystem::remove(data, ec);
      if (std::filesystem::exists(aside, ec)) std::filesystem::rename(aside, data, ec);
    }
  } restore{data, aside};

  EXPECT_EQ(request("POL service.load max=8000"), "ERR 2") << "refused, not acknowledged";
  EXPECT_EQ(request("POL service.load max"), "9000");
  EXPECT_EQ(request("DEV STATUS_CONNECT"), "1") << "the UPS is still watched";
  // Events whose records cannot be written: one report for the run of them.
  EXPECT_EQ(run_.simulator("mains fail"), "OK mains off");
  EXPECT_TRUE(UpsSuiteRun::waitUntil([&] { return request("DEV STATUS_POWERFAIL") == "1"; },
                                     5000));
  std::this_thread::sleep_for(milliseconds(500));
  EXPECT_EQ(run_.simulator("mains restore"), "OK mains on");
  EXPECT_TRUE(UpsSuiteRun::waitUntil([&] { return request("DEV STATUS_POWERFAIL") == "0"; },
                                     5000));
  std::this_thread::sleep_for(milliseconds(500));

  // Back in place: changes are kept again, and the stop writes every file.
  std::filesystem::remove(data);
  std::filesystem::rename(aside, data);
  EXPECT_EQ(request("POL service.load max=7000"), "");
  EXPECT_NE(run_.dir.read("policy").find("service.load max=7000\n"), std::string::npos);
  session_.reset();
  ASSERT_TRUE(run_.stopService(10000));
  std::string said = run_.dir.read("stderr");
  EXPECT_EQ(countOf(said, "event: a record was lost"), 1) << said << "\nevents:\n" << run_.dir.read("event");
  std::vector<std::string> events = run_.lines("event");
  for (const std::string& record : events) EXPECT_EQ(record.size(), 23u) << record;
}

}  // namespace
}  // namespace gw
