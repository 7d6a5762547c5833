// A mains failure on a USB HID UPS reaches monsvc's event log: the service starts porter with
// media type 3, porter loads libpmx.so from the service's directory, and the simulated UPS's
// failure is recorded as on a serial cable.
#include <gtest/gtest.h>

#include <string>

#include "testing/ups_suite_run.h"

namespace gw {
namespace {

TEST(ServiceHidTest, AMainsFailureOverUsbIsRecorded) {
  UpsSuiteRun run;
  std::string error;
  ASSERT_TRUE(run.startSimulator(&error, true)) << error;
  // No sound and no shutdown within the test: only the record.
  ASSERT_TRUE(run.startService("powerfail.shutdown.happen.delay=600\n", &error)) << error;
  ASSERT_TRUE(UpsSuiteRun::waitUntil([&] { return !run.events("003").empty(); }, 30000))
      << "no \"connection established\" record; event log:\n"
      << run.dir.read("event");
  EXPECT_EQ(run.simulator("mains fail"), "OK mains off");
  ASSERT_TRUE(UpsSuiteRun::waitUntil([&] { return !run.events("004").empty(); }, 20000))
      << "no power-failure record; event log:\n"
      << run.dir.read("event");
  EXPECT_EQ(run.simulator("mains restore"), "OK mains on");
  ASSERT_TRUE(UpsSuiteRun::waitUntil([&] { return !run.events("005").empty(); }, 20000))
      << "no power-restore record";
  ASSERT_TRUE(run.stopService(15000)) << "monsvc did not stop on request";
  for (const std::string& line : run.lines("order")) {
    EXPECT_EQ(line.rfind("sound", 0), 0u) << "nothing but sounds ran: " << line;
  }
}

}  // namespace
}  // namespace gw
