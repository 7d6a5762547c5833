// The program's entry logic against a fake service host: instance check, "-start", the state
// reports around the run, and the error reporter.
#include "service/core/service_program.h"

#include <gtest/gtest.h>

#include "testing/recording_system_log.h"

namespace gw {
namespace {

class FakeHost : public ServiceHost {
 public:
  void installStopControl(std::atomic<bool>* stop) override { stop_ = stop; }
  bool reportState(ServiceState state, unsigned) override {
    states.push_back(state);
    return fail_reports_after < 0 || static_cast<int>(states.size()) <= fail_reports_after;
  }
  bool acquireSingleInstance(const std::string& name) override {
    marker = name;
    return !other_instance;
  }
  void startInstalledService(const std::string& name) override { started.push_back(name); }

  std::atomic<bool>* stop_ = nullptr;
  std::vector<ServiceState> states;
  std::vector<std::string> started;
  std::string marker;
  bool other_instance = false;
  int fail_reports_after = -1;
};

class CountingBody : public ServiceBody {
 public:
  explicit CountingBody(int* runs, std::vector<std::string>* steps = nullptr,
                        bool starts = true)
      : runs_(runs), steps_(steps), starts_(starts) {}
  bool run(ErrorReporter& errors) override {
    ++*runs_;
    if (steps_) steps_->push_back("run");
    if (!starts_) errors.report("starting the driver /data/porter", 2);
    return starts_;
  }
  void saveSettings(ErrorReporter& errors) override {
    if (steps_) steps_->push_back("save");
    errors.report("/data/policy", 13);
  }
  std::atomic<bool>& stopFlag() override { return stop_; }

 private:
  int* runs_;
  std::vector<std::string>* steps_;
  bool starts_;
  std::atomic<bool> stop_{false};
};

using S = ServiceState;

TEST(ServiceProgramTest, RunsWithTheStateReportsInOrder) {
  FakeHost host;
  RecordingSystemLog log;
  int runs = 0;
  EXPECT_EQ(runServiceProgram({}, host, log, [&] { return std::make_unique<CountingBody>(&runs); }), 0);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(host.marker, "Gridwatch Plus Service");
  EXPECT_EQ(host.states, (std::vector<S>{S::kStartPending, S::kStartPending, S::kStartPending,
                                         S::kRunning, S::kStopPending, S::kStopped}));
  EXPECT_EQ(log.errors, std::vector<std::string>{"NorvaneUPS error: 13|/data/policy"})
      << "the save's failure goes to the system log";
}

TEST(ServiceProgramTest, ARunThatCannotStartEndsTheProgramWithAFailure) {
  FakeHost host;
  RecordingSystemLog log;
  int runs = 0;
  std::vector<std::string> steps;
  EXPECT_EQ(runServiceProgram(
                {}, host, log,
                [&] { return std::make_unique<CountingBody>(&runs, &steps, false); }),
            1)
      << "a service manager restarts a service that failed, not one that stopped";
  EXPECT_EQ(steps, (std::vector<std::string>{"run", "save"}));
  EXPECT_EQ(log.errors.front(), "NorvaneUPS error: 2|starting the driver /data/porter");
  EXPECT_EQ(host.states.back(), S::kStopped);
}

TEST(ServiceProgramTest, TheSaveFollowsTheRunAndAlsoASkippedOne) {
  for (int fail_after : {-1, 2}) {
    FakeHost host;
    host.fail_reports_after = fail_after;
    RecordingSystemLog log;
    int runs = 0;
    std::vector<std::string> steps;
    (void)runServiceProgram({}, host, log,
                            [&] { return std::make_unique<CountingBody>(&runs, &steps); });
    EXPECT_EQ(steps, fail_after < 0 ? (std::vector<std::string>{"run", "save"})
                                    : (std::vector<std::string>{"save"}));
  }
}

TEST(ServiceProgramTest, ASecondCopyLeavesAtOnce) {
  FakeHost host;
  host.other_instance = true;
  RecordingSystemLog log;
  int runs = 0;
  EXPECT_EQ(runServiceProgram({}, host, log, [&] { return std::make_unique<CountingBody>(&runs); }), 0);
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(host.states.empty());
}

TEST(ServiceProgramTest, StartInAnyCaseAsksTheServiceManager) {
  for (const char* word : {"-start", "-START", "-StArT"}) {
    FakeHost host;
    RecordingSystemLog log;
    int runs = 0;
    EXPECT_EQ(runServiceProgram({word}, host, log, [&] { return std::make_unique<CountingBody>(&runs); }), 0);
    EXPECT_EQ(host.started, std::vector<std::string>{"NorvaneUPS"}) << word;
    EXPECT_EQ(runs, 0);
  }
  FakeHost host;
  RecordingSystemLog log;
  int runs = 0;
  EXPECT_EQ(runServiceProgram({"-start", "now"}, host, log, [&] { return std::make_unique<CountingBody>(&runs); }), 2);
  EXPECT_TRUE(host.started.empty());
  EXPECT_EQ(runs, 0);
}

TEST(ServiceProgramTest, AFailedReportIsLoggedAndSkipsTheRun) {
  FakeHost host;
  host.fail_reports_after = 2;  // the third START_PENDING fails
  RecordingSystemLog log;
  int runs = 0;
  (void)runServiceProgram({}, host, log, [&] { return std::make_unique<CountingBody>(&runs); });
  EXPECT_EQ(runs, 0);
  ASSERT_FALSE(log.errors.empty());
  EXPECT_EQ(log.errors[0], "NorvaneUPS error: 1|SetServiceStatus");
  EXPECT_EQ(host.states.back(), S::kStopped);
}

TEST(ServiceProgramTest, NoServiceObjectMeansStoppedWithoutARun) {
  FakeHost host;
  RecordingSystemLog log;
  (void)runServiceProgram({}, host, log, [] { return std::unique_ptr<ServiceBody>(); });
  EXPECT_EQ(host.states, (std::vector<S>{S::kStartPending, S::kStopped}));
}

}  // namespace
}  // namespace gw
