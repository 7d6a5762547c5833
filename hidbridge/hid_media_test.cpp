// HidMedia against a scripted HID device on a fake clock: opening, paced writes, timed reads,
// line rate and line signals.
#include "hidbridge/hid_media.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/sim_hid_ups.h"
#include "testing/fake_clock.h"
#include "testing/fake_hid_bus.h"
#include "testing/fake_hid_device.h"

namespace gw {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint16_t kVendor = 0x1111;
constexpr uint16_t kProduct = 0x2222;

// An input report of the simulated UPS's layout carrying `text`; `count` overrides its count.
Bytes inputReport(const std::string& text, int count = -1) {
  Bytes r(SimHidUps::kInputLength, 0);
  r[0] = SimHidUps::kInputReport;
  r[1] = static_cast<uint8_t>(count >= 0 ? count : static_cast<int>(text.size()));
  for (size_t i = 0; i < text.size() && i < SimHidUps::kInputBytes; ++i) {
    r[2 + i] = static_cast<uint8_t>(text[i]);
  }
  return r;
}

class HidMediaTest : public ::testing::Test {
 protected:
  HidMediaTest() : device_(clock_, SimHidUps::descriptorBytes()) {
    // Rate 1200, DTR off, RTS off, CTS, DSR and DCD on, no ring.
    device_.setFeatureReport({1, 0, 0, 0, 1, 1, 0, 1});
    bus_.add({"/dev/hidraw3", kVendor, kProduct}, &device_);
    bus_.add({"/dev/hidraw4", kVendor, 0x9999}, &device_);  // another product: never counted
    media_ = HidMedia::create(clock_, bus_, kVendor, kProduct);
  }

  void open() { ASSERT_TRUE(media_->open(1)); }
  std::string readAll() {
    uint8_t buffer[kMediaReadAllMax];
    int n = media_->read(buffer, -1);
    return std::string(reinterpret_cast<char*>(buffer), static_cast<size_t>(n > 0 ? n : 0));
  }
  int64_t now() const { return clock_.monotonicMs(); }

