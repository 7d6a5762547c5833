// The message logic of the status window: which texts a change of the display flags announces,
// and the message line that turns an information text into "UPS OK." after five seconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gw {

enum class MessageKind { kInformation, kAlarm };

// What the main window is told about the communication, beside the text.
enum class CommChange { kNone, kUp, kDown };

struct StatusMessage {
  const char* text;
  MessageKind kind;
  CommChange comm;
};

inline constexpr const char* kUpsOkText = "UPS OK.";
inline constexpr int64_t kInformationShownMs = 5000;

// The announcements of one tick, in the order they are shown (each replaces the one before),
// comparing the flags of the previous tick with the new ones.
std::vector<StatusMessage> messagesForChange(uint32_t previous, uint32_t current);

// The message line's state. Time is any monotonic milliseconds the caller keeps.
class MessageLine {
 public:
  void show(std::string text, MessageKind kind, int64_t now_ms);
  // Replaces an information text that has been shown kInformationShownMs by "UPS OK." (itself
  // an alarm, so it stays). Returns true when the text changed.
  bool tick(int64_t now_ms);

  const std::string& text() const { return text_; }
  MessageKind kind() const { return kind_; }
  // When tick() will next change the text; empty while an alarm is shown.
  std::optional<int64_t> deadline() const;

 private:
  std::string text_;
  MessageKind kind_ = MessageKind::kAlarm;
  int64_t shown_at_ms_ = 0;
};

}  // namespace gw
