// The UPS alarm kept in step with the setting: when it is switched, how, and when not at all.
#include "service/policy/alarm_keeper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/config/notice_id_counter.h"
#include "testing/fake_driver_channel.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

class AlarmKeeperTest : public ::testing::Test {
 protected:
  AlarmKeeperTest() {
    channel.setHandler([this](const std::string& request) {
      if (request == "R7") return r7_reply;
      return request;  // W7 n and C3 succeed with their echo
    });
  }

  // One check with the given beeper reading; the previous one is the last check's.
  void poll(int32_t beep, bool beep_ok = true) {
    StatusSnapshot s;
    s[STATUS_BEEP].value = beep;
    if (!beep_ok) s[STATUS_BEEP].code = RC_PIPE_BROKEN;
    keeper.check(previous, s);
    previous = s;
  }

  TempDir dir;
  NoticeIdCounter ids;
  ConfigStore settings{dir.path(), ids, nullptr};
  FakeDriverChannel channel;
  DeviceProxy proxy{channel};
  AlarmKeeper keeper{settings, proxy};
  StatusSnapshot previous;  // all zero and read before the first check
  std::string r7_reply = "R7 0";
};

TEST_F(AlarmKeeperTest, AlarmFollowsTheSetting) {
  poll(0);
  EXPECT_EQ(channel.requests(), (std::vector<std::string>{"R7", "W7 1"}))
      << "first check: switch on";
  channel.clearRequests();
  poll(0);
  EXPECT_TRUE(channel.requests().empty()) << "nothing changed";

  // The beeper fell silent while wanted: switch on, but an alarm already on is left alone.
  poll(1);
  channel.clearRequests();
  r7_reply = "R7 1";
  poll(0);
  EXPECT_EQ(channel.requests(), std::vector<std::string>{"R7"});

  // Switched off by the setting.
  channel.clearRequests();
  ASSERT_TRUE(settings.setSetting("service.buzzer on=0"));
  poll(0);
  EXPECT_EQ(channel.requests(), (std::vector<std::string>{"R7", "W7 0"}));

  // Beeping again while unwanted, on a UPS without a readable setting: toggle.
  channel.clearRequests();
  r7_reply = "R7E 1";
  poll(1);
  EXPECT_EQ(channel.requests(), (std::vector<std::string>{"R7", "C3"}));

  // Another read failure writes nothing.
  channel.clearRequests();
  r7_reply = "R7E 8";
  poll(0);
  ASSERT_TRUE(settings.setSetting("service.buzzer on=1"));
  poll(0);
  EXPECT_EQ(channel.requests(), std::vector<std::string>{"R7"});

  // Without both beeper reads there is no check at all.
  channel.clearRequests();
  ASSERT_TRUE(settings.setSetting("service.buzzer on=0"));
  poll(0, false);
  EXPECT_TRUE(channel.requests().empty());
}

}  // namespace
}  // namespace gw
