// A stand-in service for the editing windows' tests: the script of a healthy service, with the
// tables a manager changes kept as state (policies and settings from the documented
// defaults, the schedule, the UPS settings), refusals on demand, and the list of changes made.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "common/line_file.h"
#include "testing/default_files.h"
#include "testing/fake_service_script.h"

namespace gw {

class EditingService {
 public:
  EditingService() {
    for (const std::string& line : protectKeys()) policies_[line] = "0";
    for (const std::string& line : kNonZeroProtectDefaults) put(line, &policies_);
    for (const std::string& line : splitLines(kDefaultPolicyFile)) put(line, &settings_);
  }

  FakeServiceScript script;
  // Replies to requests that begin with `prefix` come `ms` milliseconds late.
  void delay(const std::string& prefix, int ms) {
    std::lock_guard<std::mutex> hold(mutex_);
    delays_[prefix] = ms;
  }

  FakeClientService::Reply operator()(const std::string& request) {
    const std::string r = request.substr(0, request.size() - 1);
    int delay = 0;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      for (const auto& [prefix, ms] : delays_) {
        if (r.rfind(prefix, 0) == 0) delay = ms;
      }
    }
    FakeClientService::Reply reply = answer(r);
    reply.delay_ms = delay;
    return reply;
  }

  // Requests that begin with `prefix` are answered "ERR code".
  void refuse(const std::string& prefix, int code) {
    std::lock_guard<std::mutex> hold(mutex_);
    refusals_[prefix] = code;
  }
  std::string policy(const std::string& key) {
    std::lock_guard<std::mutex> hold(mutex_);
    return policies_[key];
  }
  std::string setting(const std::string& key) {
    std::lock_guard<std::mutex> hold(mutex_);
    return settings_[key];
  }
  void setSchedule(std::vector<std::string> lines) {
    std::lock_guard<std::mutex> hold(mutex_);
    schedule_ = std::move(lines);
  }
  // Every request that changed something, in order, without its carriage return.
  std::vector<std::string> changes() {
    std::lock_guard<std::mutex> hold(mutex_);
    return changes_;
  }

 private:
  static void put(const std::string& line, std::map<std::string, std::string>* table) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) (*table)[line.substr(0, eq)] = line.substr(eq + 1);
  }
  static bool changes(const std::string& r) {
    for (const char* word : {"PTC ", "POL "}) {
      if (r.rfind(word, 0) == 0 && r.find('=') != std::string::npos) return true;
    }
    for (const char* word : {"DEV SET_", "DEV CMD_", "SCH SET", "LOG CLR"}) {
      if (r.rfind(word, 0) == 0) return true;
    }
    return false;
  }

  FakeClientService::Reply answer(const std::string& r) {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      if (changes(r)) changes_.push_back(r);
      for (const auto& [prefix, code] : refusals_) {
        if (r.rfind(prefix, 0) == 0) return FakeClientService::text("ERR " + std::to_string(code));
      }
      for (auto [word, table] : {std::pair{"PTC ", &policies_}, std::pair{"POL ", &settings_}}) {
        if (r.rfind(word, 0) != 0) continue;
        const std::string arg = r.substr(4);
        if (arg.find('=') != std::string::npos) {
          put(arg, table);
          return FakeClientService::text("");
        }
        auto it = table->find(arg);
        return FakeClientService::text(it == table->end() ? "ERR 30" : it->second);
      }
      if (r == "SCH GET") return FakeClientService::text(joinLines(schedule_));
      if (r.rfind("SCH SET ", 0) == 0) {
        schedule_ = splitLines(r.substr(8));
        return FakeClientService::text("");
      }
      if (r.rfind("DEV SET_PROP_", 0) == 0 || r.rfind("DEV CMD_", 0) == 0) {
        return FakeClientService::text("");
      }
      if (r.rfind("LOG CLR ", 0) == 0) return FakeClientService::text("");
    }
    return script(r + "\r");
  }

  std::mutex mutex_;
  std::map<std::string, std::string> policies_;
  std::map<std::string, std::string> settings_;
  std::vector<std::string> schedule_;
  std::map<std::string, int> refusals_;
  std::map<std::string, int> delays_;  // by request prefix, in milliseconds
  std::vector<std::string> changes_;
};

}  // namespace gw
