// The real watch over named events: precedence, one signal at most, and full time-outs.
#include "closer/event_watch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "closer/event_names.h"
#include "testing/fake_clock.h"

namespace gw {
namespace {

class FlagProcess : public OtherProcess {
 public:
  int64_t id() const override { return 1; }
  bool ended() override { return ended_; }
  void terminate(int) override { ended_ = true; }
  bool ended_ = false;
};

TEST(EventNamesTest, AreTheSharedSpellingWithTheWindowInHex) {
  EXPECT_EQ(activeEventName(0x1e00007), "NorvaneSystemsIncActiveEvent1e00007");
  EXPECT_EQ(destroyEventName(0xABC), "NorvaneSystemsIncDestoryEventabc");
}

TEST(EventWatchTest, WakesInOrderOfPrecedenceAndCountsASignalOnce) {
  // A window number no X server hands out keeps the names apart from a real run's.
  const WindowId window = 0xfff000000000ull + static_cast<WindowId>(::getpid());
  std::unique_ptr<NamedEvent> active, destroy, library_active, library_destroy;
  ASSERT_EQ(NamedEvent::create(activeEventName(window), &active), RC_OK);
  ASSERT_EQ(NamedEvent::create(destroyEventName(window), &destroy), RC_OK);
  ASSERT_EQ(NamedEvent::open(activeEventName(window), &library_active), RC_OK);
  ASSERT_EQ(NamedEvent::open(destroyEventName(window), &library_destroy), RC_OK);
  FakeClock clock;
  FlagProcess process;
  EventWatch watch(std::move(active), std::move(destroy), &process, clock);

  const int64_t t0 = clock.monotonicMs();
  EXPECT_EQ(watch.wait(1000), WakeReason::kTimeout);
  EXPECT_EQ(clock.monotonicMs() - t0, 1000) << "a quiet wait lasts its full time";
  EXPECT_EQ(watch.wait(0), WakeReason::kTimeout);
  EXPECT_EQ(clock.monotonicMs() - t0, 1000);

  process.ended_ = true;
  library_destroy->signal();
  library_active->signal();
  watch.signalActive();  // ours and the library's merge into one wake
  EXPECT_EQ(watch.wait(1000), WakeReason::kActive);
  EXPECT_EQ(watch.wait(1000), WakeReason::kDestroy);
  EXPECT_EQ(watch.wait(1000), WakeReason::kProcessEnded);
  EXPECT_EQ(watch.wait(1000), WakeReason::kProcessEnded) << "the process's end stays";
  EXPECT_EQ(clock.monotonicMs() - t0, 1000) << "nothing that was set costs any time";
}

TEST(EventWatchTest, MissingEventsAndProcessOnlyTimeOut) {
  FakeClock clock;
  EventWatch watch(nullptr, nullptr, nullptr, clock);
  watch.signalActive();
  EXPECT_EQ(watch.wait(500), WakeReason::kActive);
  EXPECT_EQ(watch.wait(500), WakeReason::kTimeout);
  EXPECT_EQ(clock.slept(), 500);
}

}  // namespace
}  // namespace gw
