// The session against a stand-in service on loopback that records every request: the login
// sequence, the poll and its page fetches, the cadence, the unsupported re-ask, error replies,
// replies in pieces, the device-settings list, the lost service and the page files.
#include "client/session/client_session.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <map>

#include "client/session/completion_message.h"
#include "common/line_file.h"
#include "common/time_text.h"
#include "testing/fake_client_service.h"
#include "testing/fake_service_script.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

using Reply = FakeClientService::Reply;

// Completion messages as they arrive on the worker thread.
class Completions {
 public:
  void operator()(uint32_t message) {
    std::lock_guard<std::mutex> hold(mutex_);
    messages_.push_back(message);
    changed_.notify_all();
  }
  // The code of the first completion with that tag, or -1 after the time-out.
  int waitFor(uint32_t tag, int timeout_ms = 5000) {
    std::unique_lock<std::mutex> lock(mutex_);
    int code = -1;
    changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
      for (uint32_t m : messages_) {
        if (completionTag(m) == (tag & 0xFFFFu)) return (code = completionCode(m)), true;
      }
      return false;
    });
    return code;
  }
  int count(uint32_t tag) {
    std::lock_guard<std::mutex> hold(mutex_);
    int n = 0;
    for (uint32_t m : messages_) n += completionTag(m) == (tag & 0xFFFFu) ? 1 : 0;
    return n;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<uint32_t> messages_;
};

class ClientSessionTest : public ::testing::Test {
 protected:
  void start(int poll_ms = 300, ServiceLink::Waits waits = {1000, 1500}) {
    service = std::make_unique<FakeClientService>([this](const std::string& r) { return script(r); });
    ClientSession::Options options;
    options.cache_parent = dir.path();
    options.poll_interval_ms = poll_ms;
    options.waits = waits;
    ASSERT_EQ(ClientSession::create(options, systemClock(), &session), RC_OK);
    started_ms = service->sinceStartMs();
    session->setCompletion([this](uint32_t m) { completions(m); });
  }
  // What the main window does at start: connect, four subscriptions, login.
  void connectAndLogin() {
    session->stageConnect(kDefaultHost, service->port());
    connect_tag = session->submit(kRequestConnect);
    for (int kind = 1; kind <= 4; ++kind) subscriptions.push_back(session->submit(kind));
    session->stageLogin(kDefaultUser, kDefaultPassword);
    login_tag = session->submit(kRequestLogin);
  }
  int polls() const {
    int n = 0;
    for (const std::string& t : service->texts()) n += t == "DEV STATUS_BATTERYLO\r" ? 1 : 0;
    return n;
  }

  TempDir dir;
  FakeServiceScript script;
  std::unique_ptr<FakeClientService> service;
  std::unique_ptr<ClientSession> session;
  Completions completions;
  int64_t started_ms = 0;
  uint32_t connect_tag = 0;
  uint32_t login_tag = 0;
  std::vector<uint32_t> subscriptions;
};

std::vector<std::string> pollRequests(bool first) {
  std::vector<std::string> out = {"DEV STATUS_CONNECT\r"};
  if (first) out.push_back("DEV PROP_PORTTYPE\r");
  for (const char* v : {"STATUS_POWERFAIL", "STATUS_BATTERYLO", "STATUS_INVOLT", "STATUS_OUTVOLT",
                        "STATUS_CAPACITY", "STATUS_LOAD", "STATUS_TEMP", "STATUS_FREQ",
                        "STATUS_BACKUP", "STATUS_TEST", "STATUS_WAITSLEEP", "STATUS_BEEP",
                        "STATUS_WAITWAKEUP"}) {
    out.push_back(std::string("DEV ") + v + "\r");
  }
  if (first) {
    for (const char* v :
         {"PROP_MEDIATYPE", "PROP_MEDIAIDX", "PROP_PORTTYPE", "PROP_MODEL", "PROP_FWVER",
          "PROP_INPUTHI", "PROP_INPUTLO", "PROP_BATTERYLO", "PROP_BATOUT", "PROP_COLDSTART",
          "PROP_INPUTHI_RANGE", "PROP_INPUTLO_RANGE", "PROP_BATTERYLO_RANGE", "PROP_BATOUT_RANGE",
          "PROP_INPUTHI DEFAULT", "PROP_INPUTLO DEFAULT", "PROP_BATTERYLO DEFAULT",
          "PROP_BATOUT DEFAULT", "PROP_COLDSTART DEFAULT"}) {
      out.push_back(std::string("DEV ") + v + "\r");
    }
  }
  return out;
}

