// Command-line parsing: defaults, the port's three sources, and the refusals.
#include "tools/monctl/monctl_options.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

ParseOutcome parse(std::vector<std::string> args, MonctlOptions* options, std::string* error,
                   const char* env_port = nullptr) {
  args.insert(args.begin(), "monctl");
  return parseMonctlOptions(args, env_port, options, error);
}

TEST(MonctlOptionsTest, PortComesFromOptionThenEnvironmentThenDefault) {
  MonctlOptions o;
  std::string error;
  ASSERT_EQ(parse({"status"}, &o, &error, "9001"), ParseOutcome::kRun);
  EXPECT_EQ(o.port, 9001) << "GRIDWATCH_PORT replaces the default";
  ASSERT_EQ(parse({"--port", "9002", "status"}, &o, &error, "9001"), ParseOutcome::kRun);
  EXPECT_EQ(o.port, 9002) << "--port wins over the environment";
  ASSERT_EQ(parse({"status", "--port=9003"}, &o, &error, "junk"), ParseOutcome::kRun)
      << "a bad environment value does not matter when --port is given";
  EXPECT_EQ(o.port, 9003);
  ASSERT_EQ(parse({"status"}, &o, &error, "junk"), ParseOutcome::kRun)
      << "a bad environment value is ignored, as the service ignores it";
  EXPECT_EQ(o.port, 8855);
  ASSERT_EQ(parse({"status"}, &o, &error, ""), ParseOutcome::kRun) << "empty means unset";
  EXPECT_EQ(o.port, 8855);
  EXPECT_EQ(o.user, "manager") << "the management client's fixed login";
  EXPECT_EQ(o.password, "quiet lake");
}

TEST(MonctlOptionsTest, OptionsAnywhereWithBothSpellings) {
  MonctlOptions o;
  std::string error;
  ASSERT_EQ(parse({"--user", "normal(read only)", "log", "events", "--count=5",
                   "--password=", "--timeout", "3", "--host", "10.0.0.2"},
                  &o, &error),
            ParseOutcome::kRun)
      << error;
  EXPECT_EQ(o.user, "normal(read only)");
  EXPECT_EQ(o.password, "") << "an empty password is a value";
  EXPECT_EQ(o.command, MonctlCommand::kLog);
  EXPECT_EQ(o.args, std::vector<std::string>{"events"});
  EXPECT_EQ(o.log_count, 5);
  EXPECT_EQ(o.timeout_ms, 3000);
  EXPECT_EQ(o.host, "10.0.0.2");

  ASSERT_EQ(parse({"get", "--", "--odd key"}, &o, &error), ParseOutcome::kRun)
      << "-- ends the options";
  EXPECT_EQ(o.args, std::vector<std::string>{"--odd key"});
  EXPECT_EQ(parse({"status", "--help"}, &o, &error), ParseOutcome::kHelp);
}

TEST(MonctlOptionsTest, RefusesWhatCannotBeRun) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"reboot"},
      {"--port", "0", "status"},
      {"--port", "65536", "status"},
      {"--port", "80x", "status"},
      {"--timeout", "0", "status"},
      {"--timeout", "ten", "status"},
      {"--verbose", "status"},
      {"status", "--port"},
      {"status", "extra"},
      {"get"},
      {"get", "service.polling rate=5000"},  // a read that would change the setting
      {"get", ""},
      {"set", "service.polling rate"},
      {"set", "=5000"},
      {"set", "email.subject=two\nlines"},
      {"--user", "man\rager", "status"},
      {"log"},
      {"log", "everything"},
      {"log", "events", "status"},
      {"log", "events", "--count", "0"},
      {"status", "--count", "3"},
      {"selftest"},
      {"selftest", "0"},
      {"selftest", "-1"},
      {"selftest", "ten"},
      {"selftest", "99999999999"},
      {"schedule", "now"},
  };
  for (const auto& args : bad) {
    MonctlOptions o;
    std::string error;
    std::string shown;
    for (const std::string& a : args) shown += "[" + a + "]";
    EXPECT_EQ(parse(args, &o, &error), ParseOutcome::kUsageError) << shown;
    EXPECT_FALSE(error.empty()) << shown;
  }
  MonctlOptions o;
  std::string error;
  EXPECT_EQ(parse({"selftest", "cancel"}, &o, &error), ParseOutcome::kRun);
  EXPECT_EQ(parse({"set", "email.subject="}, &o, &error), ParseOutcome::kRun)
      << "an empty value is allowed";
}

}  // namespace
}  // namespace gw
