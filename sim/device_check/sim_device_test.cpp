// The driver's detection and devices talking to the simulator through SimMedia: each protocol,
// every binary model, the power events and the commands as the UPS receives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "driver/devices/detect_protocol.h"
#include "sim/binary_responder.h"
#include "sim/contact_responder.h"
#include "sim/sim_controller.h"
#include "sim/sim_media.h"
#include "sim/sim_ups.h"
#include "testing/fake_clock.h"

namespace gw {
namespace {

class SimDeviceTest : public ::testing::Test {
 protected:
  void start(UpsKind kind, const std::string& model) {
    device_.reset();
    media_.reset();
    ASSERT_EQ(SimUps::create(clock_, kind, model, &ups_), RC_OK) << model;
    control_ = std::make_unique<SimController>(*ups_);
    media_.reset(SimMedia::create(*ups_));
    ASSERT_TRUE(media_->open(1));
    device_ = detectDevice(*media_, clock_);
    ASSERT_TRUE(device_) << "nothing detected for " << model;
  }

  std::string text(int element) {
    char buf[64] = {};
    size_t size = sizeof buf;
    ResultCode rc = device_->getText(element, buf, &size);
    return rc == RC_OK ? std::string(buf) : "E" + std::to_string(rc);
  }
  int32_t status(int n) {
    int32_t v = -1;
    ResultCode rc = device_->getStatus(n, &v);
    return rc == RC_OK ? v : -1000 - rc;
  }
  void control(const std::string& line) {
    ASSERT_EQ(control_->execute(line).substr(0, 2), "OK") << line;
  }

  FakeClock clock_;
  std::unique_ptr<SimUps> ups_;
  std::unique_ptr<SimController> control_;
  std::unique_ptr<SimMedia, MediaReleaser> media_;
  std::unique_ptr<Device> device_;
};

TEST_F(SimDeviceTest, EveryBinaryModelIsIdentifiedAndReadsSensibleValues) {
  for (const std::string& name : upsProfileNames(UpsKind::kBinary)) {
    SCOPED_TRACE(name);
    start(UpsKind::kBinary, name);
    const UpsProfile& p = ups_->model().profile();
    EXPECT_EQ(text(12), name);
    EXPECT_EQ(text(13), "3.A10");
    ASSERT_EQ(device_->poll(), RC_OK);
    EXPECT_NEAR(status(0), p.nominal_volts * 100, 250) << "input voltage";
    EXPECT_NEAR(status(1), p.nominal_volts * 100, 250) << "output voltage";
    EXPECT_NEAR(status(3), 2500, 400) << "load";
    EXPECT_NEAR(status(2), 10000, 300) << "capacity";
    EXPECT_NEAR(status(4), 3000, 150) << "temperature";
    EXPECT_NEAR(status(5), p.nominal_hz * 100, 40) << "frequency";
    EXPECT_GT(status(6), 0) << "backup time";
    EXPECT_EQ(status(7), 0);
    EXPECT_EQ(status(8), 0);

    control("mains fail");
    ASSERT_EQ(device_->poll(), RC_OK);
    EXPECT_EQ(status(7), 1) << "power failure";
    EXPECT_LT(status(0), 1000) << "no input";
    control("battery low");
    ASSERT_EQ(device_->poll(), RC_OK);
    EXPECT_EQ(status(8), 1) << "battery low";
  }
}

TEST_F(SimDeviceTest, AliasNameIdentifiesItsModel) {
  start(UpsKind::kBinary, "RO43");
  EXPECT_EQ(device_->poll(), RC_OK);
  int32_t index = 0;
  EXPECT_EQ(device_->getNumber(33, &index), RC_OK);
  EXPECT_EQ(index, 24);
}

TEST_F(SimDeviceTest, BinaryCommandsReachTheUpsAsTheirBytes) {
  start(UpsKind::kBinary, "KB-2");
  ASSERT_EQ(device_->poll(), RC_OK);
  ups_->log().clear();
  EXPECT_EQ(device_->selfTest(40), RC_OK);
  EXPECT_TRUE(ups_->model().selfTestRunning());
  EXPECT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(9), 1) << "self-test running";
  EXPECT_EQ(status(7), 0) << "the test's failure flag is cleared for this family";
  EXPECT_EQ(device_->sleep(60, 120), RC_OK);
  EXPECT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(10), 1) << "waiting to sleep";
  EXPECT_EQ(device_->shutdown(-1), RC_OK);
  EXPECT_FALSE(ups_->model().waitingToSleep());
  EXPECT_EQ(device_->toggleBuzzer(), RC_OK);
  EXPECT_FALSE(ups_->model().alarmEnabled());
  // In order, with the polls' "D" and any register reads in between.
  std::vector<std::string> want = {"T\\xff\\x0d", "S\\x01\\xcaR\\x00\\x05^\\x0d", "CS\\x0d",
                                   "B\\x0d"};
  size_t next = 0;
  for (const std::string& e : ups_->log().entries()) {
    if (next < want.size() && e == want[next]) ++next;
  }
  EXPECT_EQ(next, want.size()) << "missing from the UPS's record: "
                               << want[std::min(next, want.size() - 1)];
}

