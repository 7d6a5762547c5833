// Fakes of the client protocol server's view of the service: a small device catalogue, settings
// maps, logs kept in memory, a schedule kept as text, event times, and an access check with the
// service's default accounts and a scripted rule result.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "service/server/server_context.h"

namespace gw {

// Answers a fixed subset of the catalogue, with the catalogue's positions and kinds, and records
// every call as "name first second".
class FakeDeviceVariables : public DeviceVariables {
 public:
  struct Entry {
    const char* name;
    int index;
    int kind;
  };
  static constexpr Entry kEntries[] = {
      {"STATUS_INVOLT", 0, KIND_READ_INT},       {"STATUS_POWERFAIL", 7, KIND_READ_INT},
      {"STATUS_CONNECT", 12, KIND_READ_INT},     {"STATUS_BEEP", 13, KIND_READ_INT},
      {"CMD_SELFTEST", 14, KIND_COMMAND_INT},    {"CMD_SLEEP", 15, KIND_COMMAND_TWO},
      {"CMD_TOGGLEBUZZER", 17, KIND_COMMAND},    {"SET_PROP_INPUTHI", 18, KIND_COMMAND_INT},
      {"PROP_INPUTHI", 25, KIND_READ_SETTING},   {"PROP_MODEL", 38, KIND_READ_TEXT},
  };

  bool findVariable(std::string_view name, int* index, int* kind) const override {
    for (const Entry& e : kEntries) {
      if (name == e.name) {
        *index = e.index;
        *kind = e.kind;
        return true;
      }
    }
    return false;
  }

  ResultCode callVariable(int index, int32_t first, int32_t second, int32_t* number,
                          std::string* text) override {
    const char* name = "?";
    for (const Entry& e : kEntries) {
      if (e.index == index) name = e.name;
    }
    calls.push_back(std::string(name) + " " + std::to_string(first) + " " + std::to_string(second));
    if (code != RC_OK) return code;
    if (number != nullptr) {
      auto it = values.find(index);
      *number = it == values.end() ? 0 : it->second;
      if (index == 25 && first != 0) *number = setting_default;
    }
    if (text != nullptr) *text = model;
    return RC_OK;
  }

  ResultCode code = RC_OK;  // returned by every call when not RC_OK
  std::map<int, int32_t> values{{12, 1}, {0, 23000}, {25, 264}};
  int32_t setting_default = 253;
  std::string model = "Model 1000";
  std::vector<std::string> calls;
};

// Key-value settings: get of a known key with a non-empty value succeeds; set succeeds for a
// known key unless the value is in `refused`.
class FakeKeyValueSettings : public KeyValueSettings {
 public:
  explicit FakeKeyValueSettings(std::map<std::string, std::string> initial)
      : values(std::move(initial)) {}

  bool get(std::string* text) override {
    auto it = values.find(*text);
    if (it == values.end() || it->second.empty()) return false;
    *text += "=" + it->second;
    return true;
  }
  bool set(const std::string& text) override {
    size_t eq = text.find('=');
    if (eq == std::string::npos) return false;
    auto it = values.find(text.substr(0, eq));
    std::string value = text.substr(eq + 1);
    if (it == values.end() || value == refused) return false;
    it->second = value;
    ++sets;
    return true;
  }

  std::map<std::string, std::string> values;
  std::string refused = "refused";
  int sets = 0;
};

// Logs as lists of record texts, paged the way the log store pages its files.
class FakeLogPages : public LogPages {
 public:
  int64_t count(int kind) override { return static_cast<int64_t>(records[kind].size()); }
  void clear(int kind) override {
    records[kind].clear();
    ++clears;
  }
  void nextPage(int kind, int64_t from, std::string* out) override {
    if (kind == 1) return;
    const auto& r = records[kind];
    int64_t n = static_cast<int64_t>(r.size());
    if (from < 0) from = 0;
    if (from >= n) {
      *out = std::to_string(n);
      return;
    }
    int64_t end = std::min<int64_t>(n, from + 50);
    *out = std::to_string(end) + " ";
    for (int64_t i = from; i < end; ++i) *out += r[static_cast<size_t>(i)] + "\n";
  }
  void previousPage(int kind, int64_t before, std::string* out) override {
    const auto& r = records[kind];
    if (before <= 0) {
      *out = "0";
      return;
    }
    int64_t n = std::min<int64_t>(before, static_cast<int64_t>(r.size()));
    int64_t first = std::max<int64_t>(0, n - 50);
    *out = std::to_string(first) + (n > first ? " " : "");
    for (int64_t i = first; i < n; ++i) *out += r[static_cast<size_t>(i)] + "\n";
  }

  std::map<int, std::vector<std::string>> records;
  int clears = 0;
};

class FakeScheduleItems : public ScheduleItems {
 public:
  void listItems(std::string* out) override {
    for (const std::string& line : lines) *out += line + "\n";
  }
  void replaceItems(std::string_view text) override {
    last_set = std::string(text);
    lines.clear();
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string line(text.substr(start, end - start));
      while (!line.empty() && line.front() == ' ') line.erase(0, 1);
      if (!line.empty()) lines.push_back(line);
      start = end + 1;
    }
  }

  std::vector<std::string> lines;
  std::string last_set;
};

class FakeEventTimes : public EventTimes {
 public:
  int phase(int event) const override { return phases[static_cast<size_t>(event)]; }
  int64_t happenTime(int event) const override { return happen[static_cast<size_t>(event)]; }
  int64_t restoreTime(int event) const override { return restore[static_cast<size_t>(event)]; }

  std::array<int, 6> phases{};
  std::array<int64_t, 6> happen{};
  std::array<int64_t, 6> restore{};
};

// The login rules of the service's access control with its three default accounts (empty
// passwords accept any password), and one scripted answer for every remote peer.
class FakeClientAccess : public ClientAccess {
 public:
  struct Account {
    std::string name;
    std::string password;
    int level;
  };

  void setCurrent(ClientIdentity* identity) override { current = identity; }
  RuleAction evaluateRules() override {
    ++rule_checks;
    return rule;
  }
  bool checkLevel(int required) override {
    if (current == nullptr) return false;
    if (current->level == 0) {
      if (current->user_name.empty()) return false;
      for (const Account& a : accounts) {
        if (a.name != current->user_name) continue;
        if (!a.password.empty() && a.password != current->password) return false;
        if (a.level == 0) return false;
        current->level = a.level;
        break;
      }
      if (current->level == 0) return false;
    }
    return current->level >= required;
  }

  std::vector<Account> accounts{{"normal(read only)", "", 1}, {"slave", "", 3}, {"manager", "", 7}};
  RuleAction rule = RuleAction::kDeny;
  ClientIdentity* current = nullptr;
  int rule_checks = 0;
};

}  // namespace gw
