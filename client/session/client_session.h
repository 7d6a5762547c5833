// The client's engine: one connection to the service, a worker thread that makes every
// exchange, the cache of what it learned, the queue of the windows' requests and the
// notifications by which windows learn that a request finished or cached data changed.
//
// Threads: submit, the staging calls and setCompletion belong to one thread (the GUI thread);
// the cache may be read from any thread. The completion callback runs on the worker thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "client/session/page_files.h"
#include "client/session/session_cache.h"
#include "client/session/session_engine.h"
#include "common/result_code.h"
#include "platform/clock.h"

namespace gw {

// Requests a window can queue.
enum SessionRequestKind : int {
  kRequestConnect = 8,
  kRequestLogin = 9,
  kRequestSetSlave = 10,
  kRequestLogOps = 11,
  kRequestDeviceSettings = 12,
  kRequestSetSchedule = 13,
  kRequestSetPolicies = 14,
  kRequestSetServiceSettings = 15,
};

inline constexpr const char* kDefaultHost = "127.0.0.1";
inline constexpr const char* kDefaultUser = "manager";
inline constexpr const char* kDefaultPassword = "quiet lake";

class ClientSession {
 public:
  // Receives (tag << 16) | (code & 0xFFFF): the completion of a request or a notification.
  // Tag 0 is the end of an older-records fetch.
  using Completion = std::function<void(uint32_t message)>;

  struct Options {
    std::string cache_parent;  // the cache directory is made here (the program's directory)
    int poll_interval_ms = 3000;
    ServiceLink::Waits waits;
  };

  // Makes the cache directory and starts the worker, which waits for the first request.
  // RC_NOT_AVAILABLE when the directory cannot be made. The clock must outlive the session.
  [[nodiscard]] static ResultCode create(const Options& options, Clock& clock,
                                         std::unique_ptr<ClientSession>* session);
  ClientSession(const ClientSession&) = delete;
  ClientSession& operator=(const ClientSession&) = delete;
  // Clears the callback, stops the worker and waits for it without limit (it may be in the
  // middle of an exchange: up to 10 s), closes the connection, deletes the page files and
  // removes the cache directory.
  ~ClientSession();

  void setCompletion(Completion completion);

  // Staging: what the next request of that kind carries. Submitting moves it out.
  void stageConnect(std::string host, uint16_t port);
  void stageLogin(std::string name, std::string password);
  void stageSlave(int flag);
  void stageLogOp(int operation, int log);
  void stageDeviceSetting(int item, int value);
  void stageSchedule(std::vector<std::string> lines);
  void stagePolicy(std::string key, std::string value);
  void stageServiceSetting(std::string key, std::string value);

  // Kinds 8..15 queue a request and wake the worker; kinds 0..7 subscribe to that
  // notification once (a later subscription to the same kind replaces it). Returns the tag;
  // tags whose low 16 bits are 0 are never given out.
  uint32_t submit(int kind);

  const SessionCache& cache() const { return cache_; }
  // Local time plus the service's offset, learnt at login.
  int64_t nowMs() const;
  const PageFiles& pageFiles() const { return *pages_; }
  // Exchanges made so far.
  int64_t exchanges() const { return engine_.exchanges(); }

 private:
  struct Request {
    uint32_t tag = 0;
    int kind = 0;
    std::string host;
    uint16_t port = 0;
    std::string name;
    std::string password;
    int flag = 0;
    IntPairList pairs;  // log operations or device settings
    std::vector<std::string> lines;
    KeyValueList changes;
  };

  ClientSession(const Options& options, Clock& clock, std::unique_ptr<PageFiles> pages);
  void notify(int kind, int code);
  void complete(uint32_t tag, int code);
  void run();
  int execute(Request& request);

  const Options options_;
  Clock& clock_;
  std::mutex mutex_;  // the queue, the notification table, the tables of the cache
  SessionCache cache_;
  std::unique_ptr<PageFiles> pages_;
  SessionEngine engine_;
  Completion completion_;
  uint32_t last_tag_ = 0;
  Request staged_;  // connect, login, slave flag, schedule
  // Each kind of change has its own staging area: a window may stage policies and service
  // settings (or log operations and device settings) before submitting either.
  IntPairList staged_log_ops_;
  IntPairList staged_device_settings_;
  KeyValueList staged_policies_;
  KeyValueList staged_settings_;
  std::deque<Request> queue_;
  std::map<int, uint32_t> subscribers_;  // notification kind to tag
  std::condition_variable wake_;
  bool woken_ = false;  // the auto-reset wake-up
  bool stop_ = false;
  std::thread worker_;
};

}  // namespace gw
