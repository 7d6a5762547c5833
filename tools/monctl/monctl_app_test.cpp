// The monctl commands against an in-memory service that keeps settings, policies, logs, a
// schedule and logins the way the real one answers them.
#include "tools/monctl/monctl_app.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "common/line_file.h"

namespace gw {
namespace {

class FakeService : public RequestChannel {
 public:
  std::map<std::string, std::pair<std::string, int>> accounts = {
      {"normal(read only)", {"", 1}}, {"manager", {"", 7}}};
  std::map<std::string, std::string> settings = {{"service.polling rate", "3000"},
                                                 {"email.subject", "ups"}};
  std::map<std::string, std::string> policies = {
      {"powerfail.shutdown.happen.max count", "1"},
      {"powerfail.record.happen.content", "Mains gone!"},
      {"start.record.happen.content", ""}};
  std::map<std::string, std::string> device = {{"STATUS_INVOLT", "23000"},
                                               {"STATUS_BACKUP", "750"},
                                               {"STATUS_CONNECT", "1"}};
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
    bool numeric = it->first.find("content") == std::string::npos;
    if (&store == &policies && numeric) {
      // Numbers that do not read keep the old value; -1 is held unsigned.
      if (parseWholeInt(value, &number)) it->second = std::to_string(static_cast<uint32_t>(number));
      return RC_OK;
    }
    if (&store == &settings && numeric && it->first != "email.subject" &&
        !parseWholeInt(value, &number)) {
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

class MonctlAppTest : public ::testing::Test {
 protected:
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

  FakeService service_;
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

  EXPECT_EQ(run({"set", "service.polling rate=fast", "service.polling rate=4000"}),
            RC_BAD_SETTING)
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
