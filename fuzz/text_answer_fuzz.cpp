// The text-protocol UPS's answer parsers: "#" frames of tagged and comma-separated fields,
// numbers in either base, and setting confirmations, each answer taken from the input.
#include "driver/devices/text_device.h"
#include "fuzz/script_media.h"
#include "fuzz/ups_answers.h"
#include "testing/fake_clock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gw::fuzz::FuzzInput input(data, size);
  // The number reader on its own, with a check of a property it promises.
  std::string_view number = input.sized();
  int32_t hundredths = 0;
  if (gw::TextDevice::parseHundredths(number, 10, &hundredths)) {
    GW_FUZZ_CHECK(!number.empty());
  }
  (void)gw::TextDevice::parseHundredths(number, 16, &hundredths);

  gw::FakeClock clock;
  gw::fuzz::ScriptMedia media(input);
  gw::TextDevice device(media, clock);
  for (int round = 0; round < 3 && !input.empty(); ++round) {
    (void)device.poll();  // any code: the answers are the point
    gw::fuzz::readEverything(device);
  }
  gw::fuzz::driveEverything(device, input);
  return 0;
}
