// The worker's side of the session: every exchange with the service. It logs in and loads the
// tables, polls the status, fetches log pages into the page files and carries out the queued
// changes, writing what it learns into the cache. Used by the session's worker thread only;
// each call blocks for as many exchanges as it makes (at most 5 s per send stall and 10 s per
// reply wait each).
#pragma once

#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "client/session/page_files.h"
#include "client/session/service_link.h"
#include "client/session/session_cache.h"
#include "client/session/wire_format.h"
#include "platform/clock.h"

namespace gw {

// Notification kinds a window can subscribe to.
enum SessionNotice : int {
  kNoticeStatusUpdated = 0,
  kNoticePropertiesLoaded = 1,
  kNoticeServiceSettingsLoaded = 2,
  kNoticePoliciesLoaded = 3,
  kNoticeScheduleLoaded = 4,
  kNoticeEventLogGrew = 5,  // 5 + log number
  kNoticeSavedLogGrew = 6,
  kNoticeStatusLogGrew = 7,
};

using KeyValueList = std::vector<std::pair<std::string, std::string>>;
using IntPairList = std::vector<std::pair<int, int>>;

class SessionEngine {
 public:
  struct Hooks {
    std::function<void(int kind, int code)> notify;
    // The end of an older-records fetch that was not a login's first page.
    std::function<void()> older_fetch_done;
  };

  // Everything must outlive the engine.
  SessionEngine(SessionCache& cache, PageFiles& pages, Clock& clock, ServiceLink::Waits waits,
                Hooks hooks);

  // The one exchange primitive; see client/session/wire_format.h for the format.
  [[nodiscard]] ResultCode transact(std::string_view format, std::initializer_list<RequestArg> in,
                                    std::initializer_list<ReplyArg> out = {});

  // The connect request's completion code: 1 connected, 0 not.
  int connect(const std::string& host, uint16_t port);
  // The completion code is the password's; on success the tables are loaded.
  ResultCode login(const std::string& name, const std::string& password);
  // One status poll; notifies StatusUpdated with the connection code (and PropertiesLoaded
  // when the UPS has just come up).
  ResultCode poll();
  void fetchNewer(int log);
  void fetchOlder(int log);

  ResultCode setSlave(int flag);
  ResultCode logOps(const IntPairList& operations);  // {operation, log}
  ResultCode deviceSettings(const IntPairList& settings);  // {item, value}
  ResultCode setSchedule(const std::vector<std::string>& lines);
  ResultCode setPolicies(const KeyValueList& changes);
  ResultCode setServiceSettings(const KeyValueList& changes);

  int64_t exchanges() const { return exchanges_.load(); }

 private:
  ResultCode askInt(std::string_view format, CachedInt* item);
  void loadProperties();
  ResultCode loadPolicies();
  ResultCode loadServiceSettings();
  ResultCode setKeys(const char* format, const KeyValueList& changes, bool policies);

  SessionCache& cache_;
  PageFiles& pages_;
  Clock& clock_;
  ServiceLink link_;
  Hooks hooks_;
  std::atomic<int64_t> exchanges_{0};
};

}  // namespace gw
