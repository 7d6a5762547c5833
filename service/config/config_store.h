// The service settings store: the 24 keys of config_keys.h, loaded from the "policy" file of
// the data directory when built and written back by save().
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/result_code.h"
#include "service/config/config_keys.h"
#include "service/config/load_report.h"
#include "service/config/notice_registry.h"

namespace gw {

// Text forms of the values: bool "0"/"1", int signed decimal, unsigned unsigned decimal, text
// verbatim. Reading a number skips leading blanks, takes an optional sign and at least one
// digit, and ignores whatever follows the digits ("9000xyz" is 9000); a number outside the
// key's type, a bool other than 0 or 1, or no digits at all is refused. Unsigned keys refuse a
// minus sign; "service.polling rate" refuses values outside kMinPollingRateMs..kMaxPollingRateMs.
// A text refuses a line feed or a carriage return: either would break the line it is stored on,
// and a carriage return would end a client's reply early.
//
// Single-threaded: everything runs on the service's main thread. Not copyable.
class ConfigStore {
 public:
  static constexpr std::string_view kFileName = "policy";
  // "sms.password" is kept in the file, so only the service's account may read it.
  static constexpr unsigned kFileMode = 0600;

  // Sets the defaults, then loads "policy" from `data_dir` when it can be read (a missing or
  // unreadable file leaves the defaults). Loading posts no notices. Lines that set nothing (no
  // '=', an unknown key, a refused value, a key set by an earlier line) are listed in
  // loadReport(), and the original is kept as "policy.rejected". `ids` and `handler`
  // (nullable) are not owned and must outlive the store.
  ConfigStore(std::string data_dir, NoticeIdCounter& ids, NoticeHandler* handler);

  ConfigStore(const ConfigStore&) = delete;
  ConfigStore& operator=(const ConfigStore&) = delete;

  // The path of a data file in the data directory.
  std::string dataFile(std::string_view name) const;

  // `text` holds a key name (compared exactly). Appends '=' and the value text and returns
  // true; returns false and leaves `text` unchanged when the key is unknown or its value text
  // is empty (only a text setting can be empty).
  [[nodiscard]] bool getSetting(std::string* text) const;

  // `entry` is "key=value", split at the first '='. Returns false when there is no '=', the key
  // is unknown, or the value is refused (see above). On success stores the value, posts
  // the key's notice when the key is watched (changed or not), and returns true.
  [[nodiscard]] bool setSetting(std::string_view entry);

  // setSetting for a client's change: the whole file is written first, atomically, with the
  // change in it, and only then is the change made and its notice posted. RC_BAD_SETTING when
  // setSetting would refuse it; the write's code when the file could not be written (nothing
  // changes then).
  [[nodiscard]] ResultCode applySetting(std::string_view entry);

  // Returns the notice id of the key, allocating one on first use.
  uint32_t watch(std::string_view key) { return notices_.watch(key); }

  // Writes every key in table order to "policy", atomically (the old file stays whole if the
  // write fails part-way), with mode 0600: it holds the gateway password.
  [[nodiscard]] ResultCode save() const;

  // The file contents save() writes: one "key=value\n" line per key, in table order.
  std::string fileText() const;

  // What loading "policy" refused.
  const LoadReport& loadReport() const { return load_report_; }

  // Loads the lines of a "policy" text over the values held, by the rules above, posting no
  // notices; the numbers (from 1) of the lines not taken go to *refused (nullable).
  void loadText(std::string_view text, std::vector<size_t>* refused);

  // Typed accessors, one per key.
  bool buzzerOn() const { return values_.buzzer_on; }
  int32_t mediaType() const { return values_.media_type; }
  int32_t mediaIndex() const { return values_.media_index; }
  int32_t loadMax() const { return values_.load_max; }
  int32_t tempMax() const { return values_.temp_max; }
  uint32_t pollingRate() const { return values_.polling_rate; }
  uint32_t recordRate() const { return values_.record_rate; }
  int32_t maxEvent() const { return values_.max_event; }
  int32_t maxStatus() const { return values_.max_status; }
  const std::string& emailServer() const { return values_.email_server; }
  const std::string& emailSubject() const { return values_.email_subject; }
  const std::string& emailSourceAddr() const { return values_.email_source_addr; }
  const std::string& emailTargetAddr() const { return values_.email_target_addr; }
  const std::string& pagerNumber() const { return values_.pager_number; }
  const std::string& phoneNumber() const { return values_.phone_number; }
  const std::string& smsServer() const { return values_.sms_server; }
  const std::string& smsSourceNumber() const { return values_.sms_source_number; }
  const std::string& smsTargetNumber() const { return values_.sms_target_number; }
  const std::string& smsAccount() const { return values_.sms_account; }
  const std::string& smsPassword() const { return values_.sms_password; }
  bool autoSave() const { return values_.auto_save; }
  int32_t shutdownDelay() const { return values_.shutdown_delay; }
  bool recByPeriod() const { return values_.rec_by_period; }
  bool recByTrigger() const { return values_.rec_by_trigger; }

  // All values at once (for a consumer that takes a plain struct).
  const ConfigValues& values() const { return values_; }

 private:
  void setDefaults();
  void load();
  // Parses `value` as the key's type and stores it in *into; false leaves the old value.
  static bool store(const ConfigKey& key, std::string_view value, ConfigValues* into);
  static std::string valueText(const ConfigKey& key, const ConfigValues& values);
  static std::string fileTextOf(const ConfigValues& values);

  std::string data_dir_;
  ConfigValues values_;
  NoticeRegistry notices_;
  LoadReport load_report_;
};

}  // namespace gw