TEST_F(SimDeviceTest, BinarySettingWriteIsStoredInTheUpsRegister) {
  start(UpsKind::kBinary, "KA-2");  // line class 3: INPUTHI 255..265, code 0 = 260
  int32_t hi = 0;
  ASSERT_EQ(device_->getSetting(0, 0, &hi), RC_OK);
  EXPECT_EQ(hi, 260);
  ASSERT_EQ(device_->setSetting(0, 263), RC_OK);
  EXPECT_EQ(ups_->binary()->registerValue(2), 3);
}

TEST_F(SimDeviceTest, TextUpsIsDetectedAndPolled) {
  start(UpsKind::kText, "KT-1000");
  EXPECT_EQ(text(12), "KT-1000");
  EXPECT_EQ(text(15), "Norvane");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(0), 23000);
  EXPECT_EQ(status(2), 10000);
  EXPECT_EQ(status(3), 2500);
  EXPECT_EQ(status(5), 5000);
  EXPECT_EQ(status(6), 2160) << "100 % of 2 x 7.2 Ah at 25 % load";
  EXPECT_EQ(status(7), 0);
  control("mains fail");
  control("battery low");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(7), 1);
  EXPECT_EQ(status(8), 1);
  EXPECT_EQ(status(13), 1) << "beeping";

  ups_->log().clear();
  EXPECT_EQ(device_->selfTest(90), RC_OK);
  EXPECT_EQ(device_->shutdown(30), RC_OK);
  EXPECT_EQ(device_->setSetting(2, 5), RC_UNSUPPORTED) << "the UPS refuses 5";
  EXPECT_EQ(device_->setSetting(2, 30), RC_OK);
  // A refusal is an answer: not repeated.
  std::vector<std::string> want = {"T01\\x0d", "S.2\\x0d", "C4:05\\x0d", "C4:30\\x0d"};
  std::vector<std::string> got = ups_->log().entries();
  EXPECT_EQ(got, want);
}

TEST_F(SimDeviceTest, HexTextUpsIsReadInBaseSixteen) {
  start(UpsKind::kText, "KT-3000H");
  control("temp 31.5");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(0), 23000);
  EXPECT_EQ(status(2), 10000);
  EXPECT_EQ(status(3), 2500);
  EXPECT_EQ(status(4), 3150);
  EXPECT_EQ(status(5), 5000);
}

TEST_F(SimDeviceTest, ContactUpsSignalsPowerFailureAndBatteryLowOnTheLines) {
  start(UpsKind::kContact, "");
  EXPECT_EQ(text(12), "Generic UPS");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(12), 1);
  EXPECT_EQ(status(7), 0);
  EXPECT_EQ(status(8), 0);
  control("mains fail");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(7), 1);
  EXPECT_EQ(status(8), 0);
  control("battery low");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(7), 1);
  EXPECT_EQ(status(8), 1);
  control("mains restore");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(7), 0);
  EXPECT_EQ(status(8), 0) << "battery low only together with power failure";

  control("battery ok");
  ASSERT_EQ(device_->poll(), RC_OK);
  control("cable pull");
  EXPECT_EQ(device_->poll(), RC_NO_DEVICE) << "both contacts open and the line test fails";
}

TEST_F(SimDeviceTest, ContactShutdownOnBatteryKillsTheOutput) {
  start(UpsKind::kContact, "");
  control("mains fail");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(device_->shutdown(0), RC_OK);
  ups_->tick();  // the UPS looks at its lines continually
  EXPECT_FALSE(ups_->model().outputOn());
}

TEST_F(SimDeviceTest, LoopbackCableIsNotTakenForAContactUps) {
  ASSERT_EQ(SimUps::create(clock_, UpsKind::kContact, "", &ups_), RC_OK);
  ups_->contact()->setDsrFollowsDtr(true);
  media_.reset(SimMedia::create(*ups_));
  EXPECT_FALSE(detectDevice(*media_, clock_));
}

TEST_F(SimDeviceTest, GarbledAnswersAreRetriedThenFailTheirRequest) {
  start(UpsKind::kBinary, "KD-2");
  ASSERT_EQ(device_->poll(), RC_OK);
  control("fault garble on");
  ups_->log().clear();
  EXPECT_EQ(device_->poll(), RC_BAD_REPLY);
  EXPECT_EQ(ups_->log().entries(), (std::vector<std::string>{"D\\x0d", "D\\x0d", "D\\x0d"}))
      << "three attempts";
  control("fault garble off");
  EXPECT_EQ(device_->poll(), RC_OK);

  start(UpsKind::kText, "KT-2000");
  ASSERT_EQ(device_->poll(), RC_OK);
  control("fault garble on");
  EXPECT_EQ(device_->poll(), RC_BAD_REPLY) << "no final CR";
}

TEST_F(SimDeviceTest, PulledCableOnADataUpsFailsThePoll) {
  start(UpsKind::kBinary, "KC-1");
  ASSERT_EQ(device_->poll(), RC_OK);
  control("cable pull");
  EXPECT_EQ(device_->poll(), RC_NO_DEVICE) << "DSR down: no UPS";
  control("cable plug");
  EXPECT_EQ(device_->poll(), RC_OK);
}

}  // namespace
}  // namespace gw
