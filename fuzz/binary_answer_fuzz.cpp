// The binary-protocol UPS's answer parsers: status frames, registers, identity and commands,
// each answer taken from the input.
#include "driver/devices/binary_device.h"
#include "fuzz/script_media.h"
#include "fuzz/ups_answers.h"
#include "testing/fake_clock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gw::fuzz::FuzzInput input(data, size);
  gw::FakeClock clock;
  gw::fuzz::ScriptMedia media(input);
  gw::BinaryDevice device(media, clock);
  for (int round = 0; round < 3 && !input.empty(); ++round) {
    (void)device.poll();  // any code: the answers are the point
    gw::fuzz::readEverything(device);
  }
  gw::fuzz::driveEverything(device, input);
  return 0;
}
