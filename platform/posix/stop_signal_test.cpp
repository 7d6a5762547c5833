// A SIGTERM or SIGINT becomes one readable byte instead of ending the process.
#include "platform/stop_signal.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

namespace gw {
namespace {

bool readable(const StopSignal& s, int timeout_ms) {
  pollfd p{static_cast<int>(s.readHandle()), POLLIN, 0};
  return ::poll(&p, 1, timeout_ms) == 1;
}

TEST(StopSignal, TermAndIntAreDeliveredAsReadableRequests) {
  std::unique_ptr<StopSignal> stop;
  ASSERT_EQ(installStopSignal(&stop), RC_OK);
  EXPECT_FALSE(readable(*stop, 0));
  EXPECT_FALSE(stop->consume());
  ASSERT_EQ(::raise(SIGTERM), 0);
  ASSERT_EQ(::raise(SIGINT), 0);
  EXPECT_TRUE(readable(*stop, 1000));
  EXPECT_TRUE(stop->consume());
  EXPECT_FALSE(stop->consume()) << "both requests were taken at once";

  std::unique_ptr<StopSignal> second;
  EXPECT_EQ(installStopSignal(&second), RC_NOT_AVAILABLE);
  stop.reset();
  EXPECT_EQ(installStopSignal(&second), RC_OK) << "free again once the first has gone";
}

}  // namespace
}  // namespace gw
