// Who may use the client protocol: the address rules that admit remote peers and the accounts
// that give a connection its level, kept in the "access" and "user" files of the data
// directory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/result_code.h"
#include "service/access/access_levels.h"
#include "service/access/protect_rule.h"
#include "service/access/user_account.h"
#include "service/config/load_report.h"

namespace gw {

// The login state of one client connection. The server keeps one per connection, fills the name
// and password from "USR NAME" / "USR PASS", and hands it to checkLevel; level 0 means not
// logged in yet.
struct ConnectionLogin {
  std::string user_name;
  std::string password;
  int32_t level = LEVEL_NONE;
  // Checks that had a name to try and found no account to log in with.
  uint32_t failures = 0;
};

// Single-threaded (the service's main thread). The lists do not change while the service runs;
// they are read when built and written back by the service's orderly stop. Not copyable.
class AccessControl {
 public:
  static constexpr std::string_view kAccessFileName = "access";
  static constexpr std::string_view kUserFileName = "user";
  static constexpr unsigned kAccessFileMode = 0644;
  // "user" holds passwords in plain text: only the service's account may read it.
  static constexpr unsigned kUserFileMode = 0600;

  // Loads "access" (missing or unreadable: the one rule DENY 0.0.0.0/0) and "user" (missing or
  // unreadable: the accounts "normal(read only)" 1, "slave" 3, "manager" 7, all with empty
  // passwords) from `data_dir`. Bad lines are skipped and listed in the file's load report (with
  // the original kept as "<file>.rejected"); an existing empty "access" file gives no rules, so
  // every remote peer is dropped. A "user" file that yields no account says so in its report.
  explicit AccessControl(std::string data_dir);

  AccessControl(const AccessControl&) = delete;
  AccessControl& operator=(const AccessControl&) = delete;

  // What to do with a remote peer: the first matching rule whose action is not NONE; RULE_DROP
  // when none decides. The server applies it only to peers other than itself and 127.0.0.1.
  RuleAction evaluateRules(uint32_t peer_address) const;

  // Whether the connection reaches `required`, logging it in on the way: a connection with a
  // level keeps it (a later name or password changes nothing); otherwise the first account whose
  // name equals login->user_name exactly, with an empty password or one equal to
  // login->password, gives the connection its level (even one below `required`). No such
  // account leaves the level at 0, counts a failure in login->failures (unless no name was
  // given at all) and returns false.
  bool checkLevel(ConnectionLogin* login, int32_t required) const;

  // Write "access" and "user", each atomically; "user" holds passwords and is created with
  // mode 0600.
  [[nodiscard]] ResultCode saveAccess() const;
  [[nodiscard]] ResultCode saveUsers() const;

  const std::vector<ProtectRule>& rules() const { return rules_; }
  const std::vector<UserAccount>& accounts() const { return accounts_; }

  // The file texts the saves write.
  std::string accessFileText() const;
  std::string userFileText() const;
  static std::string formatAccessFile(const std::vector<ProtectRule>& rules);
  static std::string formatUserFile(const std::vector<UserAccount>& accounts);

  // The lists a file text holds, by the loading rules above. The numbers (from 1) of non-empty
  // lines that were not taken are appended to *refused (nullable), in file order: for "user",
  // lines without '=' or with another key, a value holding a carriage return, and the lines of
  // a record that was started afresh or left incomplete.
  static std::vector<ProtectRule> parseAccessFile(std::string_view text,
                                                  std::vector<size_t>* refused = nullptr);
  static std::vector<UserAccount> parseUserFile(std::string_view text,
                                                std::vector<size_t>* refused = nullptr);

  // What loading "access" and "user" refused (clean when the file was missing).
  const LoadReport& accessReport() const { return access_report_; }
  const LoadReport& userReport() const { return user_report_; }

  static std::vector<ProtectRule> defaultRules();
  static std::vector<UserAccount> defaultAccounts();

 private:
  std::string data_dir_;
  std::vector<ProtectRule> rules_;
  std::vector<UserAccount> accounts_;
  LoadReport access_report_;
  LoadReport user_report_;
};

}  // namespace gw
