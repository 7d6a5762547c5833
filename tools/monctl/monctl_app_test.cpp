// The monctl commands against an in-memory service.
#include "tools/monctl/monctl_app.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/line_file.h"
#include "testing/fake_monitor_service.h"

namespace gw {
namespace {

class MonctlAppTest : public ::testing::Test {
 protected:
  MonctlAppTest() {
    service_.settings = {{"service.polling rate", "3000"}, {"email.subject", "ups"}};
    service_.policies = {{"powerfail.shutdown.happen.max count", "1"},
                         {"powerfail.record.happen.content", "Mains gone!"},
                         {"start.record.happen.content", ""}};
    service_.device = {
        {"STATUS_INVOLT", "23000"}, {"STATUS_BACKUP", "750"}, {"STATUS_CONNECT", "1"}};
  }

  int run(std::vector<std::string> words) {
    words.insert(words.begin(), "monctl");
    MonctlOptions options;
    std::string error;
    EXPECT_EQ(parseMonctlOptions(words, nullptr, &options, &error), ParseOutcome::kRun) << error;
    out_.str("");
    err_.str("");
    service_.newConnection();
    ProtocolClient client(service_);
    MonctlApp app(client, out_, err_);
    return app.run(options);
  }
  std::vector<std::string> outLines() const { return splitLines(out_.str()); }

