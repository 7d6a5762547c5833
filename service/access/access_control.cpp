// Address rules, accounts and the login check, with their files.
#include "service/access/access_control.h"

#include <utility>

#include "common/line_file.h"
#include "platform/file_system.h"

namespace gw {

AccessControl::AccessControl(std::string data_dir) : data_dir_(std::move(data_dir)) {
  std::string text;
  rules_ = readWholeFile(joinPath(data_dir_, std::string(kAccessFileName)), &text) == RC_OK
               ? parseAccessFile(text)
               : defaultRules();
  text.clear();
  accounts_ = readWholeFile(joinPath(data_dir_, std::string(kUserFileName)), &text) == RC_OK
                  ? parseUserFile(text)
                  : defaultAccounts();
}

std::vector<ProtectRule> AccessControl::defaultRules() {
  return {ProtectRule{0, 0, RULE_DENY}};
}

std::vector<UserAccount> AccessControl::defaultAccounts() {
  return {{"normal(read only)", "", LEVEL_NORMAL},
          {"slave", "", LEVEL_SLAVE},
          {"manager", "", LEVEL_MANAGER}};
}

std::vector<ProtectRule> AccessControl::parseAccessFile(std::string_view text) {
  std::vector<ProtectRule> rules;
  for (const std::string& line : splitLines(text)) {
    ProtectRule rule;
    if (ProtectRule::parse(line, &rule)) rules.push_back(rule);
  }
  return rules;
}

std::vector<UserAccount> AccessControl::parseUserFile(std::string_view text) {
  std::vector<UserAccount> accounts;
  UserAccount record;
  bool has_name = false;
  bool has_password = false;
  bool has_level = false;
  for (const std::string& line : splitLines(text)) {
    std::string_view key;
    std::string_view value;
    if (!splitKeyValue(line, &key, &value)) continue;
    if (key == "username") {
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
      continue;
    }
    if (has_name && has_password && has_level) {
      accounts.push_back(std::move(record));
      record = UserAccount{};
      has_name = has_password = has_level = false;
    }
  }
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
    if (!account.password.empty() && account.password != login->password) return false;
    login->level = account.level;
    return account.level != LEVEL_NONE && account.level >= required;
  }
  return false;
}

std::string AccessControl::accessFileText() const {
  std::string out;
  for (const ProtectRule& rule : rules_) out.append(rule.text()).push_back('\n');
  return out;
}

std::string AccessControl::userFileText() const {
  std::string out;
  for (const UserAccount& account : accounts_) {
    out.append("username=").append(account.name).push_back('\n');
    out.append("password=").append(account.password).push_back('\n');
    out.append("level=")
        .append(std::to_string(static_cast<uint32_t>(account.level)))
        .push_back('\n');
  }
  return out;
}

ResultCode AccessControl::saveAccess() const {
  return writeFileAtomically(joinPath(data_dir_, std::string(kAccessFileName)), accessFileText());
}

ResultCode AccessControl::saveUsers() const {
  // The user file holds passwords in plain text: only the service's account may read it.
  return writeFileAtomically(joinPath(data_dir_, std::string(kUserFileName)), userFileText(),
                             0600);
}

}  // namespace gw
