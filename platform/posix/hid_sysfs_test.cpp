// Listing hidraw nodes from a sysfs tree laid out in a temporary directory, and the system
// bus's simulated-device and failure paths.
#include "platform/posix/hid_sysfs.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/hid.h"
#include "platform/posix/hidraw_device.h"
#include "testing/temp_dir.h"

namespace gw::posix {
namespace {

void addNode(const TempDir& dir, const std::string& name, const std::string& uevent) {
  std::filesystem::create_directories(dir.file("class/" + name + "/device"));
  std::ofstream(dir.file("class/" + name + "/device/uevent")) << uevent;
}

std::string hidId(const char* id) {
  return std::string("DRIVER=hid-generic\nHID_ID=") + id + "\nHID_NAME=Some UPS\n";
}

TEST(HidSysfsTest, UeventIdsAreReadStrictly) {
  uint16_t v = 0, p = 0;
  ASSERT_TRUE(parseHidUevent(hidId("0003:0000FFF0:00000001"), &v, &p));
  EXPECT_EQ(v, 0xFFF0);
  EXPECT_EQ(p, 0x0001);
  ASSERT_TRUE(parseHidUevent("HID_ID=0003:0000abcd:0000Ef01\n", &v, &p));
  EXPECT_EQ(v, 0xABCD);
  EXPECT_EQ(p, 0xEF01);
  for (const char* bad : {"HID_NAME=x\n", "HID_ID=0003:0000FFF0\n", "HID_ID=0003:0001FFF0:1\n",
                          "HID_ID=0003: 00FFF0:1\n", "HID_ID=0003:0x12:1\n", "HID_ID=::\n",
                          "HID_ID=0003:123456789:1\n"}) {
    EXPECT_FALSE(parseHidUevent(bad, &v, &p)) << bad;
  }
}

TEST(HidSysfsTest, MatchingNodesComeInNodeNumberOrder) {
  TempDir dir;
  addNode(dir, "hidraw10", hidId("0003:0000FFF0:00000001"));
  addNode(dir, "hidraw2", hidId("0003:0000FFF0:00000001"));
  addNode(dir, "hidraw3", hidId("0003:0000FFF0:00000002"));  // another product
  addNode(dir, "hidraw4", "garbage");
  std::filesystem::create_directories(dir.file("class/hidraw5"));  // no uevent at all
  addNode(dir, "hidrawX", hidId("0003:0000FFF0:00000001"));      // not a node name
  addNode(dir, "hidraw0", hidId("0005:0000FFF0:00000001"));      // on another bus, same ids
  std::vector<HidDeviceInfo> found;
  ASSERT_EQ(listHidrawNodes(dir.file("class"), "/dev", 0xFFF0, 0x0001, &found), RC_OK);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].path, "/dev/hidraw0");
  EXPECT_EQ(found[1].path, "/dev/hidraw2");
  EXPECT_EQ(found[2].path, "/dev/hidraw10") << "10 after 2, not between 1 and 2";
  EXPECT_EQ(found[2].vendor_id, 0xFFF0);

  ASSERT_EQ(listHidrawNodes(dir.file("no-such-class"), "/dev", 0xFFF0, 1, &found), RC_OK);
  EXPECT_TRUE(found.empty()) << "no hidraw support loaded is no device";
}

TEST(HidSysfsTest, TheSystemBusListsOnlyTheNamedSimulatorsAndOpensNothingElse) {
  TempDir dir;
  ::setenv(kHidSimulatorVariable, (dir.file("a.hid") + ":" + dir.file("b.hid")).c_str(), 1);
  std::vector<HidDeviceInfo> found{{"stale", 1, 1}};
  EXPECT_EQ(systemHidBus().enumerate(0xFFF0, 1, &found), RC_OK);
  EXPECT_TRUE(found.empty()) << "simulators that do not run are unplugged devices";
  ::unsetenv(kHidSimulatorVariable);

  std::unique_ptr<HidDevice> device;
  dir.write("plain", "x");
  EXPECT_EQ(systemHidBus().open(dir.file("plain"), &device), RC_NOT_AVAILABLE);
  EXPECT_EQ(systemHidBus().open(dir.file("missing"), &device), RC_NOT_AVAILABLE);
  EXPECT_FALSE(device);
}

TEST(HidSysfsTest, ACharacterDeviceThatIsNoHidNodeFailsCleanly) {
  std::unique_ptr<HidDevice> device;
  ASSERT_EQ(HidrawDevice::open("/dev/null", &device), RC_OK);
  std::vector<uint8_t> descriptor;
  EXPECT_EQ(device->reportDescriptor(&descriptor), RC_LINE_FAILURE);
  uint8_t buffer[8];
  size_t got = 0;
  EXPECT_EQ(device->getFeature(1, buffer, sizeof buffer, &got), RC_LINE_FAILURE);
  EXPECT_EQ(device->getFeature(1, buffer, 0, &got), RC_BUFFER_TOO_SMALL);
}

}  // namespace
}  // namespace gw::posix
