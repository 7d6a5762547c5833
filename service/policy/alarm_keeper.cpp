// Switching the UPS alarm to follow the setting.
#include "service/policy/alarm_keeper.h"

namespace gw {

void AlarmKeeper::check(const StatusSnapshot& previous, const StatusSnapshot& current) {
  if (!previous.ok(STATUS_BEEP) || !current.ok(STATUS_BEEP)) return;
  const bool want = settings_.buzzerOn();
  const bool last_want = last_want_.value_or(!want);
  const bool beep_was = previous[STATUS_BEEP].value != 0;
  const bool beep_is = current[STATUS_BEEP].value != 0;
  if (want && ((beep_was && !beep_is) || !last_want)) {
    switchAlarm(true);
  } else if (!want && ((beep_is && !beep_was) || last_want)) {
    switchAlarm(false);
  }
  last_want_ = want;
}

void AlarmKeeper::switchAlarm(bool on) {
  int32_t setting = 0;
  ResultCode rc = device_.getAlarm(&setting);
  if (rc == RC_UNSUPPORTED) {
    // No readable setting: the UPS only offers a toggle.
    (void)device_.toggleBuzzer();  // a refused toggle leaves nothing else to try
    return;
  }
  if (rc != RC_OK) return;
  // Written only when it differs, so that switching on never turns an alarm that is already on
  // off, and the other way round.
  if ((setting != 0) != on) (void)device_.setAlarm(on ? 1 : 0);  // nothing else to try
}

}  // namespace gw
