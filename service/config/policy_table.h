// The event policy: the parameters of every action of every event, with their defaults, the
// key-level get and set used by clients, and the "protect" file. No run-time state: the policy
// engine owns one table and keeps counts, phases and times itself.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/result_code.h"
#include "service/config/action_policy.h"
#include "service/config/load_report.h"
#include "service/config/notice_registry.h"
#include "protocol/policy_key.h"
#include "protocol/policy_names.h"

namespace gw {

// Single-threaded (the service's main thread). Not copyable.
class PolicyTable {
 public:
  static constexpr std::string_view kFileName = "protect";
  static constexpr unsigned kFileMode = 0644;

  // Holds the default policy. `ids` and `handler` (nullable) are not owned and must outlive the
  // table.
  PolicyTable(NoticeIdCounter& ids, NoticeHandler* handler);
  PolicyTable(const PolicyTable&) = delete;
  PolicyTable& operator=(const PolicyTable&) = delete;

  // Puts every parameter back to its default.
  void setDefaults();

  // `text` holds a key (see PolicyKey::parse). Appends '=' and the value (numbers as unsigned
  // decimal, so -1 reads "4294967295"; content verbatim, also when empty) and returns true.
  // Returns false and leaves `text` unchanged when the key does not parse.
  [[nodiscard]] bool getPolicy(std::string* text) const;

  // `entry` is "key=value", split at the first '='. Returns false when there is no '=', the key
  // does not parse, or a content value holds a line feed or a carriage return. Otherwise sets
  // the value and returns true: a number is read like a setting (leading blanks, optional sign, digits, rest ignored)
  // and may be anything from -2147483648 to 4294967295, "-1" and "4294967295" being the same
  // value; a number that does not parse, or lies outside that range, leaves the value unchanged
  // and still returns true. Content is the whole rest of the line. On true, posts the notice of
  // the key text when it is watched.
  [[nodiscard]] bool setPolicy(std::string_view entry);

  // setPolicy for a client's change: the table with the change is written to `path` first,
  // atomically, and the change stays (and its notice is posted) only when that worked.
  // RC_BAD_SETTING when setPolicy would refuse it; the write's code when the file could not be
  // written (nothing changes then).
  [[nodiscard]] ResultCode applyPolicy(std::string_view entry, const std::string& path);

  // Returns the notice id of the key text, allocating one on first use.
  uint32_t watch(std::string_view key) { return notices_.watch(key); }

  // Reads the file at `path` and sets each line as by setPolicy, ignoring lines that fail;
  // later lines for a key overwrite earlier ones. Posts no notices. A missing or unreadable
  // file changes nothing; the result says which (RC_NOT_AVAILABLE) for callers that care.
  // Lines that set nothing (refused by setPolicy, or a number that does not parse) go into
  // *report (nullable) and make the original be kept as "<path>.rejected".
  [[nodiscard]] ResultCode load(const std::string& path, LoadReport* report = nullptr);
  // The same for a file's text; the numbers (from 1) of the lines that set nothing go to
  // *refused (nullable).
  void loadText(std::string_view text, std::vector<size_t>* refused);

  // Writes all 378 keys (events × actions × 4 happen then 3 restore parameters) atomically.
  [[nodiscard]] ResultCode save(const std::string& path) const;

  // The contents save() writes.
  std::string fileText() const;

  // The parameters of one action of one event (indexes from policy_names.h).
  const ActionPolicy& at(EventId event, ActionId action) const {
    return policy_[static_cast<size_t>(event)][static_cast<size_t>(action)];
  }

 private:
  // *stored (nullable) tells whether a value was taken: a number that does not parse is
  // answered true but stores nothing.
  bool set(std::string_view entry, bool post_notice, bool* stored);

  std::array<std::array<ActionPolicy, kActionCount>, kEventCount> policy_;
  NoticeRegistry notices_;
};

}  // namespace gw
