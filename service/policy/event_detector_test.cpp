// Detection: the connection and first-poll rules, mains and battery, the load and temperature
// limits, and recording by trigger.
#include "service/policy/event_detector.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "service/policy/policy_test_rig.h"

namespace gw {
namespace {

struct Reading {
  bool connect = true;
  bool power_fail = false;
  bool battery_low = false;
  int32_t load = 5000;
  int32_t temp = 3000;
};

StatusSnapshot snapshot(const Reading& r) {
  StatusSnapshot s;
  s[STATUS_CONNECT].value = r.connect ? 1 : 0;
  s[STATUS_POWERFAIL].value = r.power_fail ? 1 : 0;
  s[STATUS_BATTERYLO].value = r.battery_low ? 1 : 0;
  s[STATUS_LOAD].value = r.load;
  s[STATUS_TEMP].value = r.temp;
  return s;
}

class DetectorRig : public PolicyRig {
 public:
  DetectorRig() {
    settings = std::make_unique<ConfigStore>(dir.path(), ids, nullptr);
    detector = std::make_unique<EventDetector>(*engine, host, *settings, &recorder);
  }

  // Detects one poll with the given reading; the previous one is the last poll's.
  std::vector<int> poll(const StatusSnapshot& current) {
    host.notices.clear();
    (void)detector->detect(previous, current);
    previous = current;
    return host.notices;
  }
  std::vector<int> poll(const Reading& r) { return poll(snapshot(r)); }

