// Framed, bounded reads of the driver's reply lines, matched to the requests in flight.
#include "service/driverlink/pipe_channel.h"

#include <utility>

namespace gw {
namespace {

constexpr size_t kChunk = 4096;

}  // namespace

class PipeChannel::Watch final : public PollableSocket {
 public:
  explicit Watch(intptr_t handle) : handle_(handle) {}
  intptr_t pollHandle() const override { return handle_; }

 private:
  intptr_t handle_;
};

PipeChannel::PipeChannel(Clock& clock, std::unique_ptr<Pipe> to_driver,
                         std::unique_ptr<Pipe> from_driver, PipeChannelLimits limits)
    : clock_(clock),
      to_driver_(std::move(to_driver)),
      from_driver_(std::move(from_driver)),
      limits_(limits) {
  if (!to_driver_ || !from_driver_) {
    failed_ = true;
    return;
  }
  if (from_driver_->pollHandle() >= 0) watch_ = std::make_unique<Watch>(from_driver_->pollHandle());
}

PipeChannel::~PipeChannel() { (void)fail(); }

ResultCode PipeChannel::fail() {
  failed_ = true;
  line_.clear();
  // Handlers may submit again; they find the channel failed and are answered at once.
  std::deque<ReplyHandler> waiting = std::move(waiting_);
  waiting_.clear();
  for (ReplyHandler& done : waiting) done(RC_PIPE_BROKEN, std::string());
  return RC_PIPE_BROKEN;
}

const PollableSocket* PipeChannel::replyWatch() const { return failed_ ? nullptr : watch_.get(); }

int64_t PipeChannel::deadline() const { return last_progress_ms_ + limits_.reply_timeout_ms; }

void PipeChannel::submit(std::vector<Request> requests) {
  if (requests.empty()) return;
  if (failed_) {
    for (Request& request : requests) request.done(RC_PIPE_BROKEN, std::string());
    return;
  }
  std::string bytes;
  for (Request& request : requests) {
    bytes += request.line;
    // A driver that has been idle owes nothing yet: its time starts with this write.
    if (waiting_.empty()) last_progress_ms_ = clock_.monotonicMs();
    waiting_.push_back(std::move(request.done));
  }
  if (to_driver_->write(bytes.data(), bytes.size()) != RC_OK) (void)fail();
}

void PipeChannel::takeLine(std::string_view line, bool overlong) {
  last_progress_ms_ = clock_.monotonicMs();
  if (waiting_.empty()) return;  // nobody asked for it
  ReplyHandler done = std::move(waiting_.front());
  waiting_.pop_front();
  if (overlong) {
    done(RC_MALFORMED_REPLY, std::string());
  } else {
    done(RC_OK, std::string(line));
  }
}

ResultCode PipeChannel::readReplies(int wait_ms) {
  char chunk[kChunk];
  size_t got = 0;
  ResultCode rc = from_driver_->read(chunk, sizeof chunk, wait_ms, &got);
  if (rc == RC_TIMEOUT) return RC_TIMEOUT;
  if (rc != RC_OK) return fail();
  std::string_view data(chunk, got);
  while (!data.empty()) {
    const size_t newline = data.find('\n');
    std::string_view part = data.substr(0, newline);
    if (!overlong_) {
      if (line_.size() + part.size() > limits_.max_reply_bytes) {
        overlong_ = true;
        line_.clear();
      } else {
        line_.append(part);
      }
    }
    if (newline == std::string_view::npos) break;
    data.remove_prefix(newline + 1);
    std::string line = std::move(line_);
    line_.clear();
    const bool overlong = overlong_;
    overlong_ = false;
    // Bytes that came while nothing was asked are stale, whatever line they end.
    takeLine(line, overlong);
  }
  if (waiting_.empty() && !overlong_) line_.clear();
  return RC_OK;
}

void PipeChannel::onReadable() {
  if (failed_) return;
  (void)readReplies(0);
}

void PipeChannel::checkTimeouts(uint32_t& timeout_ms) {
  if (failed_ || waiting_.empty()) return;
  const int64_t left = deadline() - clock_.monotonicMs();
  // A driver that went quiet is not trusted again.
  if (left <= 0) {
    (void)fail();
    return;
  }
  if (left < static_cast<int64_t>(timeout_ms)) timeout_ms = static_cast<uint32_t>(left);
}

void PipeChannel::awaitAll() {
  while (!failed_ && !waiting_.empty()) {
    const int64_t left = deadline() - clock_.monotonicMs();
    if (left <= 0) {
      (void)fail();
      return;
    }
    (void)readReplies(static_cast<int>(left));
  }
}

ResultCode PipeChannel::exchange(std::string_view request, std::string* reply) {
  if (failed_) return RC_PIPE_BROKEN;
  // Whatever the driver wrote that nothing in flight asked for goes before the request.
  if (waiting_.empty()) {
    while (readReplies(0) == RC_OK) {
    }
    line_.clear();
    overlong_ = false;
    if (failed_) return RC_PIPE_BROKEN;
  }
  bool answered = false;
  ResultCode result = RC_PIPE_BROKEN;
  std::string text;
  std::vector<Request> one;
  one.push_back({std::string(request), [&](ResultCode rc, const std::string& line) {
                   answered = true;
                   result = rc;
                   text = line;
                 }});
  submit(std::move(one));
  while (!answered) {
    const int64_t left = deadline() - clock_.monotonicMs();
    if (left <= 0) {
      (void)fail();
      break;
    }
    ResultCode rc = readReplies(static_cast<int>(left));
    if (rc != RC_OK && rc != RC_TIMEOUT) break;  // failed: the handler ran
  }
  if (result == RC_OK) *reply = std::move(text);
  return result;
}

}  // namespace gw
