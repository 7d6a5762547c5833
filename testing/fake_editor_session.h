// An editor session that records what a window staged and submitted, in order, as text:
// "policy KEY=VALUE", "setting KEY=VALUE", "device ITEM=VALUE", "logop OP LOG", "schedule"
// followed by one "  LINE" entry per line, "submit KIND" and "subscribe LOG".
#pragma once

#include <map>
#include <string>
#include <vector>

#include "client/editors/editor_session.h"

namespace gw {

class FakeEditorSession : public EditorSession {
 public:
  std::map<std::string, std::string> policies;
  std::map<std::string, std::string> settings;
  std::map<UpsValue, int> ups_values;
  std::map<int, int> device_settings;
  std::map<int, int> device_defaults;
  std::map<int, std::vector<int>> allowed;
  std::vector<std::string> schedule;
  int64_t now_ms = 0;
  std::string page_dir;

  std::vector<std::string> log;  // what was staged and submitted
  uint32_t last_tag = 0;

  std::optional<std::string> policy(const std::string& key) const override {
    return find(policies, key);
  }
  std::optional<std::string> serviceSetting(const std::string& key) const override {
    return find(settings, key);
  }
  std::optional<int> upsValue(UpsValue which) const override { return find(ups_values, which); }
  std::optional<int> deviceSetting(int item, bool default_value) const override {
    return find(default_value ? device_defaults : device_settings, item);
  }
  std::optional<std::vector<int>> allowedValues(int item) const override {
    return find(allowed, item);
  }
  std::vector<std::string> scheduleLines() const override { return schedule; }
  int64_t nowMs() const override { return now_ms; }
  std::string pageFile(int log_kind, bool newer) const override {
    static const char* kNames[] = {"event", "saved", "status"};
    return page_dir + "/" + kNames[log_kind] + (newer ? "next" : "prev");
  }

  void stagePolicy(const std::string& key, const std::string& value) override {
    log.push_back("policy " + key + "=" + value);
  }
  void stageServiceSetting(const std::string& key, const std::string& value) override {
    log.push_back("setting " + key + "=" + value);
  }
  void stageDeviceSetting(int item, int value) override {
    log.push_back("device " + std::to_string(item) + "=" + std::to_string(value));
  }
  void stageLogOp(int operation, int log_kind) override {
    log.push_back("logop " + std::to_string(operation) + " " + std::to_string(log_kind));
  }
  void stageSchedule(const std::vector<std::string>& lines) override {
    log.push_back("schedule");
    for (const std::string& line : lines) log.push_back("  " + line);
  }
  uint32_t submit(EditorRequest request) override {
    static const char* kNames[] = {"LogOps", "DeviceSettings", "SetSchedule", "SetPolicies",
                                   "SetServiceSettings"};
    log.push_back(std::string("submit ") + kNames[static_cast<int>(request)]);
    return ++last_tag;
  }
  uint32_t subscribeLogGrew(int log_kind) override {
    log.push_back("subscribe " + std::to_string(log_kind));
    return ++last_tag;
  }

 private:
  template <typename Map, typename Key>
  static std::optional<typename Map::mapped_type> find(const Map& map, const Key& key) {
    auto it = map.find(key);
    if (it == map.end()) return std::nullopt;
    return it->second;
  }
};

}  // namespace gw
