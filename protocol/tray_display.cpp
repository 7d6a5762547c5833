// The event display table's lookups.
#include "protocol/tray_display.h"

namespace gw {

const TrayEventRow* trayEventRow(int code) {
  for (const TrayEventRow& row : kTrayEventRows) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

bool isTrayIcon(int icon) {
  return icon == kIconNormal || icon == kIconCommunicationLost || icon == kIconPowerFailure ||
         icon == kIconBatteryLow;
}

bool TrayDisplay::applyEvent(int code) {
  const TrayEventRow* row = trayEventRow(code);
  if (row == nullptr) return false;
  icon_ = row->icon;
  tip_ = std::string(row->tip);
  return true;
}

}  // namespace gw
