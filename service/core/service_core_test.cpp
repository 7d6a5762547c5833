// The service object: the files its stop writes back, the order it writes them in, how a file
// that cannot be written is reported, and a run whose driver cannot start.
#include "service/core/service_core.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "testing/fake_clock.h"
#include "testing/fake_command_runner.h"
#include "testing/recording_sound_player.h"
#include "testing/recording_system_log.h"
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
    env.sound = std::make_unique<RecordingSoundPlayer>(clock_);
    env.commands = std::make_unique<FakeCommandRunner>();
    env.log = &log_;
    return env;
  }

  std::filesystem::file_time_type written(const std::string& name) {
    return std::filesystem::last_write_time(dir_.file(name));
  }

  FakeClock clock_;
  TempDir dir_;
  RecordingSystemLog log_;
  ErrorReporter errors_{log_};
};

TEST_F(ServiceCoreTest, TheStopWritesTheSettingsFilesInOrderAndDestructionWritesNothing) {
  {
    ServiceCore core(environment());
    core.saveSettings(errors_);
    for (const char* name : {"schedule", "protect", "policy"}) {
      EXPECT_TRUE(dir_.exists(name)) << name;
    }
    EXPECT_FALSE(dir_.exists("access")) << "the client server never loaded the accounts";
    EXPECT_LE(written("schedule"), written("protect"));
    EXPECT_LE(written("protect"), written("policy"));
    std::filesystem::remove(dir_.file("policy"));
  }
  EXPECT_FALSE(dir_.exists("policy")) << "written again on destruction";
  EXPECT_TRUE(log_.errors.empty());
}

TEST_F(ServiceCoreTest, AFileThatCannotBeWrittenIsReportedAndTheOthersAreStillWritten) {
  // A directory where a file should go: the write fails even for root.
  for (const char* name : {"schedule", "policy"}) {
    ASSERT_TRUE(std::filesystem::create_directory(dir_.file(name)));
  }
  ServiceCore core(environment());
  ASSERT_TRUE(core.policy().setPolicy("powerfail.shutdown.happen.delay=45"));
  core.saveSettings(errors_);
  ASSERT_EQ(log_.errors.size(), 2u);
  EXPECT_EQ(log_.errors[0].rfind("NorvaneUPS error: ", 0), 0u) << log_.errors[0];
  EXPECT_EQ(log_.errors[0].find("error: 0|"), std::string::npos) << "the write's own code";
  EXPECT_EQ(log_.errors[0].substr(log_.errors[0].find('|') + 1), dir_.file("schedule"));
  EXPECT_EQ(log_.errors[1].substr(log_.errors[1].find('|') + 1), dir_.file("policy"));
  EXPECT_NE(dir_.read("protect").find("powerfail.shutdown.happen.delay=45"), std::string::npos)
      << "the file between the two failures is written";
}

TEST_F(ServiceCoreTest, ChangedSettingsSurviveARestart) {
  {
    ServiceCore core(environment());
    ASSERT_TRUE(core.settings().setSetting("service.polling rate=5000"));
    ASSERT_TRUE(core.policy().setPolicy("powerfail.shutdown.happen.delay=45"));
    core.saveSettings(errors_);
  }
  ServiceCore again(environment());
  EXPECT_EQ(again.settings().pollingRate(), 5000u);
  std::string text = "powerfail.shutdown.happen.delay";
  ASSERT_TRUE(again.policy().getPolicy(&text));
  EXPECT_EQ(text, "powerfail.shutdown.happen.delay=45");
}

TEST_F(ServiceCoreTest, WithoutTheDriverTheRunFailsAtOnceSaysWhyAndRecordsNothing) {
  {
    ServiceCore core(environment());
    EXPECT_FALSE(core.run(errors_));
    EXPECT_EQ(core.shutdownRequest(), -1);
    EXPECT_EQ(core.clientPort(), 0) << "no client server without a driver";
  }
  EXPECT_EQ(dir_.read("event"), "");
  ASSERT_EQ(log_.errors.size(), 1u);
  EXPECT_EQ(log_.errors[0],
            "NorvaneUPS error: 2|starting the driver " + dir_.file("no-such-porter"));
}

TEST_F(ServiceCoreTest, ATakenClientPortFailsTheRunAndSaysWhich) {
  std::unique_ptr<TcpListener> squatter;
  ASSERT_EQ(listenTcp(kAnyAddress, 0, &squatter), RC_OK);
  dir_.writeScript("porter", "exec sleep 30\n");  // a driver that starts and stays
  ServiceEnvironment env = environment();
  env.driver_path = dir_.file("porter");
  env.client_port = squatter->localPort();
  ServiceCore core(std::move(env));
  EXPECT_FALSE(core.run(errors_));
  ASSERT_EQ(log_.errors.size(), 1u);
  EXPECT_EQ(log_.errors[0], "NorvaneUPS error: 2|listening for clients on TCP port " +
                                std::to_string(squatter->localPort()));
}

TEST_F(ServiceCoreTest, RefusedSettingsLinesAreReportedOnceAtTheStart) {
  dir_.write("policy", "service.polling rate=1500\ngarbage\n");
  dir_.write("protect", "");
  dir_.write("schedule", "1 1 2099/01/01 4 10:00:00 2099/01/01 4 10:00:00\n");
  ServiceCore core(environment());
  EXPECT_FALSE(core.run(errors_));  // no driver: the files are told of before that
  ASSERT_EQ(log_.errors.size(), 2u);
  EXPECT_EQ(log_.errors[0],
            "NorvaneUPS error: 4|policy: line 2 refused; the original is kept as "
            "policy.rejected");
  EXPECT_TRUE(dir_.exists("policy.rejected"));
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
