// The status log's recording grid, its settings, and the rule that a failed read writes nothing.
#include "service/logs/status_recorder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "service/driverlink/status_snapshot.h"
#include "testing/fake_clock.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

constexpr int64_t kPeriod = 600000;

class StatusRecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    status_[STATUS_INVOLT].value = 23000;
    status_[STATUS_OUTVOLT].value = 22900;
    status_[STATUS_CAPACITY].value = 9800;
    status_[STATUS_LOAD].value = 3300;
    status_[STATUS_TEMP].value = 3100;
    status_[STATUS_FREQ].value = 5000;
    status_[STATUS_BACKUP].value = 1800;
  }

  int64_t records() const { return logs_.count(LOG_STATUS); }

  // One main-loop pass; returns the timeout it left.
  uint32_t pass(const RecordingSettings& settings, uint32_t timeout = 0xFFFFFFFFu) {
    recorder_.periodicRecording(status_, settings, timeout);
    return timeout;
  }

  TempDir dir_;
  FakeClock clock_;
  LogStore logs_{dir_.path()};
  StatusRecorder recorder_{logs_, clock_};
  StatusSnapshot status_;
};

TEST_F(StatusRecorderTest, RecordHoldsTheSixValuesStampedWithTheTimeOfWriting) {
  clock_.advance(5000);
  ASSERT_EQ(recorder_.writeStatusRecord(status_), RC_OK);
  EXPECT_EQ(dir_.read("status"), "2002/11/05 17:04:14 23000 22900 09800 03300 5000 03100\r\n");
}

TEST_F(StatusRecorderTest, AnyFailedMeasuredReadWritesNoRecord) {
  RecordingSettings settings;
  settings.rec_by_trigger = true;
  status_[STATUS_TEMP].code = RC_TIMEOUT;
  EXPECT_EQ(recorder_.writeStatusRecord(status_), RC_NOT_AVAILABLE);
  EXPECT_FALSE(recorder_.recordByTrigger(status_, settings)) << "triggered";
  (void)pass(settings);
  EXPECT_EQ(records(), 0) << "periodic, at its grid point";

  status_[STATUS_TEMP].code = RC_OK;
  status_[STATUS_BACKUP].code = RC_NO_DEVICE;  // not stored, but still one of the seven
  EXPECT_EQ(recorder_.writeStatusRecord(status_), RC_NOT_AVAILABLE);
  status_[STATUS_BACKUP].code = RC_OK;
  status_[STATUS_CONNECT].code = RC_PIPE_BROKEN;  // a flag, not a measurement
  status_[STATUS_BEEP].code = RC_UNSUPPORTED;
  EXPECT_EQ(recorder_.writeStatusRecord(status_), RC_OK);
  EXPECT_EQ(records(), 1);
}

TEST_F(StatusRecorderTest, PeriodicRecordsFallOnAFixedGrid) {
  RecordingSettings settings;
  EXPECT_EQ(pass(settings), kPeriod) << "the first pass records at once";
  EXPECT_EQ(records(), 1);

  clock_.advance(kPeriod - 1);
  EXPECT_EQ(pass(settings), 1u);
  EXPECT_EQ(records(), 1);
  clock_.advance(1);
  EXPECT_EQ(pass(settings), kPeriod);
  EXPECT_EQ(records(), 2);

  // A pass that comes three and a half periods late writes one record and keeps the phase.
  clock_.advance(kPeriod * 7 / 2);
  EXPECT_EQ(pass(settings), kPeriod / 2);
  EXPECT_EQ(records(), 3);
  EXPECT_EQ(pass(settings, 40), 40u) << "a lower timeout is never raised";
  EXPECT_EQ(records(), 3);
}

TEST_F(StatusRecorderTest, RateSixHundredThenZeroThenSixHundred) {
  RecordingSettings settings;
  (void)pass(settings);
  ASSERT_EQ(records(), 1);

  settings.record_rate_s = 0;
  for (int i = 0; i < 4; ++i) {
    clock_.advance(kPeriod);
    EXPECT_EQ(pass(settings), 0xFFFFFFFFu) << "off: no deadline of its own";
  }
  EXPECT_EQ(records(), 1) << "rate 0 writes nothing";

  settings.record_rate_s = 600;
  EXPECT_EQ(pass(settings), kPeriod) << "back on: the next record is a full period away";
  EXPECT_EQ(records(), 1);
  clock_.advance(kPeriod - 1);
  (void)pass(settings);
  EXPECT_EQ(records(), 1);
  clock_.advance(1);
  (void)pass(settings);
  EXPECT_EQ(records(), 2);

  settings.rec_by_period = false;
  clock_.advance(kPeriod * 3);
  EXPECT_EQ(pass(settings), 0xFFFFFFFFu);
  EXPECT_EQ(records(), 2) << "\"rec by period\" off behaves as rate 0";
}

TEST_F(StatusRecorderTest, FirstPassWithRecordingOffWaitsAFullPeriodOnceOn) {
  RecordingSettings settings;
  settings.rec_by_period = false;
  (void)pass(settings);
  settings.rec_by_period = true;
  EXPECT_EQ(pass(settings), kPeriod);
  EXPECT_EQ(records(), 0);
}

TEST_F(StatusRecorderTest, TriggeredRecordsFollowTheirSetting) {
  RecordingSettings settings;
  EXPECT_FALSE(recorder_.recordByTrigger(status_, settings)) << "off by default";
  EXPECT_EQ(records(), 0);
  settings.rec_by_trigger = true;
  EXPECT_TRUE(recorder_.recordByTrigger(status_, settings));
  EXPECT_EQ(records(), 1);
}

}  // namespace
}  // namespace gw
