// The driver loop on a fake clock: poll schedule, request assembly, re-detection and the media
// change table, cell by cell.
#include "driver/driver_loop.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "testing/fake_clock.h"
#include "testing/fake_pipe.h"

namespace gw {
namespace {

constexpr int kNone = -100;  // the device cannot report this element

struct DeviceLog {
  std::vector<int64_t> polls;  // clock times, across all devices
  std::vector<std::pair<int, int>> created;
  int destroyed = 0;
};

class LoopDevice final : public Device {
 public:
  LoopDevice(FakeClock& clock, DeviceLog& log, int used_type, int used_index,
             std::vector<ResultCode> polls, ResultCode status_code)
      : clock_(clock), log_(log), used_type_(used_type), used_index_(used_index),
        polls_(std::move(polls)), status_code_(status_code) {}
  ~LoopDevice() override { ++log_.destroyed; }

  ResultCode getStatus(int n, int32_t* value) override {
    if (status_code_ == RC_OK) *value = 40 + n;
    return status_code_;
  }
  ResultCode getNumber(int element, int32_t* value) override {
    int v = element == 23 ? used_type_ : element == 24 ? used_index_ : kNone;
    if (v == kNone) return RC_UNSUPPORTED;
    *value = v;
    return RC_OK;
  }
  ResultCode poll() override {
    log_.polls.push_back(clock_.monotonicMs());
    if (next_ >= polls_.size()) return RC_OK;
    return polls_[next_++];
  }

 private:
  FakeClock& clock_;
  DeviceLog& log_;
  int used_type_, used_index_;
  std::vector<ResultCode> polls_;
  size_t next_ = 0;
  ResultCode status_code_;
};

class LoopSource final : public DeviceSource {
 public:
  LoopSource(FakeClock& clock, DeviceLog& log) : clock_(clock), log_(log) {}
  std::unique_ptr<Device> create(int type, int index) override {
    log_.created.emplace_back(type, index);
    if (fail) return nullptr;
    return std::make_unique<LoopDevice>(clock_, log_, used_type, used_index, polls, status_code);
  }

  int used_type = kNone, used_index = kNone;
  std::vector<ResultCode> polls;  // poll results of each new device
  ResultCode status_code = RC_OK;
  bool fail = false;

 private:
  FakeClock& clock_;
  DeviceLog& log_;
};

class DriverLoopTest : public ::testing::Test {
 protected:
  DriverLoopTest() {
    link_ = std::make_unique<PipeLink>(std::make_unique<FakePipe>(in_, &clock_),
                                       std::make_unique<FakePipe>(out_, &clock_));
  }
  std::unique_ptr<DriverLoop> makeLoop(int type, int index) {
    auto loop = std::make_unique<DriverLoop>(clock_, *link_, source_, type, index);
    EXPECT_TRUE(loop->start());
    return loop;
  }

