// The closer in the service's shutdown, end to end: a simulated UPS loses mains past the policy
// delay, monsvc runs the real sweeper in an Xvfb session with our test programs before it tells
// the UPS to switch off, and after a restart "monctl log saved" lists the file that was saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/process.h"
#include "platform/paths.h"
#include "testing/temp_dir.h"
#include "testing/ups_suite_run.h"
#include "testing/x_session.h"

namespace gw {
namespace {

std::string binDir() { return std::getenv("GW_BIN_DIR"); }

// Runs "monctl log saved" against the service; retries while the service is still starting.
std::string monctlLogSaved(uint16_t port) {
  for (int attempt = 0; attempt < 40; ++attempt) {
    SpawnOptions o;
    o.program = binDir() + "/monctl";
    o.args = {"log", "saved"};
    o.extra_env = {{"GRIDWATCH_PORT", std::to_string(port)}};
    o.pipe_stdout = true;
    std::unique_ptr<ChildProcess> monctl;
    if (spawnProcess(o, &monctl) != RC_OK) return "(monctl not started)";
    std::unique_ptr<Pipe> out = monctl->takeStdout();
    std::string text;
    char buf[1024];
    size_t got = 0;
    while (out->read(buf, sizeof buf, 10000, &got) == RC_OK) text.append(buf, got);
    int code = -1;
    if (monctl->wait(10000, &code) != RC_OK) monctl->terminate();
    if (code == 0) return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  return "(no answer)";
}

TEST(CloserServiceTest, AMainsFailureClosesTheApplicationsBeforeTheUpsIsToldAndLogsTheSave) {
  TempDir desk;
  XSession session(desk);
  ASSERT_TRUE(session.ok()) << "Xvfb and jwm did not come up";
  const std::string home = desk.file("home");
  std::filesystem::create_directories(home);
  // The service hands its own home to the closer, whose default save folder is PCTemp there.
  ::setenv("HOME", home.c_str(), 1);

  std::vector<std::unique_ptr<ChildProcess>> apps;
  auto app = [&](std::vector<std::string> args) -> ChildProcess& {
    SpawnOptions o;
    o.program = executableDirectory() + "/closer_test_app";
    o.args = std::move(args);
    o.extra_env = session.env();
    std::unique_ptr<ChildProcess> child;
    EXPECT_EQ(spawnProcess(o, &child), RC_OK);
    apps.push_back(std::move(child));
    return *apps.back();
  };
  ChildProcess& report = app({"--mode", "save", "--title", "Report - Editor"});
  ChildProcess& letter = app({"--mode", "ask", "--title", "Letter", "--answer", "key"});
  ChildProcess& notes = app({"--mode", "close", "--title", "Notes"});
  ASSERT_TRUE(session.waitForClients(3));

  // The real closer with its library, started by the service's recording stand-in.
  const std::string closer_dir = desk.file("closer");
  std::filesystem::create_directories(closer_dir);
  std::filesystem::copy_file(binDir() + "/sweeper", closer_dir + "/sweeper");
  std::filesystem::copy_file(binDir() + "/libsweeper.so", closer_dir + "/libsweeper.so");
  UpsSuiteRun run;
  run.closer_display = session.display();
  run.closer_program = closer_dir + "/sweeper";
  std::string error;
  ASSERT_TRUE(run.startSimulator(&error)) << error;
  ASSERT_TRUE(run.startService("powerfail.shutdown.happen.delay=4\n"
                               "start.sound.restore.max count=0\n",
                               &error))
      << error;
  ASSERT_TRUE(UpsSuiteRun::waitUntil([&] { return !run.events("003").empty(); }, 30000))
      << "no connection record:\n" << run.dir.read("event");
  EXPECT_EQ(run.simulator("mains fail"), "OK mains off");
  ASSERT_TRUE(UpsSuiteRun::waitUntil(
      [&] {
        auto order = run.lines("order");
        return std::find(order.begin(), order.end(), "shutdown ups=1") != order.end();
      },
      60000))
      << "no system shutdown after the UPS command; order:\n" << run.dir.read("order");

  std::vector<std::string> order = run.lines("order");
  order.erase(std::remove_if(order.begin(), order.end(),
                             [](const std::string& l) { return l.rfind("sound", 0) == 0; }),
              order.end());
  EXPECT_EQ(order, (std::vector<std::string>{"sweeper ups=0", "sweeper done ups=0",
                                             "shutdown ups=1"}))
      << "the closer runs, and ends, before the UPS is told";
  EXPECT_TRUE(session.waitForClients(0, 2000)) << session.clients().size() << " windows left";
  for (ChildProcess* p : {&report, &letter, &notes}) {
    int code = -1;
    EXPECT_EQ(p->wait(5000, &code), RC_OK);
    EXPECT_EQ(code, 0);
  }
  const std::string saved_file = home + "/PCTemp/temp0000";
  std::ifstream saved_in(saved_file);
  std::string document;
  std::getline(saved_in, document);
  EXPECT_EQ(document, "document of Report - Editor");
  EXPECT_EQ(run.dir.read("saved"), "Report - Editor\t" + saved_file + "\r\n");
  EXPECT_FALSE(run.dir.exists("saved.closer"));
  EXPECT_TRUE(run.waitForServiceExit(15000)) << "the run ends after the shutdown";

  // After the power is back, the user asks what was saved.
  EXPECT_EQ(run.simulator("mains restore"), "OK mains on");
  ASSERT_TRUE(run.startService("", &error)) << error;
  EXPECT_EQ(monctlLogSaved(run.port()), "Report - Editor\t" + saved_file + "\n");
  EXPECT_TRUE(run.stopService(15000));
}

}  // namespace
}  // namespace gw