TEST_F(ClientSessionTest, LoginSequenceByteForByte) {
  start(60000);
  connectAndLogin();
  EXPECT_EQ(completions.waitFor(connect_tag), 1) << "the connect request reports 1 on success";
  ASSERT_EQ(completions.waitFor(login_tag), 0);

  std::vector<std::string> expected = {"USR NAME manager\r", "USR PASS quiet lake\r"};
  for (const std::string& r : pollRequests(true)) expected.push_back(r);
  expected.push_back("TIME NOW\r");
  expected.push_back("SCH GET\r");
  for (const char* event : {"start", "disconnect", "powerfail", "batterylow", "loadover", "tempover"}) {
    for (const char* action : {"record", "sound", "shutdown"}) {
      for (const char* p : {"happen.max count", "happen.delay", "happen.interval", "happen.content",
                            "restore.max count", "restore.delay", "restore.content"}) {
        expected.push_back(std::string("PTC ") + event + "." + action + "." + p + "\r");
      }
    }
  }
  for (const char* key : {"buzzer on", "media type", "media index", "record rate",
                          "rec by period", "rec by trigger"}) {
    expected.push_back(std::string("POL service.") + key + "\r");
  }
  for (const char* r : {"LOG KEY 0\r", "LOG KEY 2\r", "LOG KEY 1\r", "LOG PRV 0 120\r",
                        "LOG PRV 2 60\r", "LOG PRV 1 2\r"}) {
    expected.push_back(r);
  }
  EXPECT_EQ(service->texts(), expected);
  EXPECT_EQ(session->exchanges(), static_cast<int64_t>(expected.size()));
  EXPECT_EQ(expected.size(), 176u) << "the 126 policy reads and 50 others";

  // The four subscriptions of the main window were answered, each once.
  for (uint32_t tag : subscriptions) EXPECT_EQ(completions.waitFor(tag), 0) << tag;
  const SessionCache& c = session->cache();
  EXPECT_EQ(c.text(kTextModel).value, "KD-9");
  EXPECT_EQ(c.range(kRangeInputLow).value, (std::vector<int>{160, 176, 184}));
  EXPECT_EQ(c.properties[kPropBatteryOutDefault].get().value, 230);
  EXPECT_EQ(c.policy("powerfail.shutdown.happen.delay"), "v:powerfail.shutdown.happen.delay");
  EXPECT_EQ(c.serviceSettings().value.size(), 6u);
  EXPECT_EQ(c.status[STATUS_INVOLT].get().value, 23012);
  EXPECT_EQ(c.older_cursor[0].load(), 70);
  EXPECT_EQ(c.older_cursor[1].load(), 0);
  EXPECT_EQ(c.newer_cursor[0].load(), 120);
  EXPECT_FALSE(c.one_page[0].load()) << "the login's first page clears the flag";
}

TEST_F(ClientSessionTest, FirstPollOneIntervalAfterTheStart) {
  start(400);
  connectAndLogin();
  ASSERT_EQ(completions.waitFor(login_tag), 0);
  size_t login_end = service->texts().size();
  int first = service->waitFor([](const std::string& t) { return t == "DEV STATUS_CONNECT\r"; },
                               login_end, 3000);
  ASSERT_GE(first, 0);
  int64_t at = service->requests()[first].at_ms - started_ms;
  EXPECT_GE(at, 380) << "measured from the worker's start";
  EXPECT_LE(at, 650);
  // The poll is followed by the newer-records fetches of logs 0 and 2.
  ASSERT_EQ(service->waitFor([](const std::string& t) { return t == "LOG NXT 2 60\r"; }, first,
                             3000),
            first + 15);
  auto texts = service->texts();
  std::vector<std::string> poll(texts.begin() + first, texts.begin() + first + 16);
  std::vector<std::string> expected = pollRequests(false);
  expected.push_back("LOG NXT 0 120\r");
  expected.push_back("LOG NXT 2 60\r");
  EXPECT_EQ(poll, expected);
  // And the next one comes an interval after that.
  int second = service->waitFor([](const std::string& t) { return t == "DEV STATUS_CONNECT\r"; },
                                first + 1, 3000);
  ASSERT_GE(second, 0);
  int64_t gap = service->requests()[second].at_ms - service->requests()[first + 15].at_ms;
  EXPECT_GE(gap, 380);
  EXPECT_LE(gap, 650);
}

TEST_F(ClientSessionTest, FirstPollAtOnceAfterASlowLogin) {
  script.set("TIME NOW", [](const std::string&) {
    return Reply{{formatWireTime(1036515849000) + "\r"}, 700, 0};
  });
  start(400);
  connectAndLogin();
  ASSERT_EQ(completions.waitFor(login_tag), 0);
  size_t login_end = service->texts().size();
  int64_t login_done = service->requests().back().at_ms;
  int first = service->waitFor([](const std::string& t) { return t == "DEV STATUS_CONNECT\r"; },
                               login_end, 3000);
  ASSERT_GE(first, 0);
  EXPECT_LT(service->requests()[first].at_ms - login_done, 150);
}

