// Routing completions to the window that asked, and the data-state messages of the main
// window's own subscriptions, of the communication and of a window that opens late.
#include "client/status/window_router.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

using Notes = std::vector<DataStateNote>;

class WindowRouterTest : public ::testing::Test {
 protected:
  void SetUp() override { router.setOwnTags({3, 4, 5, 6}); }
  WindowRouter router;
};

TEST_F(WindowRouterTest, WindowIdentifiersMapToSlots) {
  EXPECT_EQ(slotForWindowId(102), kSlotStatus);
  EXPECT_EQ(slotForWindowId(1004), kSlotLog);
  EXPECT_EQ(slotForWindowId(1005), kSlotSettings);
  EXPECT_EQ(slotForWindowId(1006), kSlotSchedule);
  EXPECT_EQ(slotForWindowId(1025), kSlotAbout);
  EXPECT_EQ(slotForWindowId(1026), kSlotUpsConfig);
  EXPECT_EQ(slotForWindowId(1002), kNoSlot);
  EXPECT_EQ(completionMessage(0x12345, 33), 0x23450021u) << "the tag keeps its low 16 bits";
}

TEST_F(WindowRouterTest, AWindowsCompletionIsForwardedOnce) {
  router.expect(9, kSlotUpsConfig);
  auto r = router.requestDone(completionMessage(9, 8));
  EXPECT_EQ(r.forward_to, kSlotUpsConfig);
  EXPECT_TRUE(r.notes.empty());
  EXPECT_EQ(router.requestDone(completionMessage(9, 0)).forward_to, kNoSlot);
}

TEST_F(WindowRouterTest, AClosedWindowsCompletionsAreDropped) {
  router.expect(9, kSlotLog);
  router.expect(10, kSlotSchedule);
  router.windowClosed(kSlotLog);
  EXPECT_EQ(router.requestDone(completionMessage(9, 0)).forward_to, kNoSlot);
  EXPECT_EQ(router.requestDone(completionMessage(10, 0)).forward_to, kSlotSchedule);
}

TEST_F(WindowRouterTest, OwnSubscriptions) {
  EXPECT_EQ(router.requestDone(completionMessage(3, 0)).notes,
            (Notes{{kSlotUpsConfig, true, 0}, {kSlotStatus, true, 0}, {kSlotAbout, true, 0}}));
  EXPECT_TRUE(router.requestDone(completionMessage(5, 0)).notes.empty()) << "policies alone";
  EXPECT_EQ(router.requestDone(completionMessage(4, 0)).notes,
            (Notes{{kSlotSettings, true, 0}}))
      << "the second of settings and policies";
  EXPECT_EQ(router.requestDone(completionMessage(6, 0)).notes, (Notes{{kSlotSchedule, true, 0}}));
  EXPECT_EQ(router.requestDone(completionMessage(0, 0)).notes, (Notes{{kSlotSettings, true, 1}}))
      << "tag 0 with code 0: the communication is up";
  EXPECT_TRUE(router.requestDone(completionMessage(0, 21)).notes.empty());
  EXPECT_TRUE(router.requestDone(completionMessage(77, 0)).notes.empty()) << "unknown tag";
}

TEST_F(WindowRouterTest, LateWindowsLearnWhatIsLoaded) {
  EXPECT_TRUE(router.windowOpened(kSlotStatus).empty());
  EXPECT_TRUE(router.windowOpened(kSlotSettings).empty());
  (void)router.requestDone(completionMessage(3, 0));  // notes checked above
  (void)router.requestDone(completionMessage(4, 0));
  (void)router.requestDone(completionMessage(5, 0));
  (void)router.requestDone(completionMessage(6, 0));
  bool resubscribe = false;
  EXPECT_EQ(router.commChanged(true, &resubscribe), (Notes{{kSlotSettings, true, 1}}));
  EXPECT_FALSE(resubscribe);
  EXPECT_EQ(router.windowOpened(kSlotAbout), (Notes{{kSlotAbout, true, 0}}));
  EXPECT_EQ(router.windowOpened(kSlotUpsConfig), (Notes{{kSlotUpsConfig, true, 0}}));
  EXPECT_EQ(router.windowOpened(kSlotSettings),
            (Notes{{kSlotSettings, true, 0}, {kSlotSettings, true, 1}}));
  EXPECT_EQ(router.windowOpened(kSlotSchedule), (Notes{{kSlotSchedule, true, 0}}));
  EXPECT_TRUE(router.windowOpened(kSlotLog).empty());
}

TEST_F(WindowRouterTest, LosingTheCommunicationForgetsThePropertiesAndResubscribes) {
  (void)router.requestDone(completionMessage(3, 0));  // properties loaded
  bool resubscribe = false;
  EXPECT_EQ(router.commChanged(false, &resubscribe),
            (Notes{{kSlotStatus, false, 0},
                   {kSlotAbout, false, 0},
                   {kSlotUpsConfig, false, 0},
                   {kSlotSettings, false, 1}}));
  EXPECT_TRUE(resubscribe);
  EXPECT_FALSE(router.propertiesLoaded());
  EXPECT_TRUE(router.windowOpened(kSlotStatus).empty());
  router.setPropertiesTag(12);
  EXPECT_TRUE(router.requestDone(completionMessage(3, 0)).notes.empty()) << "the old tag";
  EXPECT_EQ(router.requestDone(completionMessage(12, 0)).notes.size(), 3u);
  EXPECT_TRUE(router.propertiesLoaded());
}

}  // namespace
}  // namespace gw
