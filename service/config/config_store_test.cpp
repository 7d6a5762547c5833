// The settings store against real "policy" files in a temporary directory.
#include "service/config/config_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "common/line_file.h"
#include "service/config/policy_table.h"
#include "testing/default_files.h"
#include "testing/recording_notice_handler.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

class ConfigStoreTest : public ::testing::Test {
 protected:
  std::unique_ptr<ConfigStore> open() {
    return std::make_unique<ConfigStore>(dir_.path(), ids_, &handler_);
  }
  std::unique_ptr<ConfigStore> openWith(const std::string& file) {
    dir_.write("policy", file);
    return open();
  }
  static std::string get(const ConfigStore& store, const std::string& key) {
    std::string text = key;
    if (!store.getSetting(&text)) return "<false>";
    return text;
  }

  TempDir dir_;
  NoticeIdCounter ids_;
  RecordingNoticeHandler handler_;
};

// Each key's accessor, as text, so that a row bound to the wrong field shows up.
std::map<std::string, std::function<std::string(const ConfigStore&)>> accessors() {
  auto n = [](auto v) { return std::to_string(v); };
  return {
      {"service.buzzer on", [=](const ConfigStore& s) { return n(s.buzzerOn()); }},
      {"service.media type", [=](const ConfigStore& s) { return n(s.mediaType()); }},
      {"service.media index", [=](const ConfigStore& s) { return n(s.mediaIndex()); }},
      {"service.load max", [=](const ConfigStore& s) { return n(s.loadMax()); }},
      {"service.temp max", [=](const ConfigStore& s) { return n(s.tempMax()); }},
      {"service.polling rate", [=](const ConfigStore& s) { return n(s.pollingRate()); }},
      {"service.record rate", [=](const ConfigStore& s) { return n(s.recordRate()); }},
      {"service.max event", [=](const ConfigStore& s) { return n(s.maxEvent()); }},
      {"service.max status", [=](const ConfigStore& s) { return n(s.maxStatus()); }},
      {"email.server", [](const ConfigStore& s) { return s.emailServer(); }},
      {"email.subject", [](const ConfigStore& s) { return s.emailSubject(); }},
      {"email.source addr", [](const ConfigStore& s) { return s.emailSourceAddr(); }},
      {"email.target addr", [](const ConfigStore& s) { return s.emailTargetAddr(); }},
      {"telephone.pager number", [](const ConfigStore& s) { return s.pagerNumber(); }},
      {"telephone.phone number", [](const ConfigStore& s) { return s.phoneNumber(); }},
      {"sms.server", [](const ConfigStore& s) { return s.smsServer(); }},
      {"sms.source number", [](const ConfigStore& s) { return s.smsSourceNumber(); }},
      {"sms.target number", [](const ConfigStore& s) { return s.smsTargetNumber(); }},
      {"sms.account", [](const ConfigStore& s) { return s.smsAccount(); }},
      {"sms.password", [](const ConfigStore& s) { return s.smsPassword(); }},
      {"service.auto save", [=](const ConfigStore& s) { return n(s.autoSave()); }},
      {"service.shutdown delay", [=](const ConfigStore& s) { return n(s.shutdownDelay()); }},
      {"service.rec by period", [=](const ConfigStore& s) { return n(s.recByPeriod()); }},
      {"service.rec by trigger", [=](const ConfigStore& s) { return n(s.recByTrigger()); }},
  };
}