TEST_F(ClientSessionTest, UnsupportedMeasurementIsAskedAgainOnlyAfterTheUpsComesBack) {
  script.set("DEV STATUS_TEMP", "ERR 1");
  std::atomic<int> connect_answer{1};
  script.set("DEV STATUS_CONNECT", [&](const std::string&) {
    return FakeClientService::text(std::to_string(connect_answer.load()));
  });
  start(150);
  connectAndLogin();
  ASSERT_EQ(completions.waitFor(login_tag), 0);
  auto temps = [&] {
    int n = 0;
    for (const std::string& t : service->texts()) n += t == "DEV STATUS_TEMP\r" ? 1 : 0;
    return n;
  };
  EXPECT_EQ(temps(), 1);
  EXPECT_EQ(session->cache().status[STATUS_TEMP].code(), RC_UNSUPPORTED);
  int before = polls();
  for (int i = 0; i < 200 && polls() < before + 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(temps(), 1) << "not asked while the UPS stays connected";

  connect_answer = 0;
  size_t mark = service->texts().size();
  ASSERT_GE(service->waitFor([](const std::string& t) { return t == "DEV STATUS_CONNECT\r"; }, mark,
                             2000),
            0);
  connect_answer = 1;
  mark = service->texts().size();
  ASSERT_GE(service->waitFor([](const std::string& t) { return t == "DEV STATUS_TEMP\r"; }, mark,
                             2000),
            0)
      << "asked again once the connection went from 0 to 1";
}

TEST_F(ClientSessionTest, ErrorRepliesAndALoneCarriageReturn) {
  start(60000);
  session->stageConnect(kDefaultHost, service->port());
  session->submit(kRequestConnect);
  struct Case {
    const char* reply;
    int code;
  } cases[] = {{"ERR 0", RC_ERR_WITHOUT_NUMBER}, {"ERR x", RC_ERR_WITHOUT_NUMBER},
               {"ERR 7", 7}, {"ERR 33", 33}, {"", 0}, {"anything", 0}};
  for (const Case& c : cases) {
    script.set("PTC powerfail.sound.happen.delay=5", c.reply);
    session->stagePolicy("powerfail.sound.happen.delay", "5");
    uint32_t tag = session->submit(kRequestSetPolicies);
    EXPECT_EQ(completions.waitFor(tag), c.code) << '"' << c.reply << '"';
  }
  EXPECT_EQ(session->cache().policy("powerfail.sound.happen.delay"), "5")
      << "the cached value follows a success";
}

TEST_F(ClientSessionTest, AReplyInSeveralPiecesIsAssembled) {
  script.set("DEV STATUS_CAPACITY",
             [](const std::string&) { return Reply{{"9", "87", "6\r"}, 0, 60}; });
  start(60000);
  connectAndLogin();
  ASSERT_EQ(completions.waitFor(login_tag), 0);
  EXPECT_EQ(session->cache().status[STATUS_CAPACITY].get().code, RC_OK);
  EXPECT_EQ(session->cache().status[STATUS_CAPACITY].get().value, 9876);
  EXPECT_EQ(session->cache().status[STATUS_LOAD].get().value, 2500) << "the next reply is its own";
}

TEST_F(ClientSessionTest, DeviceSettingsReportTheFailureOfTheFirstItem) {
  script.set("DEV SET_PROP_INPUTHI 270", "ERR 4");
  script.set("DEV SET_PROP_INPUTLO 184", "");
  start(60000);
  connectAndLogin();
  ASSERT_EQ(completions.waitFor(login_tag), 0);
  session->stageDeviceSetting(kSettingInputHigh, 270);
  session->stageDeviceSetting(kSettingInputLow, 184);
  uint32_t tag = session->submit(kRequestDeviceSettings);
  EXPECT_EQ(completions.waitFor(tag), 4);
  const SessionCache& c = session->cache();
  EXPECT_EQ(c.properties[kPropInputHigh].get().value, 264) << "refused: unchanged";
  EXPECT_EQ(c.properties[kPropInputLow].get().value, 184);
  EXPECT_EQ(c.device_setting_codes[kSettingInputHigh].load(), 4);
  EXPECT_EQ(c.device_setting_codes[kSettingInputLow].load(), 0);
}

TEST_F(ClientSessionTest, EachKindOfChangeHasItsOwnStagingArea) {
  for (const char* r : {"POL service.buzzer on=0", "PTC powerfail.shutdown.happen.delay=45",
                        "DEV CMD_SELFTEST 10", "LOG CLR 2"}) {
    script.set(r, "");
  }
  start(60000);
  session->stageConnect(kDefaultHost, service->port());
  session->submit(kRequestConnect);
  // Staged together, as the settings window stages them, and submitted one after the other.
  session->stageServiceSetting("service.buzzer on", "0");
  session->stagePolicy("powerfail.shutdown.happen.delay", "45");
  session->stageLogOp(0, 2);
  session->stageDeviceSetting(kSettingSelfTest, 10);
  const uint32_t settings = session->submit(kRequestSetServiceSettings);
  const uint32_t policies = session->submit(kRequestSetPolicies);
  const uint32_t device = session->submit(kRequestDeviceSettings);
  const uint32_t logs = session->submit(kRequestLogOps);
  ASSERT_EQ(completions.waitFor(logs), 0);
  EXPECT_EQ(completions.waitFor(settings), 0);
  EXPECT_EQ(completions.waitFor(policies), 0);
  EXPECT_EQ(completions.waitFor(device), 0);
  std::vector<std::string> sent = service->texts();
  EXPECT_EQ(std::vector<std::string>(sent.end() - 4, sent.end()),
            (std::vector<std::string>{"POL service.buzzer on=0\r",
                                      "PTC powerfail.shutdown.happen.delay=45\r",
                                      "DEV CMD_SELFTEST 10\r", "LOG CLR 2\r"}));
}

TEST_F(ClientSessionTest, NoReconnectionWhenTheServiceIsGone) {
  start(150, {300, 400});
  connectAndLogin();
  ASSERT_EQ(completions.waitFor(login_tag), 0);
  service->stop();
  uint32_t status_tag = session->submit(kNoticeStatusUpdated);
  EXPECT_EQ(completions.waitFor(status_tag, 3000), RC_SOCKET_ERROR);
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_EQ(service->accepted(), 1);
  EXPECT_EQ(session->cache().status[STATUS_CONNECT].get().value, 0);
  status_tag = session->submit(kNoticeStatusUpdated);
  EXPECT_EQ(completions.waitFor(status_tag, 3000), RC_SOCKET_ERROR) << "every poll reports it";
}

TEST_F(ClientSessionTest, NotificationsAreOneShotAndLastSubscriberWins) {
  start(150);
  uint32_t first = session->submit(kNoticeStatusUpdated);
  uint32_t second = session->submit(kNoticeStatusUpdated);
  connectAndLogin();
  ASSERT_EQ(completions.waitFor(second), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // several more polls
  EXPECT_EQ(completions.count(first), 0) << "replaced";
  EXPECT_EQ(completions.count(second), 1) << "one-shot";
  EXPECT_NE(first & 0xFFFFu, 0u);
}

TEST_F(ClientSessionTest, PageFilesAfterPreviousAndNextPages) {
  dir.write("127.0.0.1/eventprev", "stale\n");
  start(150);
  EXPECT_FALSE(dir.exists("127.0.0.1/eventprev")) << "left from an earlier run";
  connectAndLogin();
  ASSERT_EQ(completions.waitFor(login_tag), 0);
  std::vector<std::string> prev = splitLines(dir.read("127.0.0.1/eventprev"));
  ASSERT_EQ(prev.size(), 50u);
  EXPECT_EQ(prev.front(), "event 119") << "each page is stored reversed";
  EXPECT_EQ(prev.back(), "event 70");
  EXPECT_EQ(splitLines(dir.read("127.0.0.1/savedprev")),
            (std::vector<std::string>{"calc.exe -", "word.exe report.doc"}));

  uint32_t grew = session->submit(kNoticeEventLogGrew);
  script.appendEvents(60);
  EXPECT_EQ(completions.waitFor(grew), 0);
  std::vector<std::string> next = splitLines(dir.read("127.0.0.1/eventnext"));
  ASSERT_EQ(next.size(), 60u) << "two pages in one fetch";
  EXPECT_EQ(next.front(), "added 0 4");
  EXPECT_EQ(next.back(), "added 59 4");
  EXPECT_EQ(session->cache().newer_cursor[0].load(), 180);

  // The window asks for more older records: no one-page flag now, so it reads to the start.
  session->stageLogOp(1, 0);
  uint32_t more = session->submit(kRequestLogOps);
  EXPECT_EQ(completions.waitFor(more), 0);
  EXPECT_EQ(completions.waitFor(0), 0) << "the end of the fetch is told with tag 0";
  EXPECT_EQ(splitLines(dir.read("127.0.0.1/eventprev")).size(), 120u);
  EXPECT_EQ(session->cache().older_cursor[0].load(), 0);

  session->stageLogOp(0, 0);
  script.set("LOG CLR 0", "");
  uint32_t clear = session->submit(kRequestLogOps);
  EXPECT_EQ(completions.waitFor(clear), 0);
  EXPECT_FALSE(dir.exists("127.0.0.1/eventprev"));
  EXPECT_FALSE(dir.exists("127.0.0.1/eventnext"));

  session.reset();
  EXPECT_FALSE(std::filesystem::exists(dir.file("127.0.0.1"))) << "removed at the end";
}

}  // namespace
}  // namespace gw
