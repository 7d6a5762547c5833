// The session's queue, notifications and worker thread.
#include "client/session/client_session.h"

#include <chrono>
#include <optional>
#include <utility>

#include "client/session/completion_message.h"

namespace gw {

ResultCode ClientSession::create(const Options& options, Clock& clock,
                                 std::unique_ptr<ClientSession>* session) {
  std::unique_ptr<PageFiles> pages;
  ResultCode rc = PageFiles::create(options.cache_parent, &pages);
  if (rc != RC_OK) return rc;
  session->reset(new ClientSession(options, clock, std::move(pages)));
  return RC_OK;
}

ClientSession::ClientSession(const Options& options, Clock& clock, std::unique_ptr<PageFiles> pages)
    : options_(options),
      clock_(clock),
      cache_(mutex_),
      pages_(std::move(pages)),
      engine_(cache_, *pages_, clock_, options_.waits,
              {[this](int kind, int code) { notify(kind, code); },
               [this] { complete(0, RC_OK); }}) {
  worker_ = std::thread([this] { run(); });
}

ClientSession::~ClientSession() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    completion_ = nullptr;
    stop_ = true;
  }
  wake_.notify_all();
  worker_.join();
  // The engine (and with it the connection) and the page files go with the members.
}

void ClientSession::setCompletion(Completion completion) {
  std::lock_guard<std::mutex> hold(mutex_);
  completion_ = std::move(completion);
}

void ClientSession::stageConnect(std::string host, uint16_t port) {
  staged_.host = std::move(host);
  staged_.port = port;
}

void ClientSession::stageLogin(std::string name, std::string password) {
  staged_.name = std::move(name);
  staged_.password = std::move(password);
}

void ClientSession::stageSlave(int flag) { staged_.flag = flag; }
void ClientSession::stageLogOp(int operation, int log) { staged_log_ops_.emplace_back(operation, log); }
void ClientSession::stageDeviceSetting(int item, int value) {
  staged_device_settings_.emplace_back(item, value);
}
void ClientSession::stageSchedule(std::vector<std::string> lines) { staged_.lines = std::move(lines); }
void ClientSession::stagePolicy(std::string key, std::string value) {
  staged_policies_.emplace_back(std::move(key), std::move(value));
}
void ClientSession::stageServiceSetting(std::string key, std::string value) {
  staged_settings_.emplace_back(std::move(key), std::move(value));
}

uint32_t ClientSession::submit(int kind) {
  // Tag 0 stands for the end of an older-records fetch, so no request may carry it.
  if ((++last_tag_ & 0xFFFFu) == 0) ++last_tag_;
  const uint32_t tag = last_tag_;
  if (kind >= kNoticeStatusUpdated && kind <= kNoticeStatusLogGrew) {
    std::lock_guard<std::mutex> hold(mutex_);
    subscribers_[kind] = tag;
    return tag;
  }
  if (kind < kRequestConnect || kind > kRequestSetServiceSettings) return tag;
  Request request;
  request.tag = tag;
  request.kind = kind;
  switch (kind) {
    case kRequestConnect:
      request.host = staged_.host;
      request.port = staged_.port;
      break;
    case kRequestLogin:
      request.name = staged_.name;
      request.password = staged_.password;
      break;
    case kRequestSetSlave:
      request.flag = staged_.flag;
      break;
    case kRequestLogOps:
      request.pairs = std::exchange(staged_log_ops_, {});
      break;
    case kRequestDeviceSettings:
      request.pairs = std::exchange(staged_device_settings_, {});
      break;
    case kRequestSetSchedule:
      request.lines = std::move(staged_.lines);
      staged_.lines.clear();
      break;
    case kRequestSetPolicies:
      request.changes = std::exchange(staged_policies_, {});
      break;
    default:
      request.changes = std::exchange(staged_settings_, {});
      break;
  }
  {
    std::lock_guard<std::mutex> hold(mutex_);
    queue_.push_back(std::move(request));
    woken_ = true;
  }
  wake_.notify_one();
  return tag;
}

int64_t ClientSession::nowMs() const { return clock_.nowMs() + cache_.clock_offset_ms.load(); }

void ClientSession::notify(int kind, int code) {
  uint32_t tag = 0;
  Completion call;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    auto it = subscribers_.find(kind);
    if (it == subscribers_.end()) return;  // nobody waits for it: dropped
    tag = it->second;
    subscribers_.erase(it);
    call = completion_;
  }
  if (call) call(completionMessage(tag, code));
}

void ClientSession::complete(uint32_t tag, int code) {
  Completion call;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    call = completion_;
  }
  if (call) call(completionMessage(tag, code));
}

int ClientSession::execute(Request& r) {
  switch (r.kind) {
    case kRequestConnect:
      return engine_.connect(r.host, r.port);
    case kRequestLogin:
      return engine_.login(r.name, r.password);
    case kRequestSetSlave:
      return engine_.setSlave(r.flag);
    case kRequestLogOps:
      return engine_.logOps(r.pairs);
    case kRequestDeviceSettings:
      return engine_.deviceSettings(r.pairs);
    case kRequestSetSchedule:
      return engine_.setSchedule(r.lines);
    case kRequestSetPolicies:
      return engine_.setPolicies(r.changes);
    case kRequestSetServiceSettings:
      return engine_.setServiceSettings(r.changes);
    default:
      return RC_BAD_REQUEST;
  }
}

void ClientSession::run() {
  // The start counts as the first poll: the first real one comes an interval later, or at
  // once when the start-up requests took longer.
  int64_t last_poll = clock_.monotonicMs();
  std::optional<int64_t> wait_ms;  // none: until woken
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    auto ready = [this] { return woken_ || stop_; };
    bool woken = true;
    if (wait_ms) {
      woken = wake_.wait_for(lock, std::chrono::milliseconds(*wait_ms), ready);
    } else {
      wake_.wait(lock, ready);
    }
    if (stop_) return;
    if (!woken) {
      lock.unlock();
      (void)engine_.poll();  // it notifies its outcome
      engine_.fetchNewer(LOG_EVENT);  // the saved-files log has no newer records
      engine_.fetchNewer(LOG_STATUS);
      last_poll = clock_.monotonicMs();
      wait_ms = options_.poll_interval_ms;
      lock.lock();
      continue;
    }
    woken_ = false;
    while (!queue_.empty() && !stop_) {
      Request request = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      int code = execute(request);
      complete(request.tag, code);
      lock.lock();
    }
    if (stop_) return;
    wait_ms = std::max<int64_t>(0, last_poll + options_.poll_interval_ms - clock_.monotonicMs());
  }
}

}  // namespace gw