TEST_F(ConfigStoreTest, EveryKeyHasItsDefaultTypeAndAccessor) {
  auto store = open();
  std::vector<std::string> default_lines = splitLines(kDefaultPolicyFile);
  ASSERT_EQ(default_lines.size(), kConfigKeys.size());
  auto by_name = accessors();
  ASSERT_EQ(by_name.size(), kConfigKeys.size());

  for (size_t i = 0; i < kConfigKeys.size(); ++i) {
    const ConfigKey& key = kConfigKeys[i];
    std::string name(key.name);
    SCOPED_TRACE(name);
    EXPECT_EQ(get(*store, name), default_lines[i]) << "row " << i << " default or order";
    ASSERT_EQ(by_name.count(name), 1u);
    auto accessor = by_name[name];

    // A value in range of the type and different from the default lands in the right field.
    std::string value;
    switch (key.type()) {
      case ConfigType::kBool: value = key.default_number ? "0" : "1"; break;
      case ConfigType::kInt: value = "-2147483648"; break;
      case ConfigType::kUnsigned: value = "4294967295"; break;
      case ConfigType::kText: value = "v=" + name; break;
    }
    if (name == "service.polling rate") value = std::to_string(kMaxPollingRateMs);
    EXPECT_TRUE(store->setSetting(name + "=" + value));
    EXPECT_EQ(accessor(*store), value);
    EXPECT_EQ(get(*store, name), name + "=" + value);

    // Values outside the type are refused and change nothing.
    std::vector<std::string> refused;
    switch (key.type()) {
      case ConfigType::kBool: refused = {"2", "-1", "true", "", "x1"}; break;
      case ConfigType::kInt: refused = {"abc", "", "2147483648", "-2147483649", "- 5"}; break;
      case ConfigType::kUnsigned: refused = {"-1", "4294967296", "", "rate"}; break;
      case ConfigType::kText: refused = {"two\nlines", "two\rlines", "end\r"}; break;
    }
    if (name == "service.polling rate") {
      refused.push_back(std::to_string(kMaxPollingRateMs + 1));
      refused.push_back(std::to_string(kMinPollingRateMs - 1));
      refused.push_back("0");
    }
    for (const std::string& bad : refused) {
      EXPECT_FALSE(store->setSetting(name + "=" + bad)) << "value \"" << bad << "\"";
      EXPECT_EQ(accessor(*store), value) << "after refusing \"" << bad << "\"";
    }
  }
}

TEST_F(ConfigStoreTest, GetAndSetRefuseWhatIsNotAKey) {
  auto store = open();
  for (std::string text : {"", "service.load max ", "Service.load max", "service.load",
                           "service.load max=10000", "unknown"}) {
    std::string before = text;
    EXPECT_FALSE(store->getSetting(&text)) << "\"" << before << "\"";
    EXPECT_EQ(text, before) << "text changed on failure";
  }
  EXPECT_FALSE(store->setSetting("service.load max"));
  EXPECT_FALSE(store->setSetting("service.load max 9000"));
  EXPECT_FALSE(store->setSetting("service.load max =9000"));
  EXPECT_FALSE(store->setSetting("=9000"));
  EXPECT_EQ(store->loadMax(), 10000);
  // Everything after the first '=' is the value.
  EXPECT_TRUE(store->setSetting("email.subject=a=b"));
  EXPECT_EQ(store->emailSubject(), "a=b");
}

TEST_F(ConfigStoreTest, WithoutAFileTheStopWritesTheDefaults) {
  ASSERT_FALSE(dir_.exists("policy"));
  ASSERT_EQ(open()->save(), RC_OK);
  EXPECT_EQ(dir_.read("policy"), kDefaultPolicyFile);
}

TEST_F(ConfigStoreTest, ChangesSurviveARestart) {
  {
    auto store = open();
    ASSERT_TRUE(store->setSetting("service.polling rate=1500"));
    ASSERT_TRUE(store->setSetting("email.subject=mains lost"));
    ASSERT_TRUE(store->setSetting("service.rec by trigger=1"));
    ASSERT_EQ(store->save(), RC_OK);
  }
  std::string written = dir_.read("policy");
  EXPECT_EQ(splitLines(written).size(), 24u);
  auto store = open();
  EXPECT_EQ(store->pollingRate(), 1500u);
  EXPECT_EQ(store->emailSubject(), "mains lost");
  EXPECT_TRUE(store->recByTrigger());
  EXPECT_EQ(store->fileText(), written);
}

TEST_F(ConfigStoreTest, LoadingTakesTheFirstValidLineOfEachKey) {
  {
    auto store = openWith("service.polling rate=5000\n");
    EXPECT_EQ(store->pollingRate(), 5000u);
    std::string expected = kDefaultPolicyFile;
    expected.replace(expected.find("rate=3000"), 9, "rate=5000");
    EXPECT_EQ(store->fileText(), expected) << "only the polling rate may differ";
  }
  EXPECT_EQ(openWith("service.load max=abc\nservice.load max=9000\n")->loadMax(), 9000)
      << "a bad value leaves the key open for a later line";
  EXPECT_EQ(openWith("service.load max=9000\nservice.load max=8000\n")->loadMax(), 9000)
      << "a later duplicate is ignored";
  EXPECT_EQ(openWith("service.load max=\nservice.load max=7000")->loadMax(), 7000)
      << "empty number, and a last line without a line feed";
  EXPECT_EQ(openWith("service.load max=9000xyz\n")->loadMax(), 9000) << "trailing letters";
  EXPECT_EQ(openWith("service.load max= 9000\n")->loadMax(), 9000) << "blank after '='";
  EXPECT_EQ(openWith("service.load max =9000\n")->loadMax(), 10000) << "blank before '='";
  EXPECT_EQ(openWith("service.load max=-80\n")->loadMax(), -80);
  EXPECT_EQ(openWith("service.load max=9000\r\n")->loadMax(), 9000) << "CR after the digits";
  EXPECT_EQ(openWith("abc\n\nservice.load max\n=9000\nx=1\nservice.load max=6000\n")->loadMax(),
            6000)
      << "lines without '=' or with unknown keys are skipped";
  EXPECT_EQ(openWith("service.polling rate=-1\n")->pollingRate(), 3000u)
      << "a negative rate is refused, not wrapped";
}

