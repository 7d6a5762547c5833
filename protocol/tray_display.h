// What the tray shows for the service: one of four icons and a tip text, and how each event
// code changes them. The service keeps this state for new subscribers; montray shows it.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace gw {

// Icon resource ids.
inline constexpr int kIconNormal = 120;
inline constexpr int kIconCommunicationLost = 116;
inline constexpr int kIconPowerFailure = 117;
inline constexpr int kIconBatteryLow = 118;

// The tip shown before any event has set one.
inline constexpr std::string_view kFirstTip = "UPS Service.";

// One row of the event display: the icon and the tip an event code puts up.
struct TrayEventRow {
  int code;
  int icon;
  std::string_view tip;
};

// The rows in code order; codes without a row (0, 1, 8 and up) leave the tray as it is.
inline constexpr TrayEventRow kTrayEventRows[] = {
    {2, kIconCommunicationLost, "Can't communication with UPS !"},
    {3, kIconNormal, "UPS Communication established."},
    {4, kIconPowerFailure, "UPS Power failure."},
    {5, kIconNormal, "UPS Power restore to normal."},
    {6, kIconBatteryLow, "UPS Battery low."},
    {7, kIconNormal, "UPS Battery retore to normal."},
};

// The row for an event code, or null when the code changes nothing in the tray.
const TrayEventRow* trayEventRow(int code);

// True for one of the four icon ids.
bool isTrayIcon(int icon);

// Every event code below this one also brings a running management client to the front.
inline constexpr int kRaiseClientBelowCode = 11;

// The tray's current icon and tip. A new display shows the normal icon and the first tip, as
// the icon looks when it is first added.
class TrayDisplay {
 public:
  TrayDisplay() = default;
  TrayDisplay(int icon, std::string tip) : icon_(icon), tip_(std::move(tip)) {}

  // Applies the event display row of `code`. Returns false, changing nothing, for a code
  // without a row.
  bool applyEvent(int code);

  int icon() const { return icon_; }
  const std::string& tip() const { return tip_; }

  bool operator==(const TrayDisplay&) const = default;

 private:
  int icon_ = kIconNormal;
  std::string tip_{kFirstTip};
};

}  // namespace gw
