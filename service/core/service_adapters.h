// The server's narrow interfaces over the service's own objects, for the service core to build
// its ClientServerContext with. Each adapter holds a reference; the object must outlive it.
// A client's change is written to its file before it is answered as done.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "service/config/config_store.h"
#include "service/logs/log_store.h"
#include "service/policy/policy_engine.h"
#include "service/schedule/schedule.h"
#include "service/server/server_context.h"

namespace gw {

// "POL" over the settings store.
class ConfigStoreSettings final : public KeyValueSettings {
 public:
  explicit ConfigStoreSettings(ConfigStore& store) : store_(store) {}
  bool get(std::string* text) override { return store_.getSetting(text); }
  ResultCode set(const std::string& text) override { return store_.applySetting(text); }

 private:
  ConfigStore& store_;
};

// "PTC" over the event policy (the policy engine's table in the service, whose sets post change
// notices), kept in the "protect" file at `path`.
class PolicySettings final : public KeyValueSettings {
 public:
  PolicySettings(PolicyTable& table, std::string path) : table_(table), path_(std::move(path)) {}
  bool get(std::string* text) override { return table_.getPolicy(text); }
  ResultCode set(const std::string& text) override { return table_.applyPolicy(text, path_); }

 private:
  PolicyTable& table_;
  std::string path_;
};

// "TIME HAPPEN" and "TIME RESTORE" over the policy engine's events.
class PolicyEngineEventTimes final : public EventTimes {
 public:
  explicit PolicyEngineEventTimes(const PolicyEngine& engine) : engine_(engine) {}
  int phase(int event) const override { return engine_.phase(static_cast<EventId>(event)); }
  int64_t happenTime(int event) const override {
    return engine_.happenTime(static_cast<EventId>(event));
  }
  int64_t restoreTime(int event) const override {
    return engine_.restoreTime(static_cast<EventId>(event));
  }

 private:
  const PolicyEngine& engine_;
};

// "LOG" over the log store.
class LogStorePages final : public LogPages {
 public:
  explicit LogStorePages(LogStore& store) : store_(store) {}
  int64_t count(int kind) override { return store_.count(kind); }
  void clear(int kind) override {
    // The protocol answers a clear with success whatever the file system said.
    (void)store_.clear(kind);
  }
  void nextPage(int kind, int64_t from, std::string* out) override {
    store_.nextPage(kind, from, out);
  }
  void previousPage(int kind, int64_t before, std::string* out) override {
    store_.previousPage(kind, before, out);
  }

 private:
  LogStore& store_;
};

// "SCH" over the schedule.
class ScheduleListItems final : public ScheduleItems {
 public:
  explicit ScheduleListItems(Schedule& schedule) : schedule_(schedule) {}
  void listItems(std::string* out) override { schedule_.listItems(out); }
  ResultCode replaceItems(std::string_view text) override { return schedule_.applyItems(text); }

 private:
  Schedule& schedule_;
};

}  // namespace gw
