// The notifier for a tray that is a program of its own in each desktop session (montray): the
// service listens on a local stream socket, and each connected tray is a subscriber. A new
// subscriber first gets what the tray shows now, then every event code as it happens (the
// lines of protocol/tray_wire.h). A subscriber's "EXIT" stops the service as its stop signal
// does, when the subscriber runs as the service's own user or as the administrator; anyone
// else is answered "ERR 33" and the refusal is logged.
//
// Main thread only; nothing here starts a thread or blocks. Sends take what the system accepts
// and keep the rest, at most kMaxQueuedBytes per subscriber: one that stops reading is let go
// when its queue would grow past that (it gets the current state again when it comes back).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/local_socket.h"
#include "platform/system_log.h"
#include "protocol/tray_display.h"
#include "protocol/tray_wire.h"
#include "service/notify/local_notifier.h"

namespace gw {

class TrayPublisher final : public LocalNotifier {
 public:
  static constexpr size_t kMaxSubscribers = 32;
  static constexpr size_t kMaxQueuedBytes = 4096;
  // Subscribers taken from the listener in one pass, so that a flood cannot hold the loop.
  static constexpr int kAcceptsPerPass = 8;

  // Listens at `socket_path` once started. `log` must outlive the publisher.
  TrayPublisher(std::string socket_path, SystemLog& log);
  ~TrayPublisher() override;

  // Listens, open to every local user. A socket that cannot be made is logged, and the service
  // runs on without a tray.
  void start(std::atomic<bool>& stop_requested) override;
  void notify(int event_code) override;
  void addTo(PollSet& poll) override;
  void serveReady(const PollSet& poll) override;

  bool listening() const { return listener_ != nullptr; }
  size_t subscriberCount() const { return subscribers_.size(); }
  const TrayDisplay& display() const { return display_; }

 private:
  struct Subscriber {
    std::unique_ptr<NonBlockingStream> stream;
    uint32_t uid = 0;
    bool uid_known = false;
    TrayLineBuffer input;
    std::string output;
    size_t slot = SIZE_MAX;  // in the current wait; SIZE_MAX when not watched
    bool closing = false;
  };

  void acceptWaiting();
  void queue(Subscriber& subscriber, const std::string& line);
  void flush(Subscriber& subscriber);
  void receive(Subscriber& subscriber);
  void handle(Subscriber& subscriber, const std::string& text);
  void removeClosed();

  std::string socket_path_;
  SystemLog& log_;
  std::atomic<bool>* stop_requested_ = nullptr;
  uint32_t own_uid_ = 0;
  TrayDisplay display_;
  std::unique_ptr<LocalListener> listener_;
  size_t listener_slot_ = SIZE_MAX;
  std::vector<std::unique_ptr<Subscriber>> subscribers_;
};

}  // namespace gw