  FakeClock clock_;
  FakeHidDevice device_;
  FakeHidBus bus_;
  MediaPtr media_;
};

TEST_F(HidMediaTest, OpensTheNthMatchingDeviceAndKeepsIndexOne) {
  EXPECT_EQ(media_->mediaType(), kMediaUsb);
  EXPECT_EQ(media_->index(), 1);
  EXPECT_EQ(media_->charDelayMs(), 50);
  EXPECT_EQ(media_->readTimeoutMs(), 120);
  EXPECT_EQ(static_cast<HidMedia*>(media_.get())->writeWaitMs(), 50);

  EXPECT_FALSE(media_->open(2)) << "one matching device only";
  EXPECT_FALSE(media_->open(0));
  EXPECT_TRUE(bus_.openedPaths().empty()) << "nothing was opened for a device that is not there";
  ASSERT_TRUE(media_->open(1));
  EXPECT_EQ(bus_.openedPaths(), std::vector<std::string>{"/dev/hidraw3"});
  EXPECT_EQ(device_.flushes(), 1) << "the input queue is emptied at open";
  EXPECT_EQ(media_->index(), 1);
  EXPECT_FALSE(media_->open(1)) << "a media opens once";
}

TEST_F(HidMediaTest, OpenFailsCleanlyOnADeviceThatCannotServe) {
  FakeHidDevice broken(clock_, {0x06, 0x01, 0xFF, 0xA1, 0x01});  // a collection never ended
  FakeHidDevice silent(clock_, SimHidUps::descriptorBytes());   // no feature report to read
  FakeHidDevice mute(clock_, SimHidUps::descriptorBytes());
  mute.failDescriptor(true);
  for (FakeHidDevice* d : {&broken, &silent, &mute}) {
    FakeHidBus bus;
    bus.add({"/dev/hidraw0", kVendor, kProduct}, d);
    MediaPtr media = HidMedia::create(clock_, bus, kVendor, kProduct);
    EXPECT_FALSE(media->open(1));
    uint8_t byte = 'D';
    EXPECT_EQ(media->write(&byte, 1), 0) << "nothing stays half open";
    uint32_t flags = 0;
    EXPECT_FALSE(media->getLineStatus(&flags));
  }
  bus_.failEnumerate(true);
  EXPECT_FALSE(media_->open(1));
}

TEST_F(HidMediaTest, WritePacesOneReportPerByteWithNoPauseAfterTheLast) {
  open();
  const int64_t start = now();
  const uint8_t command[] = {'D', '\r', 'X'};
  ASSERT_EQ(media_->write(command, 3), 3);
  ASSERT_EQ(device_.outputs().size(), 3u);
  EXPECT_EQ(device_.outputs()[0].report, (Bytes{3, 1, 'D'}));
  EXPECT_EQ(device_.outputs()[1].report, (Bytes{3, 1, '\r'}));
  EXPECT_EQ(device_.outputs()[0].at_ms, start);
  EXPECT_EQ(device_.outputs()[1].at_ms, start + 50);
  EXPECT_EQ(device_.outputs()[2].at_ms, start + 100);
  EXPECT_EQ(now(), start + 100) << "no pause after the last byte";
  EXPECT_EQ(device_.flushes(), 2) << "a write empties the input queue first";

  device_.refuseOutputsAfter(4);
  EXPECT_EQ(media_->write(command, 3), 1) << "the first refused report ends the write";
  EXPECT_EQ(media_->write(command, 0), 0);
}

TEST_F(HidMediaTest, ReadAllTakesEveryReportUntil120MsPassWithoutOne) {
  open();
  const int64_t start = now();
  device_.queueInput(0, inputReport("#KD"));
  device_.queueInput(100, inputReport("-9 "));
  device_.queueInput(200, inputReport("12345678"));
  device_.queueInput(330, inputReport("late"));  // 130 ms after the one before
  EXPECT_EQ(readAll(), "#KD-9 12345678");
  EXPECT_EQ(now(), start + 320) << "the last report, then 120 ms of quiet";
  EXPECT_EQ(readAll(), "late") << "the late report is still queued";
  EXPECT_EQ(now(), start + 330 + 120);
  EXPECT_EQ(readAll(), "");
  EXPECT_EQ(now(), start + 330 + 240) << "a silent line returns after one time-out";
}

TEST_F(HidMediaTest, AnEmptyOrOverlongReportEndsTheRead) {
  open();
  device_.queueInput(0, inputReport("AB"));
  device_.queueInput(10, inputReport("", 0));
  device_.queueInput(20, inputReport("CD"));
  EXPECT_EQ(readAll(), "AB") << "a report with 0 bytes ends the read";
  EXPECT_EQ(readAll(), "CD");

  device_.queueInput(0, inputReport("EF"));
  device_.queueInput(10, inputReport("GHIJKLMN", 9));  // claims more than its 8 bytes
  device_.queueInput(20, inputReport("OP"));
  uint8_t buffer[16];
  EXPECT_EQ(media_->read(buffer, 10), 2) << "the overlong report ends the read";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 2), "EF");

  device_.queueInput(0, Bytes{9, 1, 'x'});  // a report id the device does not have
  EXPECT_EQ(readAll(), "OP") << "a report of an id the device lacks ends the read";
}

TEST_F(HidMediaTest, ACountedReadStopsAtItsCountAndKeepsTheRestForTheNextRead) {
  open();
  device_.queueInput(0, inputReport("1234567"));
  device_.queueInput(10, inputReport("89"));
  uint8_t buffer[16];
  ASSERT_EQ(media_->read(buffer, 3), 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "123");
  EXPECT_EQ(device_.inputsLeft(), 1u) << "the count was reached inside the first report";
  ASSERT_EQ(media_->read(buffer, 6), 6);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 6), "456789");

  device_.queueInput(0, inputReport("stale"));
  ASSERT_EQ(media_->read(buffer, 2), 2);
  const uint8_t d = 'D';
  ASSERT_EQ(media_->write(&d, 1), 1);
  EXPECT_EQ(readAll(), "") << "a write drops the rest of an earlier answer";
}

