// Docking chain geometry: hanging below, closing up, dragging a chain and dropping it.
#include "client/status/docking_chain.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

const DockRect kDesktop{0, 0, 1024, 768};

class DockingChainTest : public ::testing::Test {
 protected:
  // The status window, then the log window below it.
  void openTwo() {
    chain.open(kSlotStatus, 494, 250, kDesktop);
    chain.open(kSlotLog, 494, 300, kDesktop);
  }
  DockingChain chain;
};

TEST_F(DockingChainTest, TheFirstWindowIsCentredAndTheNextHangsBelow) {
  openTwo();
  EXPECT_EQ(chain.rect(kSlotStatus), (DockRect{265, 259, 494, 250}));
  EXPECT_EQ(chain.rect(kSlotLog), (DockRect{265, 509, 494, 300}));
  EXPECT_EQ(chain.below(kSlotStatus), kSlotLog);
  EXPECT_EQ(chain.above(kSlotLog), kSlotStatus);
}

TEST_F(DockingChainTest, AChainEndingBelowTheDesktopTakesNoMoreWindows) {
  openTwo();  // the log window ends at 809, below the desktop's 768
  chain.open(kSlotSettings, 400, 200, kDesktop);
  EXPECT_EQ(chain.rect(kSlotSettings), (DockRect{312, 284, 400, 200})) << "centred";
  EXPECT_EQ(chain.above(kSlotSettings), kNoSlot);
  // A fourth window: the settings window's chain (slot 1) ends inside, so it hangs there.
  chain.open(kSlotAbout, 300, 100, kDesktop);
  EXPECT_EQ(chain.above(kSlotAbout), kSlotSettings);
  EXPECT_EQ(chain.rect(kSlotAbout), (DockRect{312, 484, 300, 100}));
}

TEST_F(DockingChainTest, ClosingAMiddleWindowClosesUp) {
  const DockRect tall{0, 0, 1024, 2000};
  chain.open(kSlotStatus, 494, 250, tall);
  chain.open(kSlotLog, 494, 300, tall);
  chain.open(kSlotAbout, 200, 100, tall);
  ASSERT_EQ(chain.above(kSlotAbout), kSlotLog);
  chain.close(kSlotLog, tall);
  EXPECT_FALSE(chain.isOpen(kSlotLog));
  EXPECT_EQ(chain.above(kSlotAbout), kSlotStatus);
  EXPECT_EQ(chain.rect(kSlotAbout).y, chain.rect(kSlotStatus).bottom());
  EXPECT_EQ(chain.rect(kSlotAbout).x, chain.rect(kSlotStatus).x);
}

TEST_F(DockingChainTest, ClosingTheTopLeavesAChainThatIsCentredWhenItReachesBelow) {
  openTwo();
  chain.close(kSlotStatus, kDesktop);
  EXPECT_EQ(chain.above(kSlotLog), kNoSlot);
  EXPECT_EQ(chain.rect(kSlotLog), (DockRect{265, 234, 494, 300})) << "it reached 809: centred";

  DockingChain inside;
  inside.open(kSlotStatus, 200, 100, kDesktop);
  inside.open(kSlotLog, 200, 100, kDesktop);
  DockRect before = inside.rect(kSlotLog);
  inside.close(kSlotStatus, kDesktop);
  EXPECT_EQ(inside.rect(kSlotLog), before) << "inside the desktop it stays where it was";
}

TEST_F(DockingChainTest, DraggingMovesTheWindowAndEveryWindowBelow) {
  openTwo();
  chain.beginDrag(kSlotStatus);
  EXPECT_EQ(chain.draggedChain(), (std::vector<int>{kSlotStatus, kSlotLog}));
  chain.dragBy(-100, -50);
  chain.dragBy(10, 0);
  chain.drop();
  EXPECT_FALSE(chain.dragging());
  EXPECT_EQ(chain.rect(kSlotStatus), (DockRect{175, 209, 494, 250}));
  EXPECT_EQ(chain.rect(kSlotLog), (DockRect{175, 459, 494, 300}));
}

TEST_F(DockingChainTest, ASmallDragStaysAttachedAndSnapsBack) {
  openTwo();
  chain.beginDrag(kSlotLog);
  EXPECT_EQ(chain.draggedChain(), (std::vector<int>{kSlotLog}));
  chain.dragBy(39, -39);  // still inside the box
  chain.drop();
  EXPECT_EQ(chain.above(kSlotLog), kSlotStatus);
  EXPECT_EQ(chain.rect(kSlotLog), (DockRect{265, 509, 494, 300}));
}

TEST_F(DockingChainTest, AFarDropDetachesAndANearOneAttachesElsewhere) {
  openTwo();
  chain.beginDrag(kSlotLog);
  chain.dragBy(40, 0);  // boxes touch but do not overlap
  chain.drop();
  EXPECT_EQ(chain.above(kSlotLog), kNoSlot);
  EXPECT_EQ(chain.below(kSlotStatus), kNoSlot);
  EXPECT_EQ(chain.rect(kSlotLog), (DockRect{305, 509, 494, 300})) << "free where dropped";

  // Drop the status window's chain-less self near the log window's bottom-left corner.
  chain.beginDrag(kSlotStatus);
  chain.dragBy(305 - 265 + 12, 809 - 259 - 15);
  chain.drop();
  EXPECT_EQ(chain.above(kSlotStatus), kSlotLog);
  EXPECT_EQ(chain.rect(kSlotStatus), (DockRect{305, 809, 494, 250})) << "placed exactly below";
}

TEST_F(DockingChainTest, ADroppedChainNeverAttachesToItself) {
  chain.open(kSlotStatus, 100, 30, kDesktop);  // short windows: own corners close together
  chain.open(kSlotLog, 100, 30, kDesktop);
  chain.beginDrag(kSlotStatus);
  chain.dragBy(300, 300);
  chain.drop();
  EXPECT_EQ(chain.above(kSlotStatus), kNoSlot);
  EXPECT_EQ(chain.below(kSlotStatus), kSlotLog);
  EXPECT_EQ(chain.rect(kSlotLog).y, chain.rect(kSlotStatus).bottom());
}

TEST_F(DockingChainTest, WindowsBelowFollowAMoveByTheWindowManager) {
  openTwo();
  chain.moved(kSlotStatus, {10, 20, 494, 250});
  EXPECT_EQ(chain.rect(kSlotLog), (DockRect{10, 270, 494, 300}));
}

TEST_F(DockingChainTest, ClosingTheDraggedWindowEndsTheDrag) {
  openTwo();
  chain.beginDrag(kSlotStatus);
  chain.close(kSlotLog, kDesktop);
  EXPECT_TRUE(chain.dragging());
  chain.close(kSlotStatus, kDesktop);
  EXPECT_FALSE(chain.dragging());
  chain.drop();  // nothing to drop
  EXPECT_FALSE(chain.isOpen(kSlotStatus));
}

}  // namespace
}  // namespace gw
