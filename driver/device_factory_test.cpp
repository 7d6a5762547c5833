// The factory tries the candidates of each selection in order, keeps the media of the detected
// device, and falls back to the no-UPS device.
#include "driver/device_factory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/devices/null_device.h"
#include "testing/fake_clock.h"

namespace gw {
namespace {

struct MediaLog {
  std::vector<MediaCandidate> opened;
  int released = 0;
};

class CountingMedia final : public Media {
 public:
  CountingMedia(MediaLog& log, int type, int index) : log_(log) {
    media_type_ = type;
    index_ = index;
  }
  bool open(int) override { return true; }
  int write(const uint8_t*, int) override { return 0; }
  int read(uint8_t*, int) override { return 0; }
  bool setBaudRate(int) override { return true; }
  bool getLineStatus(uint32_t*) override { return false; }
  bool setLines(uint32_t, bool) override { return true; }
  void release() override {
    ++log_.released;
    delete this;
  }

 private:
  ~CountingMedia() override = default;
  MediaLog& log_;
};

// Ports listed in `present` open; others do not.
class ListedProvider final : public MediaProvider {
 public:
  ListedProvider(Clock& clock, MediaLog& log) : MediaProvider(clock, ""), log_(log) {}
  MediaPtr createMedia(int type, int index) override {
    for (const MediaCandidate& c : present) {
      if (c.media_type == type && c.index == index) {
        log_.opened.push_back(c);
        return MediaPtr(new CountingMedia(log_, type, index));
      }
    }
    return nullptr;
  }
  std::vector<MediaCandidate> present;

 private:
  MediaLog& log_;
};

// A detected device: remembers which media it sits on.
class FoundDevice final : public Device {
 public:
  explicit FoundDevice(Media& m) : type(m.mediaType()), index(m.index()) {}
  int type, index;
};

TEST(DeviceFactoryTest, CandidateOrderForEverySelection) {
  using C = std::vector<MediaCandidate>;
  const C com1to4 = {{2, 1}, {2, 2}, {2, 3}, {2, 4}};
  EXPECT_EQ(DeviceFactory::candidates(1, 0), (C{{2, 1}, {2, 2}, {2, 3}, {2, 4}, {3, 1}}));
  EXPECT_EQ(DeviceFactory::candidates(1, 7), DeviceFactory::candidates(1, 0)) << "index ignored";
  EXPECT_EQ(DeviceFactory::candidates(2, 0), com1to4);
  EXPECT_EQ(DeviceFactory::candidates(2, 6), (C{{2, 6}}));
  EXPECT_EQ(DeviceFactory::candidates(3, 0), (C{{3, 1}}));
  EXPECT_EQ(DeviceFactory::candidates(3, 2), (C{{3, 2}}));
  EXPECT_TRUE(DeviceFactory::candidates(0, 1).empty());
  EXPECT_TRUE(DeviceFactory::candidates(4, 1).empty());
  EXPECT_TRUE(DeviceFactory::candidates(-1, 1).empty());
  EXPECT_TRUE(DeviceFactory::candidates(2, -1).empty());
  EXPECT_TRUE(DeviceFactory::candidates(3, -2).empty());
}

TEST(DeviceFactoryTest, SettlesOnTheFirstPortWhereAUpsIsDetected) {
  FakeClock clock;
  MediaLog log;
  ListedProvider provider(clock, log);
  // COM1 missing, COM2 opens but nothing answers, COM3 has the UPS, COM4 never tried.
  provider.present = {{2, 2}, {2, 3}, {2, 4}};
  std::vector<int> asked;
  DeviceFactory factory(provider, [&](Media& m) -> std::unique_ptr<Device> {
    asked.push_back(m.index());
    if (m.index() != 3) return nullptr;
    return std::make_unique<FoundDevice>(m);
  });

  std::unique_ptr<Device> device = factory.create(2, 0);
  auto* found = dynamic_cast<FoundDevice*>(device.get());
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->index, 3);
  EXPECT_EQ(asked, (std::vector<int>{2, 3}));
  EXPECT_EQ(log.released, 1) << "the undetected COM2 is released at once";
  ASSERT_NE(factory.media(), nullptr);
  EXPECT_EQ(factory.media()->index(), 3) << "the factory keeps the detected device's media";

  device.reset();
  std::unique_ptr<Device> none = factory.create(3, 0);
  EXPECT_EQ(log.released, 2) << "the next create releases the media in use";
  EXPECT_NE(dynamic_cast<NullDevice*>(none.get()), nullptr) << "no USB: the no-UPS device";
  EXPECT_EQ(factory.media(), nullptr);
  none.reset();

  provider.present.push_back({3, 1});
  device = factory.create(1, 0);
  found = dynamic_cast<FoundDevice*>(device.get());
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->index, 3) << "automatic: COM3 comes before USB device 1";
}

}  // namespace
}  // namespace gw
