// The simulated UPS's HID reports: answers cut into input reports, the feature report's
// signals both ways, and the reports it refuses.
#include "sim/sim_hid_ups.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/media/media.h"
#include "testing/fake_clock.h"

namespace gw {
namespace {

using Bytes = std::vector<uint8_t>;

class SimHidUpsTest : public ::testing::Test {
 protected:
  SimHidUpsTest() {
    EXPECT_EQ(SimUps::create(clock_, UpsKind::kBinary, "KD-9", &ups_), RC_OK);
    hid_ = std::make_unique<SimHidUps>(*ups_, 0xFFF0, 0x0001);
  }
  void send(char c) {
    const Bytes out = {3, 1, static_cast<uint8_t>(c)};
    ASSERT_EQ(hid_->output(out.data(), out.size()), RC_OK);
  }

  FakeClock clock_;
  std::unique_ptr<SimUps> ups_;
  std::unique_ptr<SimHidUps> hid_;
};

TEST_F(SimHidUpsTest, AnAnswerLongerThanOneReportComesInSeveralInOrder) {
  send('D');
  Bytes report;
  EXPECT_FALSE(hid_->takeInput(&report)) << "no answer before the command is complete";
  send('\r');
  std::string answer;
  std::vector<int> counts;
  while (hid_->takeInput(&report)) {
    ASSERT_EQ(report.size(), SimHidUps::kInputLength);
    ASSERT_EQ(report[0], SimHidUps::kInputReport);
    ASSERT_LE(report[1], SimHidUps::kInputBytes);
    counts.push_back(report[1]);
    answer.append(report.begin() + 2, report.begin() + 2 + report[1]);
  }
  EXPECT_EQ(counts, (std::vector<int>{8, 6})) << "the 14-byte status answer";
  EXPECT_EQ(answer.size(), 14u);
  EXPECT_EQ(answer.back(), '\r');
  const Bytes nothing = {3, 0, 'X'};
  ASSERT_EQ(hid_->output(nothing.data(), nothing.size()), RC_OK) << "a report without data";
  EXPECT_FALSE(hid_->takeInput(&report));
}

TEST_F(SimHidUpsTest, TheFeatureReportCarriesRateAndSignalsBothWays) {
  Bytes report;
  ASSERT_EQ(hid_->getFeature(1, &report), RC_OK);
  EXPECT_EQ(report, (Bytes{1, 0, 0, 0, 1, 1, 0, 1})) << "a data UPS presents CTS, DSR, DCD";
  const Bytes set = {1, 1, 1, 0, 0, 0, 1, 0};
  ASSERT_EQ(hid_->setFeature(set.data(), set.size()), RC_OK);
  EXPECT_EQ(hid_->lineRate(), 2400);
  EXPECT_EQ(ups_->outputLines(), LC_DTR);
  ASSERT_EQ(hid_->getFeature(1, &report), RC_OK);
  EXPECT_EQ(report, (Bytes{1, 1, 1, 0, 1, 1, 0, 1})) << "the UPS's own signals are not writable";

  ups_->setCablePulled(true);
  EXPECT_FALSE(hid_->plugged());
  ASSERT_EQ(hid_->getFeature(1, &report), RC_OK);
  EXPECT_EQ(report[5], 0) << "no DSR from a UPS that is not there";
}

TEST_F(SimHidUpsTest, ReportsThatMakeNoSenseAreRefused) {
  Bytes report;
  EXPECT_EQ(hid_->getFeature(2, &report), RC_NOT_AVAILABLE);
  const Bytes refused[] = {{1, 7, 0, 0, 0, 0, 0, 0}, {2, 0, 0, 0, 0, 0, 0, 0}, {1, 0, 1}};
  for (const Bytes& r : refused) EXPECT_EQ(hid_->setFeature(r.data(), r.size()), RC_BAD_VALUE);
  const Bytes outputs[] = {{3, 2, 'D'}, {1, 1, 'D'}, {3, 1}};
  for (const Bytes& r : outputs) EXPECT_EQ(hid_->output(r.data(), r.size()), RC_BAD_VALUE);
  EXPECT_EQ(hid_->lineRate(), 1200);
  EXPECT_EQ(ups_->log().entries().size(), 0u) << "nothing reached the UPS";
}

}  // namespace
}  // namespace gw