TEST_F(HidMediaTest, BaudRateIsAFeatureFieldForTheSevenRatesOnly) {
  open();
  ASSERT_TRUE(media_->setBaudRate(2400));
  ASSERT_EQ(device_.featuresSent().size(), 1u);
  const Bytes& sent = device_.featuresSent()[0].report;
  ASSERT_EQ(sent.size(), SimHidUps::kFeatureLength);
  EXPECT_EQ(sent[0], 1) << "feature report 1";
  EXPECT_EQ(sent[1], 1) << "usage 2 = 1 for 2400 baud";

  EXPECT_FALSE(media_->setBaudRate(19200));
  EXPECT_FALSE(media_->setBaudRate(0));
  EXPECT_EQ(device_.featuresSent().size(), 1u) << "nothing sent for a rate the device lacks";

  const int rates[] = {1200, 2400, 4800, 9600, 14400, 28800, 57600};
  for (int i = 0; i < 7; ++i) {
    ASSERT_TRUE(media_->setBaudRate(rates[i])) << rates[i];
    EXPECT_EQ(device_.featuresSent().back().report[1], i) << rates[i];
  }
}

TEST_F(HidMediaTest, LineStatusMapsTheFeatureFields) {
  open();
  uint32_t flags = 0;
  ASSERT_TRUE(media_->getLineStatus(&flags));
  EXPECT_EQ(flags, LS_CTS | LS_DSR | LS_DCD);
  device_.setFeatureReport({1, 0, 1, 1, 0, 0, 1, 0});
  ASSERT_TRUE(media_->getLineStatus(&flags)) << "read afresh every time";
  EXPECT_EQ(flags, LS_RING | 0x08u | 0x40u) << "the DTR and RTS states show as 0x08 and 0x40";
  device_.setFeatureReport({1, 0, 1});  // cut short: the signals cannot be read
  EXPECT_FALSE(media_->getLineStatus(&flags));
}

TEST_F(HidMediaTest, SetLinesRefusesItsMasksAndSendsDtrAndRts) {
  open();
  for (uint32_t mask : {0x01u, 0x02u, 0x10u, 0x20u, 0x80u, 0x100u, 0x09u, 0x00u, 0x200u}) {
    EXPECT_FALSE(media_->setLines(mask, true)) << std::hex << mask;
  }
  EXPECT_TRUE(device_.featuresSent().empty()) << "a refused mask changes nothing";

  ASSERT_TRUE(media_->setLines(LC_DTR, true));
  EXPECT_EQ(device_.featuresSent().back().report, (Bytes{1, 0, 1, 0, 1, 1, 0, 1}));
  ASSERT_TRUE(media_->setLines(LC_RTS, true));
  EXPECT_EQ(device_.featuresSent().back().report[3], 1);
  ASSERT_TRUE(media_->setLines(LC_DTR | LC_RTS, false));
  EXPECT_EQ(device_.featuresSent().back().report[2], 0);
  EXPECT_EQ(device_.featuresSent().back().report[3], 0);
  const size_t before = device_.featuresSent().size();
  EXPECT_TRUE(media_->setLines(LC_BREAK, true)) << "break is accepted";
  EXPECT_EQ(device_.featuresSent().size(), before + 1);
  EXPECT_EQ(device_.featuresSent().back().report[2], 0) << "and changes no field";
}

TEST_F(HidMediaTest, ADescriptorWithoutAUsageFailsOnlyWhatNeedsIt) {
  // The UPS descriptor without its line-rate field: usage 2 becomes constant padding.
  Bytes descriptor = SimHidUps::descriptorBytes();
  ASSERT_EQ(descriptor[19], 0xB1);
  descriptor[20] = 0x01;
  FakeHidDevice no_rate(clock_, descriptor);
  no_rate.setFeatureReport({1, 0, 0, 0, 1, 1, 0, 1});
  FakeHidBus bus;
  bus.add({"/dev/hidraw0", kVendor, kProduct}, &no_rate);
  MediaPtr media = HidMedia::create(clock_, bus, kVendor, kProduct);
  ASSERT_TRUE(media->open(1));
  EXPECT_FALSE(media->setBaudRate(1200));
  uint32_t flags = 0;
  EXPECT_TRUE(media->getLineStatus(&flags));
  EXPECT_TRUE(media->setLines(LC_DTR, true));
}

}  // namespace
}  // namespace gw
