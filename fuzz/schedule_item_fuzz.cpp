// The schedule item text: what parses writes back as text that parses to the same item, and a
// repeating item advances past any moment in a bounded number of steps.
#include <cstdlib>
#include <ctime>
#include <string>

#include "fuzz/fuzz_input.h"
#include "service/schedule/schedule_item.h"

namespace {

// Local time is UTC here, so that a run does not depend on the machine's zone.
const bool kZoneSet = [] {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  return true;
}();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)kZoneSet;
  gw::fuzz::FuzzInput input(data, size);
  // A moment between 1970 and about 2100 to advance past.
  int64_t now = 0;
  for (int i = 0; i < 4; ++i) now = now << 8 | input.byte();
  now = now * 1000 % (4102444800LL * 1000);
  std::string line(input.rest());

  gw::ScheduleItem item;
  if (!gw::ScheduleItem::parse(line, &item)) return 0;
  std::string text = item.text();
  gw::ScheduleItem again;
  GW_FUZZ_CHECK(gw::ScheduleItem::parse(text, &again));
  GW_FUZZ_CHECK(again == item);

  gw::ScheduleItem moved = item;
  if (moved.advancePast(now)) {
    GW_FUZZ_CHECK(moved.repeats());
    GW_FUZZ_CHECK(moved.start > now);
    if (moved.repeat == gw::REPEAT_WEEKLY && item.start <= now) {
      GW_FUZZ_CHECK(moved.end >= moved.start);
    }
  } else {
    GW_FUZZ_CHECK(moved == item);
  }
  return 0;
}
