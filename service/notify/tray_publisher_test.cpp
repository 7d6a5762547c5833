// The tray publisher over real local sockets: what a new subscriber gets, the order of events,
// a subscriber that never reads, and who may stop the service.
#include "service/notify/tray_publisher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "testing/recording_system_log.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

class TrayPublisherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    publisher_.start(stop_);
    ASSERT_TRUE(publisher_.listening());
  }

  // One pass of the main loop's wait, as the client server runs it.
  void pass(int timeout_ms = 0) {
    poll_->clear();
    publisher_.addTo(*poll_);
    if (poll_->wait(timeout_ms) == RC_OK) publisher_.serveReady(*poll_);
  }

  std::unique_ptr<NonBlockingStream> subscribe() {
    std::unique_ptr<NonBlockingStream> s;
    EXPECT_EQ(connectLocal(dir_.file("notify"), &s), RC_OK);
    const size_t before = publisher_.subscriberCount();
    for (int i = 0; i < 100 && publisher_.subscriberCount() == before; ++i) pass(10);
    return s;
  }

  // Everything the subscriber can read within a short time; "<closed>" marks an end of stream.
  static std::string drain(NonBlockingStream& s, size_t at_least = 1) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      char buffer[65536];
      size_t n = 0;
      ResultCode rc = s.receive(buffer, sizeof buffer, &n);
      if (rc == RC_OK) {
        got.append(buffer, n);
        continue;
      }
      if (rc != RC_TIMEOUT) return got + "<closed>";
      if (got.size() >= at_least) return got;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return got;
  }

  static void send(NonBlockingStream& s, const std::string& line) {
    size_t sent = 0;
    ASSERT_EQ(s.send(line.data(), line.size(), &sent), RC_OK);
    ASSERT_EQ(sent, line.size());
  }

  TempDir dir_;
  RecordingSystemLog log_;
  std::atomic<bool> stop_{false};
  TrayPublisher publisher_{dir_.file("notify"), log_};
  std::unique_ptr<PollSet> poll_ = createPollSet();
};

TEST_F(TrayPublisherTest, ASubscriberGetsTheStateNowThenEveryEventInOrder) {
  auto first = subscribe();
  EXPECT_EQ(drain(*first), "ICON 120 UPS Service.\n");

  publisher_.notify(4);
  publisher_.notify(8);
  publisher_.notify(9);
  publisher_.notify(5);
  publisher_.notify(2);
  EXPECT_EQ(drain(*first, 40), "EVENT 4\nEVENT 8\nEVENT 9\nEVENT 5\nEVENT 2\n");

  // Overload leaves the tray as the last row put it; the newcomer sees only that.
  publisher_.notify(8);
  auto later = subscribe();
  EXPECT_EQ(drain(*later), "ICON 116 Can't communication with UPS !\n");
  EXPECT_EQ(drain(*first), "EVENT 8\n");
}

TEST_F(TrayPublisherTest, ASubscriberThatNeverReadsIsLetGoWithoutHoldingTheLoop) {
  auto mute = subscribe();
  auto reader = subscribe();
  ASSERT_EQ(publisher_.subscriberCount(), 2u);
  std::string heard = drain(*reader);

  // Far more than the system buffers for the mute one, so its queue must reach its bound.
  constexpr int kEvents = 200000;
  auto slowest = std::chrono::nanoseconds::zero();
  const auto started = std::chrono::steady_clock::now();
  for (int i = 0; i < kEvents; ++i) {
    const auto t = std::chrono::steady_clock::now();
    publisher_.notify(i % 2 == 0 ? 4 : 5);
    pass();
    slowest = std::max(slowest, std::chrono::steady_clock::now() - t);
    if (i % 256 == 255) heard += drain(*reader, 0);
  }
  const auto total = std::chrono::steady_clock::now() - started;
  heard += drain(*reader, 0);

  EXPECT_EQ(publisher_.subscriberCount(), 1u) << "the mute subscriber was let go";
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count(), 100);
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(total).count(), 20000);
  // The reader lost nothing and got it in order.
  std::string expected = "ICON 120 UPS Service.\n";
  for (int i = 0; i < kEvents; ++i) expected += i % 2 == 0 ? "EVENT 4\n" : "EVENT 5\n";
  EXPECT_TRUE(heard == expected) << heard.size() << " bytes heard of " << expected.size();
  std::string rest = drain(*mute, 0);
  EXPECT_NE(rest.find("<closed>"), std::string::npos) << "its stream ends after what it took";
}

TEST_F(TrayPublisherTest, ExitFromTheServicesOwnUserStopsTheService) {
  auto tray = subscribe();
  (void)drain(*tray);
  send(*tray, "EXIT\n");
  for (int i = 0; i < 100 && !stop_.load(); ++i) pass(10);
  EXPECT_TRUE(stop_.load());
  ASSERT_EQ(log_.infos.size(), 1u);
  EXPECT_EQ(log_.infos[0], "tray: stop requested by user " + std::to_string(currentUserId()));
}

TEST_F(TrayPublisherTest, OtherRequestsAreAnsweredAndEndlessOnesCutOff) {
  auto tray = subscribe();
  (void)drain(*tray);
  send(*tray, "HELLO\nEVENT 4\n");
  pass(1000);
  EXPECT_EQ(drain(*tray, 14), "ERR 31\nERR 31\n");
  EXPECT_FALSE(stop_.load());

  send(*tray, std::string(kMaxTrayLine + 1, 'x'));
  pass(1000);
  EXPECT_EQ(drain(*tray), "<closed>");
  EXPECT_EQ(publisher_.subscriberCount(), 0u);
}

TEST(TrayPublisherStartTest, ASocketThatCannotBeMadeLeavesTheServiceRunningWithoutATray) {
  TempDir dir;
  RecordingSystemLog log;
  std::atomic<bool> stop{false};
  TrayPublisher publisher(dir.file(std::string(200, 'n')), log);
  publisher.start(stop);
  EXPECT_FALSE(publisher.listening());
  ASSERT_EQ(log.infos.size(), 1u);
  EXPECT_EQ(log.infos[0].rfind("no tray notifications: cannot listen at ", 0), 0u);
  publisher.notify(4);  // still takes events
  auto poll = createPollSet();
  publisher.addTo(*poll);
  EXPECT_EQ(publisher.display().icon(), kIconPowerFailure);
}

}  // namespace
}  // namespace gw
