// The main flow on a fake desktop: no windows, several programs sharing the temporary names and
// the log, and at most ten windows being closed at a time.
#include "closer/sweeper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <set>
#include <thread>

#include "closer/testing/fake_desktop.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

class SweeperTest : public ::testing::Test {
 protected:
  CloserSettings settings() const {
    CloserSettings s;
    s.save_folder = dir_.file("save");
    s.log_path = dir_.file("saved");
    return s;
  }

  TempDir dir_;
  FakeClock clock_;
  FakeDesktop desktop_{clock_};
};

// Real time, for the threads of the concurrency test.
template <typename Pred>
bool eventually(Pred pred) {
  for (int i = 0; i < 500; ++i) {
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST_F(SweeperTest, NoWindowsEndsAtOnceWithZero) {
  Sweeper sweeper(desktop_, clock_, settings());
  EXPECT_EQ(sweeper.run(), 0);
  EXPECT_TRUE(desktop_.actions().empty());
  EXPECT_EQ(clock_.nowMs(), FakeClock::kDefaultStart);
}

TEST_F(SweeperTest, TwoSaveDialogsGetConsecutiveNamesAndOneRecordEach) {
  std::string saved_a, saved_b;
  desktop_.addApp(0x400001, "Letter - Writer", fake_apps::opensSaveDialog(0x400100, &saved_a));
  desktop_.addApp(0x600001, "Sketch - Draw", fake_apps::opensSaveDialog(0x600100, &saved_b));
  desktop_.addApp(0x800001, "Stuck", fake_apps::ignoresEverything());
  Sweeper sweeper(desktop_, clock_, settings());
  EXPECT_EQ(sweeper.run(), 0);

  const std::string n0 = dir_.file("save/temp0000"), n1 = dir_.file("save/temp0001");
  EXPECT_EQ((std::set<std::string>{saved_a, saved_b}), (std::set<std::string>{n0, n1}));
  // The threads race for the numbers, so either program may get either name.
  const std::string log = dir_.read("saved");
  const std::string a = "Letter - Writer\t" + saved_a + "\n";
  const std::string b = "Sketch - Draw\t" + saved_b + "\n";
  EXPECT_TRUE(log == a + b || log == b + a) << log;
  EXPECT_TRUE(desktop_.processEnded(0x800001)) << "the others do not stop the escalation";
}

TEST_F(SweeperTest, NumberingStartsAfterTheHighestNameInTheFolder) {
  std::filesystem::create_directory(dir_.file("save"));
  dir_.write("save/temp0007.doc", "earlier run");
  std::string saved;
  desktop_.addApp(0x400001, "Letter", fake_apps::opensSaveDialog(0x400100, &saved));
  Sweeper sweeper(desktop_, clock_, settings());
  EXPECT_EQ(sweeper.run(), 0);
  EXPECT_EQ(saved, dir_.file("save/temp0008"));
}

TEST_F(SweeperTest, ElevenWindowsAreClosedAtMostTenAtATime) {
  constexpr int kWindows = 11;
  auto id = [](int i) { return static_cast<WindowId>(0x200001 + 0x100000 * i); };
  for (int i = 0; i < kWindows; ++i) {
    desktop_.addApp(id(i), "App " + std::to_string(i), fake_apps::closesWhenAsked());
    desktop_.hold(id(i));
  }
  Sweeper sweeper(desktop_, clock_, settings());
  auto done = std::async(std::launch::async, [&] { return sweeper.run(); });

  ASSERT_TRUE(eventually([&] { return desktop_.busy() == 10; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(desktop_.busy(), 10);
  EXPECT_TRUE(desktop_.actionsOf(id(10)).empty()) << "the eleventh waits for a free slot";

  desktop_.release(id(3));
  EXPECT_TRUE(eventually([&] { return !desktop_.actionsOf(id(10)).empty(); }))
      << "the eleventh starts once one of the ten has finished";
  for (int i = 0; i < kWindows; ++i) desktop_.release(id(i));
  ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(done.get(), 0);
  EXPECT_EQ(desktop_.maxBusy(), 10);
  for (int i = 0; i < kWindows; ++i) EXPECT_TRUE(desktop_.processEnded(id(i))) << i;
}

}  // namespace
}  // namespace gw
