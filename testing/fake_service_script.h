// The answers of a healthy monitoring service, for tests of the client against
// FakeClientService.
#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "common/time_text.h"
#include "testing/fake_client_service.h"

namespace gw {

// A healthy service with a binary-protocol UPS on mains, for FakeClientService: it answers
// every request of the client's login and polls, and pages through three small logs; any
// answer can be overridden. Thread-safe.
class FakeServiceScript {
 public:
  FakeServiceScript() {
    logs_[0] = records("event", 120);
    logs_[1] = {"word.exe report.doc", "calc.exe -"};
    logs_[2] = records("status", 60);
  }

  FakeClientService::Reply operator()(const std::string& request) {
    std::string r = request.substr(0, request.size() - 1);
    std::lock_guard<std::mutex> hold(mutex_);
    auto it = overrides_.find(r);
    if (it != overrides_.end()) return it->second(r);
    return FakeClientService::text(answer(r));
  }

  void set(const std::string& request, std::function<FakeClientService::Reply(const std::string&)> reply) {
    std::lock_guard<std::mutex> hold(mutex_);
    overrides_[request] = std::move(reply);
  }
  void set(const std::string& request, const std::string& reply) {
    set(request, [reply](const std::string&) { return FakeClientService::text(reply); });
  }
  void setLog(int log, std::vector<std::string> records) {
    std::lock_guard<std::mutex> hold(mutex_);
    logs_[log] = std::move(records);
  }
  void appendRecords(int log, const std::vector<std::string>& records) {
    std::lock_guard<std::mutex> hold(mutex_);
    logs_[log].insert(logs_[log].end(), records.begin(), records.end());
  }
  void appendEvents(int count) {
    std::lock_guard<std::mutex> hold(mutex_);
    for (int i = 0; i < count; ++i) logs_[0].push_back("added " + std::to_string(i) + " 4");
  }

 private:
  static std::vector<std::string> records(const std::string& stem, int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(stem + " " + std::to_string(i));
    return out;
  }

  std::string page(int log, long long first, long long end) {
    std::string out = std::to_string(log == 1 ? 0 : first);
    for (long long i = first; i < end; ++i) out += (i == first ? " " : "") + logs_[log][i] + "\n";
    return out;
  }

  std::string answer(const std::string& r) {
    static const std::map<std::string, std::string> fixed = {
        {"USR NAME manager", ""}, {"USR PASS quiet lake", ""}, {"DEV STATUS_CONNECT", "1"},
        {"DEV PROP_PORTTYPE", "2"}, {"DEV STATUS_POWERFAIL", "0"}, {"DEV STATUS_BATTERYLO", "0"},
        {"DEV STATUS_INVOLT", "23012"}, {"DEV STATUS_OUTVOLT", "22950"},
        {"DEV STATUS_CAPACITY", "10000"}, {"DEV STATUS_LOAD", "2500"}, {"DEV STATUS_TEMP", "3800"},
        {"DEV STATUS_FREQ", "5000"}, {"DEV STATUS_BACKUP", "1800"}, {"DEV STATUS_TEST", "0"},
        {"DEV STATUS_WAITSLEEP", "0"}, {"DEV STATUS_BEEP", "1"}, {"DEV STATUS_WAITWAKEUP", "0"},
        {"DEV PROP_MEDIATYPE", "2"}, {"DEV PROP_MEDIAIDX", "1"}, {"DEV PROP_MODEL", "KD-9"},
        {"DEV PROP_FWVER", "1.02"}, {"DEV PROP_INPUTHI", "264"}, {"DEV PROP_INPUTLO", "176"},
        {"DEV PROP_BATTERYLO", "20"}, {"DEV PROP_BATOUT", "230"}, {"DEV PROP_COLDSTART", "1"},
        {"DEV PROP_INPUTHI_RANGE", "253,258,264,270,"}, {"DEV PROP_INPUTLO_RANGE", "160,176,184,"},
        {"DEV PROP_BATTERYLO_RANGE", "10,20,30,"}, {"DEV PROP_BATOUT_RANGE", "220,230,240,"},
        {"DEV PROP_INPUTHI DEFAULT", "264"}, {"DEV PROP_INPUTLO DEFAULT", "176"},
        {"DEV PROP_BATTERYLO DEFAULT", "20"}, {"DEV PROP_BATOUT DEFAULT", "230"},
        {"DEV PROP_COLDSTART DEFAULT", "0"}, {"SCH GET", ""}};
    auto it = fixed.find(r);
    if (it != fixed.end()) return it->second;
    if (r == "TIME NOW" || r == "TIME HAPPEN powerfail") return formatWireTime(1036515849000);
    if (r.rfind("PTC ", 0) == 0) return "v:" + r.substr(4);
    if (r.rfind("POL ", 0) == 0) return "1";
    int log = 0;
    long long cursor = 0;
    if (std::sscanf(r.c_str(), "LOG KEY %d", &log) == 1 && log >= 0 && log < 3) {
      return std::to_string(logs_[log].size());
    }
    if (std::sscanf(r.c_str(), "LOG PRV %d %lld", &log, &cursor) == 2 && log >= 0 && log < 3) {
      if (log == 1) return cursor == 0 ? "0" : page(1, 0, static_cast<long long>(logs_[1].size()));
      long long first = std::max(0LL, cursor - 50);
      return page(log, first, cursor);
    }
    if (std::sscanf(r.c_str(), "LOG NXT %d %lld", &log, &cursor) == 2 && log >= 0 && log < 3) {
      long long end = std::min<long long>(static_cast<long long>(logs_[log].size()), cursor + 50);
      std::string out = std::to_string(end);
      for (long long i = cursor; i < end; ++i) out += (i == cursor ? " " : "") + logs_[log][i] + "\n";
      return out;
    }
    return "ERR 31";
  }

  std::mutex mutex_;
  std::map<std::string, std::function<FakeClientService::Reply(const std::string&)>> overrides_;
  std::vector<std::string> logs_[3];
};

}  // namespace gw
