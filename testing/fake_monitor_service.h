// An in-memory monitoring service behind a request channel: logins with lazy level checks,
// settings, policies, logs, a schedule and a few device values, answered the way the real
// service answers them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "client/core/request_channel.h"
#include "common/line_file.h"

namespace gw {

class FakeMonitorService : public RequestChannel {
 public:
  // The default accounts' names and levels, with empty passwords. Tests fill the rest.
  std::map<std::string, std::pair<std::string, int>> accounts = {
      {"normal(read only)", {"", 1}}, {"slave", {"", 3}}, {"manager", {"", 7}}};
  std::map<std::string, std::string> settings;
  std::map<std::string, std::string> policies;
  // Variable name to the reply text; a name not here answers "no UPS".
  std::map<std::string, std::string> device;
  std::vector<std::string> logs[3];
  std::string schedule;
  std::vector<std::string> requests;
  // Requests after this many break the connection.
  size_t fail_after = 1000000;

  ResultCode exchange(std::string_view request, std::string* reply) override {
    if (requests.size() >= fail_after) return RC_SOCKET_ERROR;
    EXPECT_FALSE(request.empty());
    EXPECT_EQ(request.back(), '\r');
    requests.emplace_back(request.substr(0, request.size() - 1));
    ResultCode rc = answer(requests.back(), reply);
    if (rc != RC_OK) *reply = "ERR " + std::to_string(static_cast<int>(rc));
    return RC_OK;
  }

  // Each monctl run is a connection of its own, which starts without a login.
  void newConnection() {
    name_.clear();
    password_.clear();
    level_ = 0;
  }

  size_t countStarting(const std::string& prefix) const {
    size_t n = 0;
    for (const std::string& r : requests) n += r.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }

 private:
  bool checkLevel(int wanted) {
    if (level_ == 0) {
      auto it = accounts.find(name_);
      if (it == accounts.end()) return false;
      if (!it->second.first.empty() && it->second.first != password_) return false;
      level_ = it->second.second;
    }
    return level_ >= wanted;
  }

  ResultCode keyValue(std::map<std::string, std::string>& store, const std::string& arg,
                      std::string* reply) {
    size_t equals = arg.find('=');
    if (equals == std::string::npos) {
      auto it = store.find(arg);
      if (it == store.end() || (&store == &settings && it->second.empty())) return RC_BAD_SETTING;
      *reply = it->second;
      return RC_OK;
    }
    if (!checkLevel(7)) return RC_OK;
    auto it = store.find(arg.substr(0, equals));
    if (it == store.end()) return RC_BAD_SETTING;
    std::string value = arg.substr(equals + 1);
    long long number = 0;
    if (&store == &policies) {
      // Numbers that do not read keep the old value and still succeed; -1 is held unsigned.
      bool content = it->first.find(".content") != std::string::npos;
      if (content) {
        it->second = value;
      } else if (parseWholeInt(value, &number)) {
        it->second = std::to_string(static_cast<uint32_t>(number));
      }
      return RC_OK;
    }
    // A setting holding a number only takes a number; the others are texts.
    long long current = 0;
    if (parseWholeInt(it->second, &current) && !parseWholeInt(value, &number)) {
      return RC_BAD_SETTING;
    }
    it->second = value;
    return RC_OK;
  }

  ResultCode answer(const std::string& request, std::string* reply) {
    reply->clear();
    if (request.rfind("USR NAME ", 0) == 0) {
      name_ = request.substr(9);
      return RC_OK;
    }
    if (request.rfind("USR PASS ", 0) == 0) {
      password_ = request.substr(9);
      return RC_OK;
    }
    if (!checkLevel(1)) return RC_ACCESS_DENIED;
    std::istringstream words(request);
    std::string command, sub;
    words >> command >> sub;
    if (command == "POL" || command == "PTC") {
      return keyValue(command == "POL" ? settings : policies, request.substr(4), reply);
    }
    if (command == "DEV") {
      if (sub == "CMD_SELFTEST") {
        if (!checkLevel(7)) return RC_ACCESS_DENIED;
        long long seconds = 0;
        if (!(words >> seconds)) return RC_BAD_REQUEST;
        return RC_NO_DEVICE;
      }
      auto it = device.find(sub);
      if (it == device.end()) return RC_NO_DEVICE;
      *reply = it->second;
      return RC_OK;
    }
    if (command == "LOG") {
      int log = -1;
      long long cursor = 0;
      words >> log;
      if (sub == "CLR") return checkLevel(7) ? RC_OK : RC_ACCESS_DENIED;
      if (log < 0 || log > 2) return RC_OK;
      const std::vector<std::string>& records = logs[log];
      long long count = static_cast<long long>(records.size());
      if (sub == "KEY") {
        *reply = std::to_string(count);
        return RC_OK;
      }
      if (sub != "PRV" || !(words >> cursor)) return RC_BAD_REQUEST;
      if (log == 1) {
        *reply = "0";
        if (cursor != 0 && !records.empty()) *reply += " " + joinLines(records);
        return RC_OK;
      }
      cursor = std::min(cursor, count);
      long long first = std::max(0LL, cursor - 50);
      *reply = std::to_string(first);
      if (cursor > first) *reply += " ";
      for (long long i = first; i < cursor; ++i) *reply += records[static_cast<size_t>(i)] + "\n";
      return RC_OK;
    }
    if (command == "SCH" && sub == "GET") {
      *reply = schedule;
      return RC_OK;
    }
    return RC_BAD_REQUEST;
  }

  std::string name_;
  std::string password_;
  int level_ = 0;
};

}  // namespace gw
