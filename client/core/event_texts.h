// The texts shown for event codes in the event log: the service's own record texts where they
// were fetched, built-in names otherwise.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace gw {

class EventTexts {
 public:
  static constexpr int kCodeCount = 12;  // 6 events, happen and restore

  // Starts with the built-in names only.
  EventTexts();

  // The policy key that holds the record text of a code: event × 2 (+1 for the restore), such
  // as "powerfail.record.happen.content" for 4. Empty for a code out of range.
  static std::string contentKey(int code);

  // Takes the service's text for a code; an empty text keeps the built-in name, since the log
  // line would otherwise show nothing.
  void setText(int code, std::string_view text);

  // The text for a code; for an unknown code "event NNN".
  std::string text(int code) const;

 private:
  std::array<std::string, kCodeCount> texts_;
};

}  // namespace gw
