// Named events: one signal at most, shared by name, removed with their creator.
#include "platform/named_event.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace gw {
namespace {

std::string uniqueName(const char* what) {
  return std::string("GwNamedEventTest") + what + std::to_string(::getpid());
}

TEST(NamedEventTest, HoldsOneSignalAndIsSharedByName) {
  const std::string name = uniqueName("Share");
  std::unique_ptr<NamedEvent> creator;
  ASSERT_EQ(NamedEvent::create(name, &creator), RC_OK);
  EXPECT_TRUE(NamedEvent::exists(name));
  EXPECT_FALSE(creator->tryTake()) << "a new event starts not signaled";

  std::unique_ptr<NamedEvent> other;
  ASSERT_EQ(NamedEvent::open(name, &other), RC_OK);
  other->signal();
  other->signal();
  EXPECT_TRUE(creator->tryTake());
  EXPECT_FALSE(creator->tryTake()) << "two signals before a take count as one";

  other.reset();  // an opener does not remove the name
  EXPECT_TRUE(NamedEvent::exists(name));
  creator.reset();
  EXPECT_FALSE(NamedEvent::exists(name));
  EXPECT_EQ(NamedEvent::open(name, &other), RC_NOT_AVAILABLE);
  EXPECT_EQ(other, nullptr);
}

TEST(NamedEventTest, CreateReplacesAStaleEvent) {
  const std::string name = uniqueName("Stale");
  std::unique_ptr<NamedEvent> stale;
  ASSERT_EQ(NamedEvent::create(name, &stale), RC_OK);
  stale->signal();
  std::unique_ptr<NamedEvent> fresh;
  ASSERT_EQ(NamedEvent::create(name, &fresh), RC_OK);
  EXPECT_FALSE(fresh->tryTake()) << "the stale signal must not carry over";
  fresh.reset();
  stale.reset();  // its name is gone already; removing it again is harmless
  EXPECT_FALSE(NamedEvent::exists(name));
}

}  // namespace
}  // namespace gw
