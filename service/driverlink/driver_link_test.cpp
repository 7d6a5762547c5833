// The link with real child processes: scripted drivers, and the real driver program when built.
#include "service/driverlink/driver_link.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/clock.h"
#include "platform/process.h"
#include "service/driverlink/status_poller.h"
#include "testing/fake_clock.h"

namespace gw {
namespace {

// Answers every request with the value 1 (C4 as "accepted") and notes each start's arguments.
constexpr const char* kEchoDriver = R"(#!/bin/sh
echo "$1 $2" >> "$(dirname "$0")/starts"
while IFS= read -r line; do
  case "$line" in
    C4*) echo "${line%% *}E 20" ;;
    *) echo "${line%% *} 1" ;;
  esac
done
)";

// Reads nothing and answers nothing, and outlives its closed pipes.
constexpr const char* kSilentDriver = "#!/bin/sh\nexec sleep 30\n";

bool processGone(int64_t pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0; }

int64_t elapsedMs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               since)
      .count();
}

// Drives one poll to its end as the main loop would: the poll's replies come in while it waits.
bool completePoll(StatusPoller& poller) {
  for (int i = 0; i < 400; ++i) {
    uint32_t timeout = 0xFFFFFFFFu;
    if (poller.poll(timeout, 3000)) return true;
    if (!poller.pollInFlight()) return false;
    systemClock().sleepMs(5);
  }
  return false;
}

class DriverLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Writing to a driver that died must come back as an error, not end the test process.
    ignoreBrokenPipes();
    std::string tmpl = (std::filesystem::temp_directory_path() / "gw-link.XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::string writeDriver(const std::string& name, const std::string& body) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path) << body;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
  }
  std::string starts() {
    std::ifstream in(dir_ + "/starts");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::unique_ptr<DriverLink> makeLink(const std::string& program, int32_t type, int32_t index,
                                       int reply_timeout_ms = 5000) {
    DriverLinkOptions options;
    options.program = program;
    options.media_type = type;
    options.media_index = index;
    options.limits.reply_timeout_ms = reply_timeout_ms;
    std::unique_ptr<DriverLink> link;
    EXPECT_EQ(DriverLink::create(systemClock(), options, &link), RC_OK);
    return link;
  }

  std::string dir_;
};

TEST_F(DriverLinkTest, StartsTheDriverWithTheMediaSelectionOrReportsItMissing) {
  auto link = makeLink(writeDriver("porter", kEchoDriver), 2, 5);
  ASSERT_TRUE(link);
  int32_t value = 0;
  EXPECT_EQ(link->device().getStatus(STATUS_CONNECT, &value), RC_OK);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(starts(), "2 5\n");
  EXPECT_TRUE(link->driverRunning());

  DriverLinkOptions missing;
  missing.program = dir_ + "/no-such-driver";
  std::unique_ptr<DriverLink> none;
  EXPECT_EQ(DriverLink::create(systemClock(), missing, &none), RC_NOT_AVAILABLE);
  EXPECT_EQ(none, nullptr);
}

TEST_F(DriverLinkTest, AKilledDriverIsRestartedOnlyAfterAPollSawItGone) {
  const std::string program = writeDriver("porter", kEchoDriver);
  auto link = makeLink(program, 1, 0);
  ASSERT_TRUE(link);
  FakeClock grid;
  StatusPoller poller(grid, link->device(), link.get());
  ASSERT_TRUE(completePoll(poller));
  ASSERT_EQ(poller.current()[STATUS_CONNECT].code, RC_OK);

  link->changeMedia(3, 1);  // a restart must use the selection in force, not the first one
  const int64_t first_pid = link->driverPid();
  ASSERT_EQ(::kill(static_cast<pid_t>(first_pid), SIGKILL), 0);

  grid.advance(3000);
  ASSERT_TRUE(completePoll(poller));
  for (int i = 0; i < kStatusCount; ++i) {
    EXPECT_EQ(poller.current()[i].code, RC_PIPE_BROKEN) << "status " << i << " after the kill";
  }
  EXPECT_FALSE(link->driverRunning());
  EXPECT_EQ(link->restarts(), 0) << "detection must see one poll without the driver";
  EXPECT_TRUE(processGone(first_pid)) << "the dead driver is reaped";

  // The program is gone for one poll: that restart fails and the next poll tries again.
  std::filesystem::rename(program, program + ".away");
  grid.advance(3000);
  ASSERT_TRUE(completePoll(poller));
  EXPECT_EQ(poller.current()[STATUS_CONNECT].code, RC_PIPE_BROKEN);
  std::filesystem::rename(program + ".away", program);

  int32_t value = 0;
  EXPECT_EQ(link->device().getStatus(STATUS_CONNECT, &value), RC_PIPE_BROKEN)
      << "between polls nothing is restarted";
  grid.advance(3000);
  ASSERT_TRUE(completePoll(poller));
  EXPECT_EQ(poller.current()[STATUS_CONNECT].code, RC_OK);
  EXPECT_EQ(poller.current()[STATUS_BACKUP].code, RC_OK);
  EXPECT_EQ(link->restarts(), 1);
  EXPECT_EQ(starts(), "1 0\n3 1\n");
}

