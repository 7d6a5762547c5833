// Address rules, accounts and the login check, with real "access" and "user" files.
#include "service/access/access_control.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "testing/temp_dir.h"

namespace gw {
namespace {

constexpr uint32_t ip(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return a << 24 | b << 16 | c << 8 | d;
}

class AccessControlTest : public ::testing::Test {
 protected:
  std::unique_ptr<AccessControl> open() { return std::make_unique<AccessControl>(dir_.path()); }
  std::unique_ptr<AccessControl> withAccess(const std::string& text) {
    dir_.write("access", text);
    return open();
  }
  std::unique_ptr<AccessControl> withUsers(const std::string& text) {
    dir_.write("user", text);
    return open();
  }

  TempDir dir_;
};

TEST_F(AccessControlTest, FreshInstallationWritesTheDefaults) {
  {
    auto access = open();
    EXPECT_EQ(access->evaluateRules(ip(192, 168, 1, 9)), RULE_DENY);
    EXPECT_EQ(access->evaluateRules(ip(0, 0, 0, 0)), RULE_DENY);
    ASSERT_EQ(access->saveAccess(), RC_OK);
    ASSERT_EQ(access->saveUsers(), RC_OK);
  }
  EXPECT_EQ(dir_.read("access"), "DENY 0.0.0.0/0\n");
  EXPECT_EQ(dir_.read("user"),
            "username=normal(read only)\npassword=\nlevel=1\n"
            "username=slave\npassword=\nlevel=3\n"
            "username=manager\npassword=\nlevel=7\n");
  struct stat st {};
  ASSERT_EQ(::stat(dir_.file("user").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "the user file holds passwords";

  // What was written reads back as the same lists.
  auto again = open();
  EXPECT_EQ(again->rules(), AccessControl::defaultRules());
  EXPECT_EQ(again->accounts(), AccessControl::defaultAccounts());
}

TEST_F(AccessControlTest, RulesDecideByFirstMatchThatIsNotNone) {
  auto allow_only = withAccess("ALLOW 192.168.1.0/24\n");
  EXPECT_EQ(allow_only->evaluateRules(ip(192, 168, 1, 77)), RULE_ALLOW);
  EXPECT_EQ(allow_only->evaluateRules(ip(192, 168, 2, 77)), RULE_DROP) << "no rule decides";

  auto allow_then_deny = withAccess("ALLOW 192.168.1.0/24\nDENY 0.0.0.0/0\n");
  EXPECT_EQ(allow_then_deny->evaluateRules(ip(192, 168, 1, 1)), RULE_ALLOW);
  EXPECT_EQ(allow_then_deny->evaluateRules(ip(10, 0, 0, 1)), RULE_DENY);

  auto none_first = withAccess("NONE 10.1.2.3/32\nDROP 10.1.0.0/16\nALLOW 10.0.0.0/8\n");
  EXPECT_EQ(none_first->evaluateRules(ip(10, 1, 2, 3)), RULE_DROP) << "NONE passes over";
  EXPECT_EQ(none_first->evaluateRules(ip(10, 2, 0, 1)), RULE_ALLOW);

  auto none_then_allow = withAccess("NONE 10.1.2.3/32\nALLOW 10.1.2.3/32\n");
  EXPECT_EQ(none_then_allow->evaluateRules(ip(10, 1, 2, 3)), RULE_ALLOW);

  auto empty = withAccess("");
  EXPECT_TRUE(empty->rules().empty()) << "an empty file is not a missing one";
  EXPECT_EQ(empty->evaluateRules(ip(127, 0, 0, 2)), RULE_DROP);
}

TEST_F(AccessControlTest, AccessLinesThatAreSkippedOrBent) {
  struct Case {
    const char* line;
    bool loads;
    const char* written;  // how the rule is written back when it loads
  };
  const Case cases[] = {
      {"ALLOW 192.168.1.0/24", true, "ALLOW 192.168.1.0/24"},
      {"allow 192.168.1.0/24", false, ""},
      {"ALLOW", false, ""},
      {"ALLOW192.168.1.0/24", false, ""},
      {"ALLOW 192.168.1.0", false, ""},
      {"ALLOW 192.168.1.0/", false, ""},
      {"ALLOW 192.168.1.0/33", false, ""},
      {"ALLOW 192.168.1.0/-1", false, ""},
      {"PERMIT 192.168.1.0/24", false, ""},
      {"ALLOW 192.168.1.0/x", true, "ALLOW 192.168.1.0/0"},
      {"ALLOW 192.168.1.0/24x", true, "ALLOW 192.168.1.0/24"},
      {"DROP 10.0.0.1/32\r", true, "DROP 10.0.0.1/32"},
      {"DENY host.example/8", true, "DENY 255.255.255.255/8"},
      {"NONE 1.2.3.4/0", true, "NONE 1.2.3.4/0"},
  };
  for (const Case& c : cases) {
    auto access = withAccess(std::string(c.line) + "\n");
    EXPECT_EQ(access->rules().size(), c.loads ? 1u : 0u) << "\"" << c.line << "\"";
    if (c.loads) {
      EXPECT_EQ(access->accessFileText(), std::string(c.written) + "\n") << c.line;
    }
  }
  auto any = withAccess("garbage\nALLOW 192.168.1.0/x\n");
  EXPECT_EQ(any->evaluateRules(ip(8, 8, 8, 8)), RULE_ALLOW) << "prefix x matches everything";
  for (int prefix : {0, 1, 8, 23, 31, 32}) {
    ProtectRule rule{0, ProtectRule::maskOfPrefix(prefix), RULE_ALLOW};
    EXPECT_EQ(rule.prefixLength(), prefix);
  }
}

TEST_F(AccessControlTest, LoginAtTheFirstCheckThatFindsAnAccount) {
  auto access = open();
  ConnectionLogin nobody;
  EXPECT_FALSE(access->checkLevel(&nobody, LEVEL_NORMAL)) << "no name given";
  EXPECT_EQ(nobody.failures, 0u) << "nothing was tried";

  ConnectionLogin manager{"manager", "anything", LEVEL_NONE};
  EXPECT_TRUE(access->checkLevel(&manager, LEVEL_MANAGER)) << "empty password accepts any";
  EXPECT_EQ(manager.level, LEVEL_MANAGER);

  ConnectionLogin wrong_case{"Manager", "", LEVEL_NONE};
  EXPECT_FALSE(access->checkLevel(&wrong_case, LEVEL_NORMAL));
  EXPECT_EQ(wrong_case.level, LEVEL_NONE);
  EXPECT_EQ(wrong_case.failures, 1u) << "an unknown name is a failed login";
  wrong_case.user_name = "manager";  // a later check tries again with the new name
  EXPECT_TRUE(access->checkLevel(&wrong_case, LEVEL_NORMAL));
  EXPECT_EQ(wrong_case.level, LEVEL_MANAGER);

  ConnectionLogin reader{"normal(read only)", "", LEVEL_NONE};
  EXPECT_FALSE(access->checkLevel(&reader, LEVEL_MANAGER)) << "logs in below the level";
  EXPECT_EQ(reader.level, LEVEL_NORMAL);
  EXPECT_EQ(reader.failures, 0u) << "a level too low is no failed login";
  reader.user_name = "manager";
  EXPECT_FALSE(access->checkLevel(&reader, LEVEL_MANAGER)) << "the level never changes again";
  EXPECT_TRUE(access->checkLevel(&reader, LEVEL_NORMAL));
  EXPECT_EQ(reader.level, LEVEL_NORMAL);
}

TEST_F(AccessControlTest, PasswordsAndLevelZero) {
  auto access = withUsers(
      "username=ops\npassword=secret\nlevel=7\n"
      "username=ops\npassword=\nlevel=7\n"
      "username=ghost\npassword=\nlevel=0\n");
  ConnectionLogin bad{"ops", "guess", LEVEL_NONE};
  EXPECT_FALSE(access->checkLevel(&bad, LEVEL_NORMAL)) << "the first account of a name decides";
  EXPECT_EQ(bad.level, LEVEL_NONE);
  EXPECT_FALSE(access->checkLevel(&bad, LEVEL_NORMAL));
  EXPECT_EQ(bad.failures, 2u) << "every check with a wrong password counts";
  bad.password = "secret";
  EXPECT_TRUE(access->checkLevel(&bad, LEVEL_MANAGER));

  ConnectionLogin ghost{"ghost", "", LEVEL_NONE};
  EXPECT_FALSE(access->checkLevel(&ghost, LEVEL_NONE + 1));
  EXPECT_EQ(ghost.level, LEVEL_NONE) << "a level 0 account never logs in";
  EXPECT_EQ(ghost.failures, 1u);
}

TEST_F(AccessControlTest, UserRecordsCompleteInAnyOrder) {
  auto access = withUsers(
      "username=a\nlevel=3\npassword=pa\n"           // level before password
      "username=b\npassword=pb\n"                    // incomplete ...
      "username=c\nnote=x\nno equals sign\n"         // ... restarted by the next name
      "password=pc\nlevel=+7junk\n"                  // sign and trailing letters
      "username=d\npassword=pd\nlevel=oops\n"        // no digits: level 0
      "username=e\nlevel=4294967295\npassword=pe\n"  // written unsigned
      "username=f\npassword=pf\n");                  // incomplete at the end
  std::vector<UserAccount> expected = {{"a", "pa", 3},
                                       {"c", "pc", 7},
                                       {"d", "pd", 0},
                                       {"e", "pe", -1}};
  EXPECT_EQ(access->accounts(), expected);
  EXPECT_EQ(access->userFileText(),
            "username=a\npassword=pa\nlevel=3\n"
            "username=c\npassword=pc\nlevel=7\n"
            "username=d\npassword=pd\nlevel=0\n"
            "username=e\npassword=pe\nlevel=4294967295\n");
  EXPECT_EQ(access->userReport().refused_lines, (std::vector<size_t>{4, 5, 7, 8, 17, 18}))
      << "b restarted, two lines that are no field, f left incomplete";
  EXPECT_TRUE(access->userReport().note.empty());
  EXPECT_TRUE(access->accessReport().clean()) << "no \"access\" file";

  auto empty = withUsers("");
  EXPECT_TRUE(empty->accounts().empty()) << "an empty file is not a missing one";
  EXPECT_EQ(empty->userReport().text(), "user: no account: nobody can log in");
}

TEST_F(AccessControlTest, CrLfFilesLoadAsTheirLfForms) {
  auto access = withUsers("username=manager\r\npassword=s3cret\r\nlevel=7\r\n");
  dir_.write("access", "ALLOW 192.168.1.0/24\r\nDENY 0.0.0.0/0\r\n");
  access = open();
  ASSERT_EQ(access->accounts(), (std::vector<UserAccount>{{"manager", "s3cret", 7}}));
  ConnectionLogin login{"manager", "s3cret", LEVEL_NONE};
  EXPECT_TRUE(access->checkLevel(&login, LEVEL_MANAGER)) << "no CR in the name or password";
  EXPECT_EQ(access->accessFileText(), "ALLOW 192.168.1.0/24\nDENY 0.0.0.0/0\n");
  EXPECT_TRUE(access->userReport().clean());
  EXPECT_TRUE(access->accessReport().clean());

  // A name ending in a carriage return of its own would lose it at the next write and read.
  auto odd =
      withUsers("username=ab\r\r\npassword=\nlevel=1\nusername=cd\npassword=\nlevel=1\n");
  EXPECT_EQ(odd->accounts(), (std::vector<UserAccount>{{"cd", "", 1}}));
  EXPECT_EQ(odd->userReport().refused_lines, (std::vector<size_t>{1, 2, 3}));
}

TEST_F(AccessControlTest, ADamagedUserFileIsReportedAndKept) {
  // A file cut short in the middle of the manager's record, with binary junk before it.
  const std::string damaged =
      "username=slave\npassword=x\nlevel=3\n\x7f\x45\x4c\x46\x02\n"
      "username=manager\npassword=s3c";
  auto access = withUsers(damaged);
  EXPECT_EQ(access->accounts(), (std::vector<UserAccount>{{"slave", "x", 3}}));
  EXPECT_EQ(access->userReport().text(),
            "user: line 4 refused, and 2 more (5, 6); the original is kept as user.rejected");
  EXPECT_EQ(dir_.read("user.rejected"), damaged);
  struct stat st {};
  ASSERT_EQ(::stat(dir_.file("user.rejected").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "the copy holds passwords too";

  auto rules = withAccess("ALLOW 10.0.0.0/8\nALLOW 10.0.0.0\n");
  EXPECT_EQ(rules->accessReport().refused_lines, std::vector<size_t>{2});
  EXPECT_EQ(dir_.read("access.rejected"), "ALLOW 10.0.0.0/8\nALLOW 10.0.0.0\n");

  ASSERT_EQ(rules->saveUsers(), RC_OK);
  EXPECT_EQ(dir_.read("user.rejected"), damaged) << "the rewrite leaves the copy";
}

TEST_F(AccessControlTest, SaveFailureIsReported) {
  AccessControl nowhere(dir_.file("missing-dir"));
  EXPECT_NE(nowhere.saveAccess(), RC_OK);
  EXPECT_NE(nowhere.saveUsers(), RC_OK);
}

}  // namespace
}  // namespace gw