  FakeMonitorService service_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(MonctlAppTest, StatusListsAllFourteenAndExplainsFailures) {
  ASSERT_EQ(run({"status"}), 0) << err_.str();
  std::vector<std::string> lines = outLines();
  ASSERT_EQ(lines.size(), 14u) << out_.str();
  EXPECT_NE(lines[0].find("230 V"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("no UPS (8)"), std::string::npos) << lines[1];
  EXPECT_NE(lines[6].find("12 min 30 s"), std::string::npos) << lines[6];
  EXPECT_NE(lines[12].find("yes"), std::string::npos) << lines[12];
  EXPECT_EQ(service_.requests[0], "USR NAME manager");
  EXPECT_EQ(service_.requests[1], "USR PASS quiet lake");
  EXPECT_EQ(service_.requests[2], "DEV STATUS_INVOLT");
  EXPECT_EQ(service_.requests.back(), "DEV STATUS_BEEP");

  // A login the service does not know stops at the first read, with its code.
  service_.requests.clear();
  EXPECT_EQ(run({"--user", "Manager", "status"}), RC_ACCESS_DENIED);
  EXPECT_TRUE(out_.str().empty()) << out_.str();
  EXPECT_NE(err_.str().find("access denied (33)"), std::string::npos) << err_.str();

  // An exit status has eight bits; a code beyond them must not wrap round to success.
  service_.device["STATUS_INVOLT"] = "ERR 256";
  EXPECT_EQ(run({"status"}), RC_ERR_WITHOUT_NUMBER);
  service_.device["STATUS_INVOLT"] = "23000";

  // A connection that breaks midway ends the command with 21.
  service_.requests.clear();
  service_.fail_after = 5;
  EXPECT_EQ(run({"status"}), RC_SOCKET_ERROR);
  EXPECT_EQ(outLines().size(), 3u) << "lines before the break are kept";
}

TEST_F(MonctlAppTest, GetAndSetGoToTheStoreTheKeyNames) {
  ASSERT_EQ(run({"get", "service.polling rate", "powerfail.shutdown.happen.max count"}), 0)
      << err_.str();
  EXPECT_EQ(out_.str(), "service.polling rate=3000\npowerfail.shutdown.happen.max count=1\n");
  EXPECT_EQ(service_.countStarting("POL service.polling rate"), 1u);
  EXPECT_EQ(service_.countStarting("PTC powerfail.shutdown.happen.max count"), 1u);

  ASSERT_EQ(run({"set", "service.polling rate=5000", "powerfail.shutdown.happen.max count=-1"}), 0)
      << err_.str();
  EXPECT_EQ(service_.settings["service.polling rate"], "5000");
  EXPECT_EQ(out_.str(),
            "service.polling rate=5000\npowerfail.shutdown.happen.max count=4294967295\n")
      << "what the service holds is shown";

  // A missing key is reported and the other keys are still read; the first code is the exit.
  EXPECT_EQ(run({"get", "service.no such", "service.polling rate"}), RC_BAD_SETTING);
  EXPECT_EQ(out_.str(), "service.polling rate=5000\n");
  EXPECT_NE(err_.str().find("service.no such"), std::string::npos) << err_.str();

  // An empty text can be set, although the service will not read it back.
  EXPECT_EQ(run({"set", "email.subject="}), 0) << err_.str();
  EXPECT_EQ(service_.settings["email.subject"], "");
}

TEST_F(MonctlAppTest, SetRefusesQuietNoOps) {
  // Below the manager level the service would answer a change with success and keep the value.
  EXPECT_EQ(run({"--user", "normal(read only)", "set", "service.polling rate=5000"}),
            RC_ACCESS_DENIED);
  EXPECT_EQ(service_.settings["service.polling rate"], "3000");
  EXPECT_EQ(service_.countStarting("POL service.polling rate="), 0u) << "nothing was sent";
  EXPECT_NE(err_.str().find("manager"), std::string::npos) << err_.str();

  // A policy number that does not read leaves the old one, though the service says yes.
  EXPECT_EQ(run({"set", "powerfail.shutdown.happen.max count=lots"}), RC_BAD_SETTING);
  EXPECT_EQ(out_.str(), "");
  EXPECT_NE(err_.str().find("holds \"1\""), std::string::npos) << err_.str();

  EXPECT_EQ(run({"set", "service.polling rate=fast", "service.polling rate=4000"}), RC_BAD_SETTING)
      << "the refusal's code, after the remaining entries were still set";
  EXPECT_EQ(service_.settings["service.polling rate"], "4000");
}

TEST_F(MonctlAppTest, EventLogReadsBackwardsAcrossPagesWithPolicyTexts) {
  for (int i = 0; i < 120; ++i) {
    char record[32];
    std::snprintf(record, sizeof record, "2002/07/15 13:%02d:%02d %03d", i / 60, i % 60,
                  i == 119 ? 4 : i % 2);
    service_.logs[0].push_back(record);
  }
  ASSERT_EQ(run({"log", "events", "--count", "75"}), 0) << err_.str();
  std::vector<std::string> lines = outLines();
  ASSERT_EQ(lines.size(), 75u);
  EXPECT_EQ(lines.front(), "2002/07/15 13:00:45  UPS service terminated.") << "record 45 first";
  EXPECT_EQ(lines.back(), "2002/07/15 13:01:59  Mains gone!") << "the policy's own text";
  EXPECT_EQ(lines[1], "2002/07/15 13:00:46  UPS service started.")
      << "an empty policy text falls back to the built-in name";
  EXPECT_EQ(service_.countStarting("LOG PRV 0 "), 2u) << "two pages for 75 records";
  EXPECT_EQ(service_.countStarting("PTC "), 3u) << "one text per code that occurs";

  ASSERT_EQ(run({"log", "events", "--count", "500"}), 0);
  EXPECT_EQ(outLines().size(), 120u) << "the whole log when fewer records exist";
  ASSERT_EQ(run({"log", "status"}), 0);
  EXPECT_EQ(out_.str(), "no records\n");
}

TEST_F(MonctlAppTest, StatusAndSavedLogs) {
  service_.logs[2] = {"2002/07/15 13:05:09 22950 23000 10000 02575 4998 03100",
                      "2002/07/15 13:15:09 22850 23000 09900 02575 5000 03100"};
  service_.logs[1] = {"C:\\doc\\a.txt", "C:\\doc\\b.txt", "C:\\doc\\c.txt"};
  ASSERT_EQ(run({"log", "status", "--count", "1"}), 0) << err_.str();
  std::vector<std::string> lines = outLines();
  ASSERT_EQ(lines.size(), 2u) << out_.str();
  EXPECT_EQ(lines[0].rfind("time", 0), 0u) << "titles first";
  EXPECT_NE(lines[1].find("228.5"), std::string::npos) << "the newest record: " << lines[1];

  ASSERT_EQ(run({"log", "saved", "--count", "2"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "C:\\doc\\b.txt\nC:\\doc\\c.txt\n");
  EXPECT_EQ(service_.countStarting("LOG PRV 1 "), 1u) << "the whole file comes at once";
}

TEST_F(MonctlAppTest, ScheduleAndSelfTest) {
  ASSERT_EQ(run({"schedule"}), 0);
  EXPECT_EQ(out_.str(), "no scheduled items\n");
  service_.schedule = "2 2 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00\n";
  ASSERT_EQ(run({"schedule"}), 0);
  ASSERT_EQ(outLines().size(), 2u) << out_.str();
  EXPECT_EQ(outLines()[1].rfind("daily", 0), 0u) << out_.str();

  EXPECT_EQ(run({"--user", "normal(read only)", "selftest", "10"}), RC_ACCESS_DENIED);
  EXPECT_EQ(run({"selftest", "10"}), RC_NO_DEVICE) << "the service's code is the exit";
  EXPECT_EQ(service_.requests.back(), "DEV CMD_SELFTEST 10");
  EXPECT_NE(err_.str().find("no UPS (8)"), std::string::npos) << err_.str();
  (void)run({"selftest", "cancel"});  // the fake has no UPS; only the request matters here
  EXPECT_EQ(service_.requests.back(), "DEV CMD_SELFTEST -1");
}

}  // namespace
}  // namespace gw
