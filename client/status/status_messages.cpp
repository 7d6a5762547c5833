// The message table, checked in its order, and the message line's timer rule.
#include "client/status/status_messages.h"

#include <array>

#include "client/status/display_record.h"

namespace gw {
namespace {

struct MessageRow {
  uint32_t bit;
  bool set_now;  // true: the bit was clear and is set; false: it was set and is clear
  StatusMessage message;
};

constexpr MessageKind kInfo = MessageKind::kInformation;
constexpr MessageKind kAlarm = MessageKind::kAlarm;

constexpr std::array<MessageRow, 14> kMessageTable = {{
    {kFlagCommLost, false, {"UPS communication established.", kInfo, CommChange::kUp}},
    {kFlagSelfTest, false, {"UPS testing finished.", kInfo, CommChange::kNone}},
    {kFlagSelfTest, true, {"UPS Self testing.", kAlarm, CommChange::kNone}},
    {kFlagTurnOffSoon, true, {"UPS will shutdown system.", kAlarm, CommChange::kNone}},
    {kFlagTurnOffSoon, false, {"Schedule shutdown is canceled.", kInfo, CommChange::kNone}},
    {kFlagTempHigh, false, {"UPS temperature recover to normal.", kInfo, CommChange::kNone}},
    {kFlagTempHigh, true, {"UPS temperature is too high !", kAlarm, CommChange::kNone}},
    {kFlagOverload, false, {"UPS loading recover to normal.", kInfo, CommChange::kNone}},
    {kFlagOverload, true, {"UPS is overload !", kAlarm, CommChange::kNone}},
    {kFlagPowerFail, false, {"UPS power restore.", kInfo, CommChange::kNone}},
    {kFlagPowerFail, true, {"UPS power failure !", kAlarm, CommChange::kNone}},
    {kFlagBatteryLow, false, {"UPS battery capacity recover to normal.", kInfo, CommChange::kNone}},
    {kFlagBatteryLow, true, {"UPS battery capacity low !", kAlarm, CommChange::kNone}},
    {kFlagCommLost, true, {"UPS communication can't establish.", kAlarm, CommChange::kDown}},
}};

}  // namespace

std::vector<StatusMessage> messagesForChange(uint32_t previous, uint32_t current) {
  std::vector<StatusMessage> out;
  for (const MessageRow& row : kMessageTable) {
    bool was = (previous & row.bit) != 0;
    bool is = (current & row.bit) != 0;
    if (was != is && is == row.set_now) out.push_back(row.message);
  }
  return out;
}

void MessageLine::show(std::string text, MessageKind kind, int64_t now_ms) {
  text_ = std::move(text);
  kind_ = kind;
  shown_at_ms_ = now_ms;
}

bool MessageLine::tick(int64_t now_ms) {
  if (kind_ != MessageKind::kInformation || now_ms - shown_at_ms_ < kInformationShownMs) {
    return false;
  }
  show(kUpsOkText, MessageKind::kAlarm, now_ms);
  return true;
}

std::optional<int64_t> MessageLine::deadline() const {
  if (kind_ != MessageKind::kInformation) return std::nullopt;
  return shown_at_ms_ + kInformationShownMs;
}

}  // namespace gw
