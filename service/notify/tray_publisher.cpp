// Publishing the tray's state and events to the subscribers of the notification socket.
#include "service/notify/tray_publisher.h"

#include <algorithm>

namespace gw {
namespace {

constexpr int kBacklog = 16;
constexpr size_t kReceiveChunk = 256;

}  // namespace

TrayPublisher::TrayPublisher(std::string socket_path, SystemLog& log)
    : socket_path_(std::move(socket_path)), log_(log), own_uid_(currentUserId()) {}

TrayPublisher::~TrayPublisher() {
  subscribers_.clear();
  listener_.reset();
}

void TrayPublisher::start(std::atomic<bool>& stop_requested) {
  stop_requested_ = &stop_requested;
  ResultCode rc = listenLocal(socket_path_, kBacklog, &listener_, true);
  if (rc != RC_OK) {
    log_.info("no tray notifications: cannot listen at " + socket_path_ + " (code " +
              std::to_string(static_cast<int>(rc)) + ")");
  }
}

void TrayPublisher::notify(int event_code) {
  display_.applyEvent(event_code);
  const std::string line = formatEventLine(event_code);
  for (auto& subscriber : subscribers_) queue(*subscriber, line);
  removeClosed();
}

void TrayPublisher::addTo(PollSet& poll) {
  listener_slot_ = listener_ ? poll.addHandle(listener_->pollHandle(), true, false) : SIZE_MAX;
  for (auto& s : subscribers_) {
    // One that has not taken its lines yet is not read either: it gets no further work done.
    s->slot = poll.addHandle(s->stream->pollHandle(), s->output.empty(), !s->output.empty());
  }
}

void TrayPublisher::serveReady(const PollSet& poll) {
  const size_t watched = subscribers_.size();
  for (size_t i = 0; i < watched; ++i) {
    Subscriber& s = *subscribers_[i];
    if (s.slot == SIZE_MAX) continue;
    if (poll.writable(s.slot)) flush(s);
    if (poll.readable(s.slot) && !s.closing) receive(s);
    else if (poll.broken(s.slot)) s.closing = true;
    s.slot = SIZE_MAX;
  }
  if (listener_slot_ != SIZE_MAX && poll.readable(listener_slot_)) acceptWaiting();
  listener_slot_ = SIZE_MAX;
  removeClosed();
}

void TrayPublisher::acceptWaiting() {
  for (int i = 0; i < kAcceptsPerPass; ++i) {
    std::unique_ptr<NonBlockingStream> stream;
    if (listener_->accept(&stream) != RC_OK) return;
    if (subscribers_.size() >= kMaxSubscribers) continue;  // closed at once
    auto s = std::make_unique<Subscriber>();
    s->stream = std::move(stream);
    s->uid_known = localPeerUserId(*s->stream, &s->uid) == RC_OK;
    queue(*s, formatIconLine(display_));
    subscribers_.push_back(std::move(s));
  }
}

void TrayPublisher::queue(Subscriber& s, const std::string& line) {
  if (s.closing) return;
  if (s.output.size() + line.size() > kMaxQueuedBytes) {
    s.closing = true;  // it stopped reading; the state is sent afresh when it comes back
    return;
  }
  s.output += line;
  flush(s);
}

void TrayPublisher::flush(Subscriber& s) {
  while (!s.output.empty() && !s.closing) {
    size_t sent = 0;
    ResultCode rc = s.stream->send(s.output.data(), s.output.size(), &sent);
    if (rc == RC_TIMEOUT) return;  // the rest goes when the socket takes more
    if (rc != RC_OK) {
      s.closing = true;
      return;
    }
    s.output.erase(0, sent);
  }
}

void TrayPublisher::receive(Subscriber& s) {
  char buffer[kReceiveChunk];
  size_t got = 0;
  ResultCode rc = s.stream->receive(buffer, sizeof buffer, &got);
  if (rc == RC_TIMEOUT) return;
  if (rc == RC_OK && !s.input.append(std::string_view(buffer, got))) {
    s.closing = true;
    return;
  }
  std::string line;
  while (!s.closing && s.input.takeLine(&line)) handle(s, line);
  if (rc != RC_OK) s.closing = true;
}

void TrayPublisher::handle(Subscriber& s, const std::string& text) {
  TrayLine line;
  if (!parseTrayLine(text, &line) || line.kind != TrayLineKind::kExit) {
    queue(s, formatErrorLine(RC_BAD_REQUEST));
    return;
  }
  const std::string who = s.uid_known ? "user " + std::to_string(s.uid) : "an unknown user";
  if (!s.uid_known || (s.uid != kSuperUserId && s.uid != own_uid_)) {
    log_.info("tray: refused a stop request from " + who);
    queue(s, formatErrorLine(RC_ACCESS_DENIED));
    return;
  }
  log_.info("tray: stop requested by " + who);
  if (stop_requested_ != nullptr) stop_requested_->store(true);
}

void TrayPublisher::removeClosed() {
  subscribers_.erase(std::remove_if(subscribers_.begin(), subscribers_.end(),
                                    [](const auto& s) { return s->closing; }),
                     subscribers_.end());
}

}  // namespace gw
