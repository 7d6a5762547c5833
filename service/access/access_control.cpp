// Address rules, accounts and the login check, with their files.
#include "service/access/access_control.h"

#include <algorithm>
#include <utility>

#include "common/line_file.h"
#include "platform/file_system.h"

namespace gw {

AccessControl::AccessControl(std::string data_dir) : data_dir_(std::move(data_dir)) {
  std::string path = joinPath(data_dir_, std::string(kAccessFileName));
  std::string text;
  std::vector<size_t> refused;
  if (readWholeFile(path, &text) == RC_OK) {
    rules_ = parseAccessFile(text, &refused);
    access_report_ = settleLoad(path, kAccessFileName, text, std::move(refused), kAccessFileMode);
  } else {
    rules_ = defaultRules();
  }
  path = joinPath(data_dir_, std::string(kUserFileName));
  text.clear();
  refused.clear();
  if (readWholeFile(path, &text) == RC_OK) {
    accounts_ = parseUserFile(text, &refused);
    user_report_ = settleLoad(path, kUserFileName, text, std::move(refused), kUserFileMode);
    if (accounts_.empty()) user_report_.note = "no account: nobody can log in";
  } else {
    accounts_ = defaultAccounts();
  }
}

std::vector<ProtectRule> AccessControl::defaultRules() {
  return {ProtectRule{0, 0, RULE_DENY}};
}

std::vector<UserAccount> AccessControl::defaultAccounts() {
  return {{"normal(read only)", "", LEVEL_NORMAL},
          {"slave", "", LEVEL_SLAVE},
          {"manager", "", LEVEL_MANAGER}};
}

std::vector<ProtectRule> AccessControl::parseAccessFile(std::string_view text,
                                                        std::vector<size_t>* refused) {
  std::vector<ProtectRule> rules;
  std::vector<std::string> lines = splitLines(text);
  for (size_t n = 0; n < lines.size(); ++n) {
    ProtectRule rule;
    if (ProtectRule::parse(lines[n], &rule)) {
      rules.push_back(rule);
    } else if (refused && !lines[n].empty()) {
      refused->push_back(n + 1);
    }
  }
  return rules;
}

std::vector<UserAccount> AccessControl::parseUserFile(std::string_view text,
                                                      std::vector<size_t>* refused) {
  std::vector<UserAccount> accounts;
  UserAccount record;
  bool has_name = false;
  bool has_password = false;
  bool has_level = false;
  // The lines of the record being read: they are lost when it is started afresh or left
  // incomplete.
  std::vector<size_t> pending;
  auto refuse = [&](const std::vector<size_t>& numbers) {
    if (refused) refused->insert(refused->end(), numbers.begin(), numbers.end());
  };
  std::vector<std::string> lines = splitLines(text);
  for (size_t n = 0; n < lines.size(); ++n) {
    std::string_view key;
    std::string_view value;
    // A carriage return left in a name or password would not survive the next write and read:
    // the line end takes one that ends the line.
    if (!splitKeyValue(lines[n], &key, &value) || value.find('\r') != std::string_view::npos) {
      if (!lines[n].empty()) refuse({n + 1});
      continue;
    }
    if (key == "username") {
      refuse(pending);
      pending.clear();
      record = UserAccount{std::string(value), "", 0};
      has_name = true;
      has_password = false;
      has_level = false;
    } else if (key == "password") {
      record.password = std::string(value);
      has_password = true;
    } else if (key == "level") {
      // Written unsigned, so a negative level comes back through the 32-bit wrap.
      record.level = static_cast<int32_t>(static_cast<uint32_t>(parseLeadingInt(value)));
      has_level = true;
    } else {
      refuse({n + 1});
      continue;
    }
    pending.push_back(n + 1);
    if (has_name && has_password && has_level) {
      accounts.push_back(std::move(record));
      record = UserAccount{};
      has_name = has_password = has_level = false;
      pending.clear();
    }
  }
  refuse(pending);
  if (refused) std::sort(refused->begin(), refused->end());
  return accounts;
}

RuleAction AccessControl::evaluateRules(uint32_t peer_address) const {
  for (const ProtectRule& rule : rules_) {
    if (rule.action != RULE_NONE && rule.matches(peer_address)) return rule.action;
  }
  return RULE_DROP;
}

bool AccessControl::checkLevel(ConnectionLogin* login, int32_t required) const {
  if (login->level != LEVEL_NONE) return login->level >= required;
  if (login->user_name.empty()) return false;
  for (const UserAccount& account : accounts_) {
    if (account.name != login->user_name) continue;
    // Only the first account of a name counts.
    if (!account.password.empty() && account.password != login->password) break;
    login->level = account.level;
    if (account.level == LEVEL_NONE) break;
    return account.level >= required;
  }
  ++login->failures;
  return false;
}

std::string AccessControl::accessFileText() const { return formatAccessFile(rules_); }

std::string AccessControl::userFileText() const { return formatUserFile(accounts_); }

std::string AccessControl::formatAccessFile(const std::vector<ProtectRule>& rules) {
  std::string out;
  for (const ProtectRule& rule : rules) out.append(rule.text()).push_back('\n');
  return out;
}

std::string AccessControl::formatUserFile(const std::vector<UserAccount>& accounts) {
  std::string out;
  for (const UserAccount& account : accounts) {
    out.append("username=").append(account.name).push_back('\n');
    out.append("password=").append(account.password).push_back('\n');
    out.append("level=")
        .append(std::to_string(static_cast<uint32_t>(account.level)))
        .push_back('\n');
  }
  return out;
}

ResultCode AccessControl::saveAccess() const {
  return writeFileAtomically(joinPath(data_dir_, std::string(kAccessFileName)), accessFileText(),
                             kAccessFileMode);
}

ResultCode AccessControl::saveUsers() const {
  return writeFileAtomically(joinPath(data_dir_, std::string(kUserFileName)), userFileText(),
                             kUserFileMode);
}

}  // namespace gw