TEST_F(DriverLinkTest, ASilentDriverIsEndedAfterTheReplyTimeout) {
  auto link = makeLink(writeDriver("porter", kSilentDriver), 0, 0, 300);
  ASSERT_TRUE(link);
  const int64_t pid = link->driverPid();
  const auto start = std::chrono::steady_clock::now();
  int32_t value = 0;
  EXPECT_EQ(link->device().getStatus(STATUS_CONNECT, &value), RC_PIPE_BROKEN);
  const int64_t waited = elapsedMs(start);
  EXPECT_GE(waited, 290) << "gave up before the reply time-out";
  EXPECT_LT(waited, 3000) << "the wait for a reply must be bounded";
  EXPECT_FALSE(link->driverRunning());
  EXPECT_TRUE(processGone(pid)) << "a driver that stopped answering is ended";

  const auto again = std::chrono::steady_clock::now();
  EXPECT_EQ(link->device().getStatus(STATUS_POWERFAIL, &value), RC_PIPE_BROKEN);
  EXPECT_LT(elapsedMs(again), 100) << "later reads must not wait again";
}

TEST_F(DriverLinkTest, RequestsInFlightAreAnsweredInOrderAndAllFailWhenTheDriverDies) {
  auto link = makeLink(writeDriver("porter", kEchoDriver), 0, 0);
  ASSERT_TRUE(link);
  std::vector<std::string> replies;
  std::vector<DriverChannel::Request> batch;
  for (int i = 0; i < 30; ++i) {
    batch.push_back({"R" + std::to_string(i) + "\n", [&replies](ResultCode rc, const std::string& r) {
                       replies.push_back(rc == RC_OK ? r : "code " + std::to_string(rc));
                     }});
  }
  link->submit(std::move(batch));
  EXPECT_TRUE(replies.empty()) << "submit must not wait for the replies";
  ASSERT_NE(link->replyWatch(), nullptr);
  // A blocking exchange behind them completes the earlier ones first, in their order.
  int32_t value = 0;
  ASSERT_EQ(link->device().getStatus(STATUS_CONNECT, &value), RC_OK);
  ASSERT_EQ(replies.size(), 30u);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(replies[static_cast<size_t>(i)], "R" + std::to_string(i) + " 1");

  // The driver stopped, then killed, with 30 requests in flight: each one is answered 15.
  replies.clear();
  const int64_t pid = link->driverPid();
  ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGSTOP), 0);
  batch.clear();
  for (int i = 0; i < 30; ++i) {
    batch.push_back({"S" + std::to_string(i % 14) + "\n", [&replies](ResultCode rc, const std::string& r) {
                       replies.push_back(rc == RC_OK ? r : "code " + std::to_string(rc));
                     }});
  }
  link->submit(std::move(batch));
  EXPECT_EQ(link->inFlight(), 30u);
  ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
  for (int i = 0; i < 200 && replies.size() < 30; ++i) {
    link->onReadable();
    systemClock().sleepMs(5);
  }
  ASSERT_EQ(replies.size(), 30u);
  for (const std::string& r : replies) EXPECT_EQ(r, "code 15");
  EXPECT_FALSE(link->driverRunning());
  EXPECT_EQ(link->inFlight(), 0u);
  EXPECT_EQ(link->device().getStatus(STATUS_CONNECT, &value), RC_PIPE_BROKEN);
}

TEST_F(DriverLinkTest, EndingTheLinkEndsTheDriverWithinItsGrace) {
  for (const char* body : {kEchoDriver, kSilentDriver}) {
    auto link = makeLink(writeDriver("porter", body), 0, 0);
    ASSERT_TRUE(link);
    const int64_t pid = link->driverPid();
    const auto start = std::chrono::steady_clock::now();
    link.reset();
    EXPECT_LT(elapsedMs(start), 2000) << "ending the link blocks at most the short grace";
    EXPECT_TRUE(processGone(pid)) << (body == kEchoDriver ? "echo driver" : "silent driver");
  }
}

// The real driver program under the no-UPS selection: every status read answers code 8.
TEST_F(DriverLinkTest, RealDriverComesBackAfterBeingKilled) {
  const char* bin = std::getenv("GW_BIN_DIR");
  const std::string porter = bin ? std::string(bin) + "/porter" : "";
  if (porter.empty() || !std::filesystem::exists(porter)) GTEST_SKIP() << "porter not built";
  auto link = makeLink(porter, 0, 0);
  ASSERT_TRUE(link);
  constexpr int64_t kRate = 300;
  StatusPoller poller(systemClock(), link->device(), link.get());
  auto pollOnce = [&] {
    for (;;) {
      uint32_t timeout = 0xFFFFFFFFu;
      if (poller.poll(timeout, kRate)) return;
      systemClock().sleepMs(poller.pollInFlight() ? 5 : timeout);
    }
  };
  pollOnce();
  EXPECT_EQ(poller.current()[STATUS_CONNECT].code, RC_NO_DEVICE);
  EXPECT_EQ(poller.current()[STATUS_INVOLT].code, RC_NO_DEVICE);

  ASSERT_EQ(::kill(static_cast<pid_t>(link->driverPid()), SIGKILL), 0);
  const auto killed = std::chrono::steady_clock::now();
  pollOnce();
  for (int i = 0; i < kStatusCount; ++i) {
    EXPECT_EQ(poller.current()[i].code, RC_PIPE_BROKEN) << "status " << i << " after the kill";
  }
  int polls = 0;
  while (poller.current()[STATUS_CONNECT].code == RC_PIPE_BROKEN && polls < 20) {
    pollOnce();
    ++polls;
  }
  EXPECT_EQ(poller.current()[STATUS_CONNECT].code, RC_NO_DEVICE) << "the driver answers again";
  EXPECT_EQ(poller.current()[STATUS_BACKUP].code, RC_NO_DEVICE);
  EXPECT_EQ(polls, 1) << "back at the poll after the one that saw the gap";
  EXPECT_LT(elapsedMs(killed), 2 * kRate + 1500) << "back within about two polling intervals";
  EXPECT_EQ(link->restarts(), 1);
}

}  // namespace
}  // namespace gw
