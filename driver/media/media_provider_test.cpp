// The provider loads the bridge library by path and hands out opened media of each type.
#include "driver/media/media_provider.h"

#include <gtest/gtest.h>

#include "testing/fake_clock.h"

namespace gw {
namespace {

ResultCode noPorts(int, std::unique_ptr<SerialPort>*) { return RC_NOT_AVAILABLE; }

TEST(MediaProviderTest, UsbMediaComeFromTheBridgeLibraryWhenItIsThere) {
  FakeClock clock;
  MediaProvider provider(clock, GW_FAKE_BRIDGE_PATH, noPorts);
  ASSERT_TRUE(provider.usbAvailable());

  MediaPtr usb = provider.createMedia(kMediaUsb, 2);
  ASSERT_NE(usb, nullptr);
  EXPECT_EQ(usb->mediaType(), kMediaUsb);
  EXPECT_EQ(usb->index(), 2);
  const uint8_t d[] = {'D', '\r'};
  EXPECT_EQ(usb->write(d, 2), 2) << "the object made in the library must be callable";
  uint8_t back[kMediaReadAllMax];
  EXPECT_EQ(usb->read(back, -1), 2);

  EXPECT_EQ(provider.createMedia(kMediaUsb, 3), nullptr) << "open failure gives no media";
  EXPECT_EQ(provider.createMedia(kMediaSerial, 1), nullptr) << "no serial port opens here";
  EXPECT_EQ(provider.createMedia(0, 1), nullptr);
  EXPECT_EQ(provider.createMedia(7, 1), nullptr);
}

TEST(MediaProviderTest, WithoutTheBridgeUsbIsSimplyUnavailable) {
  FakeClock clock;
  MediaProvider missing(clock, "/nonexistent/libpmx.so", noPorts);
  EXPECT_FALSE(missing.usbAvailable());
  EXPECT_EQ(missing.createMedia(kMediaUsb, 1), nullptr);

  MediaProvider none(clock, "", noPorts);
  EXPECT_FALSE(none.usbAvailable());

  // A library that loads but lacks the export is no bridge either.
  MediaProvider wrong(clock, "libm.so.6", noPorts);
  EXPECT_FALSE(wrong.usbAvailable());
  EXPECT_EQ(wrong.createMedia(kMediaUsb, 1), nullptr);
}

TEST(MediaProviderTest, LinksNeedBothEnds) {
  FakeClock clock;
  MediaProvider provider(clock, "", noPorts);
  EXPECT_EQ(provider.createLink(nullptr, nullptr), nullptr);
}

}  // namespace
}  // namespace gw