TEST_F(ConfigStoreTest, CarriageReturnsBeforeLineFeedsAreLineEnds) {
  std::string crlf;
  for (const std::string& line : splitLines(kDefaultPolicyFile)) {
    std::string changed = line;
    if (line.rfind("sms.account=", 0) == 0) changed = "sms.account=gateway";
    if (line.rfind("service.polling rate=", 0) == 0) changed = "service.polling rate=1500";
    crlf += changed + "\r\n";
  }
  auto store = openWith(crlf);
  EXPECT_EQ(store->smsAccount(), "gateway");
  EXPECT_EQ(store->pollingRate(), 1500u);
  EXPECT_EQ(store->emailSubject(), "ups service notification") << "no CR left in a text";
  EXPECT_TRUE(store->loadReport().clean()) << store->loadReport().text();
  ASSERT_EQ(store->save(), RC_OK);
  EXPECT_EQ(dir_.read("policy").find('\r'), std::string::npos) << "written with LF only";
  EXPECT_FALSE(dir_.exists("policy.rejected"));
}

TEST_F(ConfigStoreTest, RefusedLinesAreReportedAndTheOriginalKept) {
  const std::string damaged =
      "service.load max=9000\n"
      "\x01\x02garbage\n"
      "\n"
      "service.load max=8000\n"
      "service.polling rate=12\n"
      "sms.password=secret\n"
      "sms.pass";
  auto store = openWith(damaged);
  EXPECT_EQ(store->loadMax(), 9000);
  EXPECT_EQ(store->smsPassword(), "secret");
  const LoadReport& report = store->loadReport();
  EXPECT_EQ(report.file_name, "policy");
  EXPECT_EQ(report.refused_lines, (std::vector<size_t>{2, 4, 5, 7}))
      << "garbage, a duplicate, a refused value and a torn last line; not the empty line";
  EXPECT_TRUE(report.kept_copy);
  EXPECT_EQ(report.text(),
            "policy: line 2 refused, and 3 more (4, 5, 7); the original is kept as "
            "policy.rejected");
  EXPECT_EQ(dir_.read("policy.rejected"), damaged);
  EXPECT_EQ(std::filesystem::status(dir_.file("policy.rejected")).permissions() &
                std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
      << "the copy holds the gateway password too";

  ASSERT_EQ(store->save(), RC_OK);
  EXPECT_EQ(dir_.read("policy.rejected"), damaged) << "the rewrite leaves the copy alone";
  EXPECT_TRUE(openWith(dir_.read("policy"))->loadReport().clean());
}

TEST_F(ConfigStoreTest, TheFileIsReadableByTheServiceOnly) {
  dir_.write("policy", kDefaultPolicyFile);
  std::filesystem::permissions(dir_.file("policy"), std::filesystem::perms::all);
  ASSERT_EQ(open()->save(), RC_OK);
  EXPECT_EQ(std::filesystem::status(dir_.file("policy")).permissions() &
                std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
      << "it holds sms.password";
}

TEST_F(ConfigStoreTest, AClientsChangeIsOnTheDiskBeforeItIsMade) {
  auto store = open();
  uint32_t id = store->watch("service.media type");
  ASSERT_EQ(store->applySetting("service.media type=2"), RC_OK);
  EXPECT_NE(dir_.read("policy").find("\nservice.media type=2\n"), std::string::npos)
      << "written at once, not at the stop";
  EXPECT_EQ(handler_.ids(), std::vector<uint32_t>{id});
  EXPECT_EQ(store->applySetting("service.media type=x"), RC_BAD_SETTING);
  EXPECT_EQ(store->applySetting("no such key=1"), RC_BAD_SETTING);
  EXPECT_EQ(store->fileText(), dir_.read("policy"));

  // A file that cannot be written (a directory took its name) keeps the change from being made.
  std::filesystem::remove(dir_.file("policy"));
  std::filesystem::create_directories(dir_.file("policy/in-the-way"));
  EXPECT_EQ(store->applySetting("service.media type=3"), RC_NOT_AVAILABLE);
  EXPECT_EQ(store->mediaType(), 2) << "not made, since it could not be kept";
  EXPECT_EQ(handler_.ids().size(), 1u) << "and no notice for it";
}

TEST_F(ConfigStoreTest, BooleansLoadOnlyZeroOrOne) {
  EXPECT_TRUE(openWith("service.buzzer on=2\n")->buzzerOn());
  EXPECT_TRUE(openWith("service.buzzer on=false\n")->buzzerOn());
  EXPECT_FALSE(openWith("service.buzzer on=2\nservice.buzzer on=0\n")->buzzerOn());
  EXPECT_TRUE(openWith("service.rec by trigger=1\n")->recByTrigger());
  EXPECT_FALSE(openWith("service.rec by trigger=true\n")->recByTrigger());
}

TEST_F(ConfigStoreTest, AnEmptyTextLoadsButIsNotServed) {
  {
    auto store = openWith("email.subject=\n");
    EXPECT_EQ(store->emailSubject(), "");
    EXPECT_EQ(get(*store, "email.subject"), "<false>");
    ASSERT_EQ(store->save(), RC_OK);
  }
  std::string written = dir_.read("policy");
  EXPECT_NE(written.find("\nemail.subject=\nemail.source addr="), std::string::npos) << written;
  // Text keeps everything to the end of the line, blanks included.
  EXPECT_EQ(openWith("sms.account= a b \n")->smsAccount(), " a b ");
}

TEST_F(ConfigStoreTest, SaveReplacesTheFileWholeAndReportsFailure) {
  dir_.write("policy", std::string(10000, 'x'));
  auto store = open();
  ASSERT_EQ(store->save(), RC_OK);
  EXPECT_EQ(dir_.read("policy"), kDefaultPolicyFile);

  NoticeIdCounter ids;
  ConfigStore nowhere(dir_.file("missing-dir"), ids, nullptr);
  EXPECT_NE(nowhere.save(), RC_OK);
  EXPECT_EQ(nowhere.dataFile("protect"), dir_.file("missing-dir") + "/protect");
}

TEST_F(ConfigStoreTest, OnlyWatchedKeysPostNotices) {
  auto store = open();
  uint32_t id = store->watch("service.media type");
  EXPECT_EQ(id, 1u) << "the first id is 1";
  EXPECT_EQ(store->watch("service.media type"), id) << "a second watch keeps the id";

  ASSERT_TRUE(store->setSetting("service.media type=2"));
  EXPECT_EQ(handler_.ids(), std::vector<uint32_t>{id}) << "called once, before setSetting returns";
  ASSERT_TRUE(store->setSetting("service.media type=2"));
  EXPECT_EQ(handler_.ids().size(), 2u) << "an unchanged value still posts";

  handler_.clear();
  ASSERT_TRUE(store->setSetting("service.media index=1"));
  EXPECT_FALSE(store->setSetting("service.media type=abc"));
  EXPECT_FALSE(store->setSetting("service.media type"));
  EXPECT_TRUE(handler_.ids().empty()) << "unwatched key or failed set posted";
}

TEST_F(ConfigStoreTest, BothRegistriesDrawFromOneCounter) {
  auto store = open();
  PolicyTable policy(ids_, &handler_);
  uint32_t media = store->watch("service.media type");
  uint32_t shutdown = policy.watch("powerfail.shutdown.happen.max count");
  uint32_t index = store->watch("service.media index");
  EXPECT_EQ(media, 1u);
  EXPECT_EQ(shutdown, 2u);
  EXPECT_EQ(index, 3u);

  ASSERT_TRUE(policy.setPolicy("powerfail.shutdown.happen.max count=0"));
  ASSERT_TRUE(store->setSetting("service.media index=4"));
  ASSERT_TRUE(store->setSetting("service.media type=3"));
  EXPECT_EQ(handler_.ids(), (std::vector<uint32_t>{shutdown, index, media}));
}

}  // namespace
}  // namespace gw