  FakeClock clock_;
  DeviceLog log_;
  LoopSource source_{clock_, log_};
  std::shared_ptr<FakePipe::Script> in_ = std::make_shared<FakePipe::Script>();
  std::shared_ptr<FakePipe::Script> out_ = std::make_shared<FakePipe::Script>();
  std::unique_ptr<PipeLink> link_;
};

TEST_F(DriverLoopTest, PollsAtOnceThenEveryIntervalWhateverTheRequests) {
  in_->at(100, "S1\n");
  in_->at(2999, "S2\nS3\n");
  in_->at(3002, "S4\n");
  in_->at(7000, "S5\n");
  in_->closeAt(9500);
  auto loop = makeLoop(0, 0);
  loop->run();
  EXPECT_EQ(log_.polls, (std::vector<int64_t>{0, 3000, 6000, 9000}));
  EXPECT_EQ(out_->written, "S1 41\nS2 42\nS3 43\nS4 44\nS5 45\n");
  EXPECT_EQ(log_.created.size(), 1u) << "successful polls keep the device";
}

TEST_F(DriverLoopTest, ARequestWaitingAtStartIsAnsweredAfterTheFirstPoll) {
  in_->at(0, "S7\n");
  in_->closeAt(100);
  auto loop = makeLoop(0, 0);
  loop->run();
  ASSERT_FALSE(log_.polls.empty());
  EXPECT_EQ(log_.polls.front(), 0);
  EXPECT_EQ(out_->written, "S7 47\n");
}

TEST_F(DriverLoopTest, LinesWaitingTogetherAreServedInOrderAndAnsweredInOneWrite) {
  in_->at(100, "S1\nS2\nP0\nS3\n");
  in_->at(200, "S4\nS");
  in_->at(300, "5\n");
  in_->closeAt(400);
  auto loop = makeLoop(0, 0);
  loop->run();
  EXPECT_EQ(out_->written, "S1 41\nS2 42\nP0 2900\nS3 43\nS4 44\nS5 45\n");
  EXPECT_EQ(out_->writes, 3) << "one write per batch of lines that arrived together";
}

TEST_F(DriverLoopTest, ADuePollComesBetweenTwoWaitingLines) {
  // Each status read of this device takes 2 ms of the fake clock and a poll 40 ms, so the batch
  // that arrives at 3035 runs into the poll due at 3040.
  class SlowDevice final : public DeviceSource {
   public:
    SlowDevice(FakeClock& clock, DeviceLog& log) : clock_(clock), log_(log) {}
    std::unique_ptr<Device> create(int, int) override {
      struct Slow final : Device {
        Slow(FakeClock& c, DeviceLog& l) : clock(c), log(l) {}
        ResultCode getStatus(int n, int32_t* value) override {
          clock.advance(2);
          *value = n;
          return RC_OK;
        }
        ResultCode poll() override {
          log.polls.push_back(clock.monotonicMs());
          clock.advance(40);
          return RC_OK;
        }
        FakeClock& clock;
        DeviceLog& log;
      };
      return std::make_unique<Slow>(clock_, log_);
    }
    FakeClock& clock_;
    DeviceLog& log_;
  } slow(clock_, log_);
  in_->at(3035, "S1\nS2\nS3\nP1\nP0\nP2\n");
  in_->closeAt(3500);
  DriverLoop loop(clock_, *link_, slow, 0, 0);
  ASSERT_TRUE(loop.start());
  loop.run();
  EXPECT_EQ(log_.polls, (std::vector<int64_t>{0, 3041}));
  EXPECT_EQ(out_->written, "S1 1\nS2 2\nS3 3\nP1 40\nP0 3000\nP2E 1\n")
      << "the lines after the poll see its duration and the next poll time";
  EXPECT_EQ(out_->writes, 2) << "the replies before the poll go out before it";
}

TEST_F(DriverLoopTest, ALineSplitAcrossAPollIsAnsweredOnceWhenComplete) {
  in_->at(100, "S");
  in_->at(3500, "1");
  in_->at(6500, "2\r\n");
  auto loop = makeLoop(0, 0);
  loop->run();
  EXPECT_EQ(log_.polls, (std::vector<int64_t>{0, 3000, 6000}));
  EXPECT_EQ(out_->written, "S12 52\n");
  EXPECT_EQ(out_->writes, 1) << "the reply goes out in one write";
}

TEST_F(DriverLoopTest, OverlongLinesAreDiscardedAndAnsweredOnce) {
  std::string longest = "S3" + std::string(DriverLoop::kRequestLineMax - 2, ' ');
  in_->at(10, std::string(300, 'S') + "\nS0\n");
  in_->at(20, longest + "\n");
  in_->at(30, longest + "X\n\n");
  auto loop = makeLoop(0, 0);
  loop->run();
  EXPECT_EQ(out_->written, "-1E 1\nS0 40\nS3 43\n-1E 1\n-1E 1\n");
}

TEST_F(DriverLoopTest, FailedPollRedetectsAndPollsTheNewDeviceOnce) {
  source_.polls = {RC_OK, RC_NO_DEVICE};  // each device: fine once, then gone
  in_->closeAt(7000);
  auto loop = makeLoop(2, 1);
  loop->run();
  // 1: ok; 3001: fails, a new device is built and polled at once (ok); 6001: its second poll
  // fails, and again.
  EXPECT_EQ(log_.polls, (std::vector<int64_t>{0, 3000, 3000, 6000, 6000}));
  EXPECT_EQ(log_.created, (std::vector<std::pair<int, int>>{{2, 1}, {2, 1}, {2, 1}}));
  EXPECT_EQ(log_.destroyed, 2) << "each old device goes before its successor is built";
}

TEST_F(DriverLoopTest, LoopEndsWhenNoDeviceCanBeBuiltOrThePipeBreaks) {
  source_.polls = {RC_NO_DEVICE};
  in_->closeAt(100000);
  auto loop = makeLoop(0, 0);
  source_.fail = true;
  loop->run();
  EXPECT_EQ(clock_.monotonicMs(), 0) << "ends right after the first failed poll";

  out_->fail_writes = true;
  in_->at(clock_.monotonicMs() + 10, "S0\n");
  source_.fail = false;
  source_.polls = {};
  auto second = makeLoop(0, 0);
  second->run();
  EXPECT_LT(clock_.monotonicMs(), 1000) << "a failed reply write ends the loop";
}

TEST_F(DriverLoopTest, DeviceCodesNeverSteerTheLoop) {
  for (ResultCode code : {RC_PIPE_BROKEN, RC_TIMEOUT, RC_DEVICE_CHANGED}) {
    source_.status_code = code;
    in_->at(clock_.monotonicMs() + 10, "S7\n");
    auto loop = makeLoop(0, 0);
    ASSERT_EQ(loop->serveRequest(1000), RC_OK) << code;
    EXPECT_EQ(out_->written, "S7E " + std::to_string(code) + "\n");
    out_->written.clear();
  }
}

TEST_F(DriverLoopTest, AnAcceptedMediaChangeRecreatesAtOnceWithTheNewSelection) {
  in_->at(500, "C4 2 1\nC4 0\n");
  in_->closeAt(1000);
  auto loop = makeLoop(0, 0);
  loop->run();
  EXPECT_EQ(out_->written, "C4E 20\nC4E 16\n");
  EXPECT_EQ(log_.created, (std::vector<std::pair<int, int>>{{0, 0}, {2, 1}}));
  EXPECT_EQ(log_.polls, (std::vector<int64_t>{0, 500})) << "the new device is polled once";
  EXPECT_EQ(loop->mediaType(), 2) << "a request without its arguments changes nothing";
  EXPECT_EQ(loop->mediaIndex(), 1);
}

// The table as published, and one selection in force per column (with what the device then
// reports in elements 23 and 24).
const char* const kExpectedTable[6] = {
    "OOOOOOOOOOOX", "XOOOOO*XXXXX", "XVOVOV*XXXXX",
    "OXOXXXXOOO*X", "VXOXXXXVOV*X", "XXOXOXOXOXOO",
};
struct Column {
  int type, index, used_type, used_index;
};
const Column kColumns[12] = {
    {1, 0, 2, 3},   {1, 0, 3, 1},     {1, 0, kNone, kNone}, {3, 0, 3, 2},
    {3, 0, 3, -1},  {3, 2, 3, 2},     {3, 2, 3, -1},        {2, 0, 2, 3},
    {2, 0, 2, -1},  {2, 1, 2, 1},     {2, 1, kNone, kNone}, {0, 0, kNone, kNone},
};
struct Row {
  int type;
  std::vector<int> indexes;  // requested indexes tried for this row
};
const Row kRows[6] = {{1, {0, 3}}, {3, {0}}, {3, {1, 2, 3}},
                      {2, {0}},    {2, {1, 2, 3}}, {0, {0, 5}}};

TEST_F(DriverLoopTest, EveryMediaChangeCellDecidesAsPublished) {
  for (int r = 0; r < 6; ++r) {
    for (int c = 0; c < 12; ++c) {
      for (int index : kRows[r].indexes) {
        const Column& col = kColumns[c];
        source_.used_type = col.used_type;
        source_.used_index = col.used_index;
        auto loop = makeLoop(col.type, col.index);
        std::string request =
            "C4 " + std::to_string(kRows[r].type) + " " + std::to_string(index);
        in_->at(clock_.monotonicMs(), request + "\n");
        out_->written.clear();
        ResultCode rc = loop->serveRequest(100);

        char cell = kExpectedTable[r][c];
        bool recreate = cell == 'X' || (cell == 'V' && index != col.used_index) ||
                        (cell == '*' && index != col.index);
        std::string where = request + " at row " + std::to_string(r) + " column " +
                            std::to_string(c) + " cell " + cell;
        EXPECT_EQ(rc, recreate ? RC_DEVICE_CHANGED : RC_OK) << where;
        EXPECT_EQ(out_->written, recreate ? "C4E 20\n" : "C4E 1\n") << where;
        EXPECT_EQ(loop->mediaType(), kRows[r].type) << where << ": selection always stored";
        EXPECT_EQ(loop->mediaIndex(), index) << where;
      }
    }
  }
}

TEST_F(DriverLoopTest, UnknownMediaTypesCountAsNoUps) {
  struct Case {
    int type, index, used_type, used_index;
    const char* request;
    const char* reply;
  };
  const Case cases[] = {
      {9, 4, kNone, kNone, "C4 2 1", "C4E 20\n"},  // in force: column 11, not element 24
      {9, 4, 2, 2, "C4 2 2", "C4E 20\n"},
      {9, 4, kNone, kNone, "C4 7 0", "C4E 1\n"},   // requested: row 5
      {2, 1, 2, 1, "C4 -3 1", "C4E 20\n"},
  };
  for (const Case& c : cases) {
    source_.used_type = c.used_type;
    source_.used_index = c.used_index;
    auto loop = makeLoop(c.type, c.index);
    in_->at(clock_.monotonicMs(), std::string(c.request) + "\n");
    out_->written.clear();
    (void)loop->serveRequest(100);  // the reply is what is checked
    EXPECT_EQ(out_->written, c.reply) << c.request << " under type " << c.type;
  }
}

}  // namespace
}  // namespace gw
