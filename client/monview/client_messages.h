// The private messages between the session and the windows, as posted Qt events whose types
// are the messages' own numbers.
#pragma once

#include <QEvent>
#include <cstdint>

namespace gw {

inline constexpr int kMsgRequestDone = 3024;
inline constexpr int kMsgWindowClosed = 3025;
inline constexpr int kMsgOpenWindow = 3026;
inline constexpr int kMsgShowMessage = 3027;
inline constexpr int kMsgDataState = 3028;
inline constexpr int kMsgStartDrag = 3030;

// A completion of the session, posted from its worker thread to the main window.
class RequestDoneEvent : public QEvent {
 public:
  explicit RequestDoneEvent(uint32_t message)
      : QEvent(static_cast<QEvent::Type>(kMsgRequestDone)), message_(message) {}
  uint32_t message() const { return message_; }

 private:
  uint32_t message_;
};

// The main window's own "a window has closed", posted so that the window finishes its
// handler before it is deleted.
class WindowClosedEvent : public QEvent {
 public:
  explicit WindowClosedEvent(int slot)
      : QEvent(static_cast<QEvent::Type>(kMsgWindowClosed)), slot_(slot) {}
  int slot() const { return slot_; }

 private:
  int slot_;
};

}  // namespace gw
