// Everything the client has learned from the service: status values, device properties, the
// event-time, policy, service-setting and schedule tables, the log cursors and the results of
// the last device settings. The worker writes, the windows read.
//
// Numbers are atomics, read without locking (a window may see a code and a value from two
// polls, never a torn one). Texts, lists and tables are guarded by the session's one mutex,
// which the cache borrows; readers get copies.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/result_code.h"
#include "protocol/log_kind.h"
#include "protocol/status_index.h"

namespace gw {

// Integer properties: the media, the port kind, the five settings and their defaults.
enum PropertyItem : int {
  kPropPortType,
  kPropMediaType,
  kPropMediaIndex,
  kPropInputHigh,
  kPropInputLow,
  kPropBatteryLow,
  kPropBatteryOut,
  kPropColdStart,
  kPropInputHighDefault,
  kPropInputLowDefault,
  kPropBatteryLowDefault,
  kPropBatteryOutDefault,
  kPropColdStartDefault,
  kPropertyItemCount,
};

enum TextItem : int { kTextModel, kTextFirmware, kTextItemCount };
// The allowed values of input-high, input-low, battery-low and battery-out.
enum RangeItem : int { kRangeInputHigh, kRangeInputLow, kRangeBatteryLow, kRangeBatteryOut,
                       kRangeItemCount };

// Items of the device-settings request.
enum DeviceSettingItem : int {
  kSettingInputHigh = 2,
  kSettingInputLow = 3,
  kSettingBatteryLow = 4,
  kSettingBatteryOut = 5,
  kSettingColdStart = 6,
  kSettingSelfTest = 7,
};

template <typename T>
struct Cached {
  int code = RC_NOT_AVAILABLE;
  T value{};
};

// A number and the code of the exchange that last touched it.
class CachedInt {
 public:
  Cached<int> get() const { return {code_.load(), value_.load()}; }
  int code() const { return code_.load(); }
  int value() const { return value_.load(); }
  void set(int code, int value) {
    value_.store(value);
    code_.store(code);
  }
  void setCode(int code) { code_.store(code); }

 private:
  std::atomic<int> code_{RC_NOT_AVAILABLE};
  std::atomic<int> value_{0};
};

// One line of the schedule, decoded.
struct ScheduleEntry {
  int repeat = 0;
  int action = 0;
  int64_t start_ms = 0;
  int64_t end_ms = 0;
};

// Reads "repeat action start end" with the times in the wire form. False for anything else.
[[nodiscard]] bool parseScheduleEntry(const std::string& line, ScheduleEntry* entry);
// The earliest start among the lines (the first wins a tie), over the lines whose action is 1
// or 2 when `turn_off_only`, otherwise over all. Empty when none qualifies.
std::optional<ScheduleEntry> dueScheduleEntry(const std::vector<std::string>& lines,
                                              bool turn_off_only);

class SessionCache {
 public:
  using Table = std::map<std::string, std::string>;

  explicit SessionCache(std::mutex& lock) : lock_(lock) {}
  SessionCache(const SessionCache&) = delete;
  SessionCache& operator=(const SessionCache&) = delete;

  std::array<CachedInt, kStatusCount> status;  // by StatusIndex
  std::array<CachedInt, kPropertyItemCount> properties;
  std::array<std::atomic<int>, 8> device_setting_codes{};  // by DeviceSettingItem
  std::array<std::atomic<long long>, kLogKindCount> older_cursor{};
  std::array<std::atomic<long long>, kLogKindCount> newer_cursor{};
  std::array<std::atomic<bool>, kLogKindCount> one_page{true, true, true};
  std::atomic<int64_t> clock_offset_ms{0};  // service time minus local time

  // Readers (any thread).
  Cached<std::string> text(TextItem item) const;
  Cached<std::vector<int>> range(RangeItem item) const;
  Cached<Table> policies() const;
  std::optional<std::string> policy(const std::string& key) const;
  Cached<Table> serviceSettings() const;
  Cached<std::vector<std::string>> schedule() const;
  std::optional<ScheduleEntry> dueItem() const;
  // The time the event last happened; code 2 until it was asked.
  Cached<int64_t> eventTime(const std::string& event) const;

  // Writers (the worker).
  void setText(TextItem item, int code, std::string value);
  void setRange(RangeItem item, int code, std::vector<int> value);
  // A load that failed keeps the table and records only the code.
  void loadPolicies(int code, Table table);
  void setPolicy(const std::string& key, const std::string& value);
  void loadServiceSettings(int code, Table table);
  void setServiceSetting(const std::string& key, const std::string& value);
  // After "SCH GET" the due item is chosen among the turn-offs, after "SCH SET" among all.
  void loadSchedule(int code, std::vector<std::string> lines, bool loaded_from_service);
  void setEventTime(const std::string& event, int code, int64_t ms);

 private:
  // A load that failed records only its code.
  template <typename T>
  void load(Cached<T>* slot, int code, T value);

  std::mutex& lock_;
  std::array<Cached<std::string>, kTextItemCount> texts_;
  std::array<Cached<std::vector<int>>, kRangeItemCount> ranges_;
  Cached<Table> policies_;
  Cached<Table> settings_;
  Cached<std::vector<std::string>> schedule_;
  std::optional<ScheduleEntry> due_;
  std::map<std::string, Cached<int64_t>> event_times_;
};

}  // namespace gw
