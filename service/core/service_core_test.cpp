// The service object: the files it writes back and the order it writes them in, and a run
// whose driver cannot start.
#include "service/core/service_core.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/fake_clock.h"
#include "testing/fake_command_runner.h"
#include "testing/fake_sound_player.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

class ServiceCoreTest : public ::testing::Test {
 protected:
  ServiceEnvironment environment() {
    ServiceEnvironment env;
    env.clock = &clock_;
    env.data_dir = dir_.path();
    env.driver_path = dir_.file("no-such-porter");
    env.client_port = 0;
    env.sound = std::make_unique<FakeSoundPlayer>();
    env.commands = std::make_unique<FakeCommandRunner>();
    return env;
  }

  std::filesystem::file_time_type written(const std::string& name) {
    return std::filesystem::last_write_time(dir_.file(name));
  }

  FakeClock clock_;
  TempDir dir_;
};

TEST_F(ServiceCoreTest, DestructionWritesTheSettingsFilesInOrder) {
  { ServiceCore core(environment()); }
  for (const char* name : {"schedule", "protect", "policy"}) {
    EXPECT_TRUE(dir_.exists(name)) << name;
  }
  EXPECT_LE(written("schedule"), written("protect"));
  EXPECT_LE(written("protect"), written("policy"));
}

TEST_F(ServiceCoreTest, ChangedSettingsSurviveARestart) {
  {
    ServiceCore core(environment());
    ASSERT_TRUE(core.settings().setSetting("service.polling rate=5000"));
    ASSERT_TRUE(core.policy().setPolicy("powerfail.shutdown.happen.delay=45"));
  }
  ServiceCore again(environment());
  EXPECT_EQ(again.settings().pollingRate(), 5000u);
  std::string text = "powerfail.shutdown.happen.delay";
  ASSERT_TRUE(again.policy().getPolicy(&text));
  EXPECT_EQ(text, "powerfail.shutdown.happen.delay=45");
}

TEST_F(ServiceCoreTest, WithoutTheDriverTheRunEndsAtOnceAndRecordsNothing) {
  {
    ServiceCore core(environment());
    core.run();
    EXPECT_EQ(core.shutdownRequest(), -1);
    EXPECT_EQ(core.clientPort(), 0) << "no client server without a driver";
  }
  EXPECT_EQ(dir_.read("event"), "");
}

TEST_F(ServiceCoreTest, ShutdownRequestsAreNeverWithdrawn) {
  ServiceCore core(environment());
  core.requestShutdown(0);
  EXPECT_EQ(core.shutdownRequest(), 0);
  core.requestShutdown(-1);
  EXPECT_EQ(core.shutdownRequest(), 0) << "a negative delay must not cancel a shutdown";
}

}  // namespace
}  // namespace gw
