// Protocol detection: which device comes out of which UPS.
#include "driver/devices/detect_protocol.h"

#include <gtest/gtest.h>

#include "driver/devices/binary_device.h"
#include "driver/devices/contact_device.h"
#include "driver/devices/text_device.h"
#include "testing/binary_ups_script.h"
#include "testing/fake_clock.h"
#include "testing/fake_media.h"

namespace gw {
namespace {

TEST(DetectProtocolTest, EachKindIsFound) {
  FakeClock clock;
  {
    FakeMedia media;
    scriptBinaryUps(media, "KC-2");
    std::unique_ptr<Device> device = detectDevice(media, clock);
    ASSERT_NE(dynamic_cast<BinaryDevice*>(device.get()), nullptr) << "binary";
    EXPECT_EQ(media.baudRate(), 1200);
  }
  {
    // Nothing answers and DSR is down: the contacts are tried. Idle contacts read high with
    // RTS up and low with it down.
    FakeMedia media;
    media.setLineFunction([](uint32_t out) { return (out & LC_RTS) ? LS_DCD | LS_CTS : 0u; });
    std::unique_ptr<Device> device = detectDevice(media, clock);
    ASSERT_NE(dynamic_cast<ContactDevice*>(device.get()), nullptr) << "contact closure";
    EXPECT_EQ(std::count(media.writes().begin(), media.writes().end(), "F\r"), 1);
  }
  {
    FakeMedia media;
    media.answerAlways("F\r", "#NAK\r");
    media.answerAlways("P4\r", "#TX-1500,1.0,A1,Acme\r");
    std::unique_ptr<Device> device = detectDevice(media, clock);
    ASSERT_NE(dynamic_cast<TextDevice*>(device.get()), nullptr) << "text";
    EXPECT_EQ(media.baudRate(), 2400);
    char model[16];
    size_t size = sizeof(model);
    ASSERT_EQ(device->getText(12, model, &size), RC_OK);
    EXPECT_STREQ(model, "TX-1500");
  }
  {
    // A binary UPS of a model we do not know is not taken for one.
    FakeMedia media;
    scriptBinaryUps(media, "KZ-1");
    EXPECT_EQ(detectDevice(media, clock), nullptr);
  }
  {
    FakeMedia media;  // DSR up, silent
    EXPECT_EQ(detectDevice(media, clock), nullptr);
  }
  {
    FakeMedia media;
    media.setLineStatus(0);  // DSR down, silent, and no contacts either
    EXPECT_EQ(detectDevice(media, clock), nullptr);
    EXPECT_EQ(media.outputs(), 0u);
  }
}

}  // namespace
}  // namespace gw