  StatusRecorder recorder{logs, clock};
  std::unique_ptr<ConfigStore> settings;
  std::unique_ptr<EventDetector> detector;
  StatusSnapshot previous;  // all zero before the first poll
};

using Codes = std::vector<int>;

TEST(EventDetectorTest, StartWithTheUpsNotAnsweringResetsEverythingAndRecordsTheFailure) {
  DetectorRig rig;
  const int64_t at = rig.clock.nowMs();
  rig.engine->happen(EVENT_START);
  StatusSnapshot dead;
  for (auto& e : dead.entries) e.code = RC_PIPE_BROKEN;
  EXPECT_EQ(rig.poll(dead), Codes{2});
  EXPECT_EQ(rig.engine->phase(EVENT_START), PHASE_IDLE);
  ASSERT_TRUE(rig.runFor(1000));
  EXPECT_EQ(rig.eventRecords(), std::vector<std::string>{PolicyRig::record(at, 2)})
      << "no start record: the first poll reset it";
  EXPECT_EQ(rig.soundTimes("", at), (std::vector<int64_t>{0})) << "disconnect beeps";
  EXPECT_TRUE(rig.soundTimes("hello.wav", at).empty());
  // Still not answering: nothing new.
  EXPECT_EQ(rig.poll(dead), Codes{});
  // The UPS answers: the connection is established.
  EXPECT_EQ(rig.poll(Reading{}), Codes{3});
  EXPECT_EQ(rig.engine->phase(EVENT_DISCONNECT), PHASE_RESTORED);
}

TEST(EventDetectorTest, ConnectionNeedsTheConnectFlagAndTheThreeReads) {
  DetectorRig rig;
  EXPECT_EQ(rig.poll(Reading{}), Codes{3}) << "first poll answering: connection established";
  EXPECT_EQ(rig.poll(Reading{}), Codes{});

  const int failing[] = {STATUS_CONNECT, STATUS_POWERFAIL, STATUS_BATTERYLO};
  for (int index : failing) {
    rig.engine->happen(EVENT_LOADOVER);
    StatusSnapshot s = snapshot(Reading{});
    s[index].code = RC_TIMEOUT;
    EXPECT_EQ(rig.poll(s), Codes{2}) << "read " << index << " failing";
    for (size_t e = 0; e < kEventCount; ++e) {
      if (e == EVENT_DISCONNECT) continue;
      EXPECT_EQ(rig.engine->phase(static_cast<EventId>(e)), PHASE_IDLE) << "event " << e;
    }
    EXPECT_EQ(rig.engine->phase(EVENT_DISCONNECT), PHASE_HAPPENED);
    EXPECT_EQ(rig.poll(Reading{}), Codes{3});
  }
  EXPECT_EQ(rig.poll(Reading{.connect = false}), Codes{2}) << "STATUS_CONNECT 0";
  // While disconnected nothing else is detected, even a mains failure.
  EXPECT_EQ(rig.poll(Reading{.connect = false, .power_fail = true}), Codes{});
  EXPECT_EQ(rig.poll(Reading{.power_fail = true}), (Codes{3, 4}));
}

TEST(EventDetectorTest, MainsAndBattery) {
  DetectorRig rig;
  (void)rig.poll(Reading{});
  EXPECT_EQ(rig.poll(Reading{.battery_low = true}), Codes{}) << "low battery on mains";
  EXPECT_EQ(rig.poll(Reading{.power_fail = true, .battery_low = true}), (Codes{4, 6}))
      << "mains fails while the battery is still low";
  EXPECT_EQ(rig.poll(Reading{.power_fail = true, .battery_low = true}), Codes{});
  EXPECT_EQ(rig.poll(Reading{.power_fail = true}), Codes{7}) << "battery recovers on battery";
  EXPECT_EQ(rig.poll(Reading{.power_fail = true, .battery_low = true}), Codes{6});
  EXPECT_EQ(rig.poll(Reading{.battery_low = true}), (Codes{5, 7})) << "mains returns";
  EXPECT_EQ(rig.poll(Reading{}), Codes{});
  EXPECT_EQ(rig.engine->phase(EVENT_POWERFAIL), PHASE_RESTORED);
  EXPECT_EQ(rig.engine->phase(EVENT_BATTERYLOW), PHASE_RESTORED);
}

TEST(EventDetectorTest, LoadLimitStartsAboveMaxAndEndsBelowIt) {
  DetectorRig rig;
  ASSERT_TRUE(rig.settings->setSetting("service.load max=80"));
  (void)rig.poll(Reading{.load = 79});
  EXPECT_EQ(rig.poll(Reading{.load = 81}), Codes{8}) << "79 -> 81";
  EXPECT_EQ(rig.poll(Reading{.load = 80}), Codes{}) << "81 -> 80: equal to max";
  EXPECT_EQ(rig.poll(Reading{.load = 79}), Codes{9}) << "80 -> 79";
  EXPECT_EQ(rig.poll(Reading{.load = 80}), Codes{}) << "79 -> 80";
  EXPECT_EQ(rig.poll(Reading{.load = 81}), Codes{8}) << "80 -> 81 creeping up";

  DetectorRig fresh;
  ASSERT_TRUE(fresh.settings->setSetting("service.load max=80"));
  EXPECT_EQ(fresh.poll(Reading{.load = 81}), (Codes{3, 8})) << "overloaded from the start";
  EXPECT_EQ(fresh.poll(Reading{.load = 80}), Codes{});
  EXPECT_EQ(fresh.poll(Reading{.load = 79}), Codes{9}) << "81 -> 80 -> 79 ends it";
  EXPECT_EQ(fresh.poll(Reading{.load = 78}), Codes{});

  StatusSnapshot failed = snapshot(Reading{.load = 99});
  failed[STATUS_LOAD].code = RC_BAD_REPLY;
  EXPECT_EQ(fresh.poll(failed), Codes{}) << "a failed read is no load";
}

TEST(EventDetectorTest, TemperatureInHundredthsAgainstWholeDegrees) {
  DetectorRig rig;
  (void)rig.poll(Reading{.temp = 6500});
  EXPECT_EQ(rig.poll(Reading{.temp = 7000}), Codes{}) << "70.00 equals the default max 70";
  EXPECT_EQ(rig.poll(Reading{.temp = 7001}), Codes{10});
  EXPECT_EQ(rig.poll(Reading{.temp = 7000}), Codes{});
  EXPECT_EQ(rig.poll(Reading{.temp = 6999}), Codes{11});
  ASSERT_TRUE(rig.settings->setSetting("service.temp max=40"));
  EXPECT_EQ(rig.poll(Reading{.temp = 4001}), Codes{10});
}

TEST(EventDetectorTest, StatusRecordByTriggerOnlyWhenSetAndSomethingHappened) {
  DetectorRig rig;
  (void)rig.poll(Reading{});
  (void)rig.poll(Reading{.power_fail = true});
  EXPECT_EQ(rig.logs.count(LOG_STATUS), 0) << "off by default";
  ASSERT_TRUE(rig.settings->setSetting("service.rec by trigger=1"));
  (void)rig.poll(Reading{.power_fail = true});
  EXPECT_EQ(rig.logs.count(LOG_STATUS), 0) << "nothing detected";
  (void)rig.poll(Reading{});
  EXPECT_EQ(rig.logs.count(LOG_STATUS), 1);
}

}  // namespace
}  // namespace gw
