// The event policy table: key grammar, number forms, defaults and real "protect" files.
#include "service/config/policy_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/line_file.h"
#include "testing/default_files.h"
#include "testing/recording_notice_handler.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {


std::string get(const PolicyTable& table, const std::string& key) {
  std::string text = key;
  if (!table.getPolicy(&text)) return "<false>";
  return text;
}

class PolicyTableTest : public ::testing::Test {
 protected:
  TempDir dir_;
  NoticeIdCounter ids_;
  RecordingNoticeHandler handler_;
  PolicyTable table_{ids_, &handler_};
};

TEST_F(PolicyTableTest, DefaultFileHas378LinesInOrder) {
  std::vector<std::string> lines = splitLines(table_.fileText());
  std::vector<std::string> keys = protectKeys();
  ASSERT_EQ(lines.size(), 378u);
  std::vector<std::string> non_zero;
  for (size_t i = 0; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i].substr(0, keys[i].size() + 1), keys[i] + "=") << "line " << i;
    std::string value = lines[i].substr(keys[i].size() + 1);
    bool is_content = keys[i].ends_with(".content");
    if (is_content ? !value.empty() : value != "0") non_zero.push_back(lines[i]);
  }
  EXPECT_EQ(non_zero, kNonZeroProtectDefaults);
  EXPECT_EQ(lines[0], "start.record.happen.max count=1");
  EXPECT_EQ(lines[2 * 63 + 2 * 7], "powerfail.sound.happen.max count=4294967295");
  EXPECT_EQ(lines[377], "tempover.sms.restore.content=");

  ASSERT_EQ(table_.save(dir_.file("protect")), RC_OK);
  EXPECT_EQ(dir_.read("protect"), defaultProtectFile());
}

TEST_F(PolicyTableTest, TypedAccessMatchesTheDefaults) {
  const ActionPolicy& sound = table_.at(EVENT_POWERFAIL, ACTION_SOUND);
  EXPECT_EQ(sound.happen.max_count, -1);
  EXPECT_EQ(sound.happen.delay, 10u);
  EXPECT_EQ(sound.happen.interval, 20u);
  EXPECT_EQ(sound.happen.content, "pfail.wav");
  EXPECT_EQ(sound.restore.max_count, 1);
  EXPECT_EQ(sound.restore.content, "");
  EXPECT_EQ(table_.at(EVENT_BATTERYLOW, ACTION_SHUTDOWN).happen.delay, 10u);
  EXPECT_EQ(table_.at(EVENT_TEMPOVER, ACTION_SMS).happen.max_count, 0);
  EXPECT_EQ(eventCode(EVENT_POWERFAIL, false), 4);
  EXPECT_EQ(eventCode(EVENT_TEMPOVER, true), 11);
}

TEST_F(PolicyTableTest, KeyGrammar) {
  for (const std::string& key : protectKeys()) {
    std::string text = key;
    EXPECT_TRUE(table_.getPolicy(&text)) << key;
    EXPECT_TRUE(table_.setPolicy(key + "=0")) << key;
    PolicyKey parsed;
    ASSERT_TRUE(PolicyKey::parse(key, &parsed));
    EXPECT_EQ(parsed.text(), key);
  }
  const char* invalid[] = {
      "",
      "powerfail",
      "powerfail.sound",
      "powerfail.sound.happen",
      "powerfail.sound.happen.",
      ".sound.happen.delay",
      "powerfail..happen.delay",
      "powerfail.sound..delay",
      "powerfail.sound.restore.interval",
      "powerfail.sound.later.delay",
      "powerfail.beep.happen.delay",
      "mainsfail.sound.happen.delay",
      "Powerfail.sound.happen.delay",
      "powerfail.sound.happen.Delay",
      "powerfail.sound.happen.max count ",
      "powerfail.sound.happen.maxcount",
      " powerfail.sound.happen.delay",
      "powerfail.sound.happen.x.delay",
      "powerfail.sound.happen.delay.",
      "powerfail.sound.happen.delay.delay",
  };
  for (const char* key : invalid) {
    std::string text = key;
    EXPECT_FALSE(table_.getPolicy(&text)) << "\"" << key << "\"";
    EXPECT_EQ(text, key) << "text changed on failure";
    EXPECT_FALSE(table_.setPolicy(std::string(key) + "=5")) << "\"" << key << "\"";
  }
  EXPECT_FALSE(table_.setPolicy("powerfail.sound.happen.delay"));
  EXPECT_FALSE(table_.setPolicy("powerfail.sound.happen.delay 5"));
  // Dots and '=' in the value belong to the value.
  EXPECT_TRUE(table_.setPolicy("powerfail.sound.happen.content=dir.x/a=b.wav"));
  EXPECT_EQ(table_.at(EVENT_POWERFAIL, ACTION_SOUND).happen.content, "dir.x/a=b.wav");
}

TEST_F(PolicyTableTest, NumberForms) {
  const std::string key = "powerfail.shutdown.happen.max count";
  auto max_count = [&] { return table_.at(EVENT_POWERFAIL, ACTION_SHUTDOWN).happen.max_count; };

  ASSERT_TRUE(table_.setPolicy(key + "=-1"));
  EXPECT_EQ(max_count(), -1);
  EXPECT_EQ(get(table_, key), key + "=4294967295");
  ASSERT_TRUE(table_.setPolicy(key + "=4294967295"));
  EXPECT_EQ(max_count(), -1) << "-1 and 4294967295 are one value";

  struct Case {
    const char* value;
    int32_t expected;
  };
  const Case cases[] = {
      {"7", 7},          {"  15", 15},          {"9000xyz", 9000},    {"+3", 3},
      {"abc", 3},        {"", 3},               {"4294967296", 3},    {"-2147483649", 3},
      {"-2147483648", INT32_MIN}, {"2147483648", INT32_MIN}, {"0", 0},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(table_.setPolicy(key + "=" + c.value)) << "\"" << c.value << "\"";
    EXPECT_EQ(max_count(), c.expected) << "after \"" << c.value << "\"";
  }
  ASSERT_TRUE(table_.setPolicy("loadover.sound.restore.delay=4000000000"));
  EXPECT_EQ(get(table_, "loadover.sound.restore.delay"), "loadover.sound.restore.delay=4000000000");
  EXPECT_EQ(get(table_, "start.command.happen.content"), "start.command.happen.content=")
      << "empty content is still served";
  EXPECT_FALSE(table_.setPolicy("start.command.happen.content=a\nb"));
  EXPECT_FALSE(table_.setPolicy("start.command.happen.content=a\rb"))
      << "a carriage return would end the reply that reads it back";
  EXPECT_EQ(get(table_, "start.command.happen.content"), "start.command.happen.content=");
}

TEST_F(PolicyTableTest, ProtectFileLoadsLineByLine) {
  EXPECT_EQ(table_.load(dir_.file("protect")), RC_NOT_AVAILABLE);
  EXPECT_EQ(table_.fileText(), PolicyTable(ids_, nullptr).fileText()) << "missing file";

  dir_.write("protect",
             "powerfail.shutdown.happen.delay=45\n"
             "garbage\n"
             "powerfail.shutdown.happen.delay =99\n"
             "powerfail.sound.restore.interval=5\n"
             "start.sound.happen.content=first.wav\n"
             "start.sound.happen.content=second.wav\n"
             "powerfail.sound.happen.max count=-1\n"
             "powerfail.record.happen.max count=oops\n"
             "\n"
             "loadover.record.happen.content=over");  // no final line feed
  LoadReport report;
  ASSERT_EQ(table_.load(dir_.file("protect"), &report), RC_OK);
  EXPECT_EQ(report.refused_lines, (std::vector<size_t>{2, 3, 4, 8}))
      << "garbage, a bad key, a restore interval and an unparsable number";
  EXPECT_TRUE(report.kept_copy);
  EXPECT_TRUE(dir_.exists("protect.rejected"));
  EXPECT_EQ(table_.at(EVENT_POWERFAIL, ACTION_SHUTDOWN).happen.delay, 45u);
  EXPECT_EQ(table_.at(EVENT_START, ACTION_SOUND).happen.content, "second.wav")
      << "later lines overwrite earlier ones";
  EXPECT_EQ(table_.at(EVENT_POWERFAIL, ACTION_SOUND).happen.max_count, -1);
  EXPECT_EQ(table_.at(EVENT_POWERFAIL, ACTION_RECORD).happen.max_count, 1)
      << "an unparsable number keeps the default";
  EXPECT_EQ(table_.at(EVENT_LOADOVER, ACTION_RECORD).happen.content, "over");

  ASSERT_EQ(table_.save(dir_.file("protect")), RC_OK);
  PolicyTable reread(ids_, nullptr);
  ASSERT_EQ(reread.load(dir_.file("protect"), &report), RC_OK);
  EXPECT_TRUE(report.clean()) << report.text();
  EXPECT_EQ(reread.fileText(), table_.fileText());
  EXPECT_EQ(splitLines(dir_.read("protect")).size(), 378u);

  EXPECT_NE(table_.save(dir_.file("missing-dir/protect")), RC_OK);
}

TEST_F(PolicyTableTest, CrLfFileLoadsAsItsLfForm) {
  std::string crlf;
  for (const std::string& line : splitLines(table_.fileText())) {
    std::string changed = line;
    if (line.rfind("powerfail.sound.happen.content=", 0) == 0) {
      changed = "powerfail.sound.happen.content=siren.wav";
    }
    crlf += changed + "\r\n";
  }
  dir_.write("protect", crlf);
  LoadReport report;
  ASSERT_EQ(table_.load(dir_.file("protect"), &report), RC_OK);
  EXPECT_TRUE(report.clean()) << report.text();
  EXPECT_EQ(table_.at(EVENT_POWERFAIL, ACTION_SOUND).happen.content, "siren.wav");
  EXPECT_EQ(table_.at(EVENT_START, ACTION_RECORD).happen.content, "UPS service started.");
  EXPECT_EQ(table_.fileText().find('\r'), std::string::npos);
}

TEST_F(PolicyTableTest, AClientsChangeIsOnTheDiskBeforeItIsMade) {
  const std::string path = dir_.file("protect");
  const std::string key = "powerfail.shutdown.happen.delay";
  uint32_t id = table_.watch(key);
  ASSERT_EQ(table_.applyPolicy(key + "=45", path), RC_OK);
  EXPECT_NE(dir_.read("protect").find(key + "=45\n"), std::string::npos);
  EXPECT_EQ(handler_.ids(), std::vector<uint32_t>{id});
  EXPECT_EQ(table_.applyPolicy("powerfail.dance.happen.delay=1", path), RC_BAD_SETTING);

  std::filesystem::remove(path);
  std::filesystem::create_directories(path + "/in-the-way");
  EXPECT_EQ(table_.applyPolicy(key + "=99", path), RC_NOT_AVAILABLE);
  EXPECT_EQ(table_.at(EVENT_POWERFAIL, ACTION_SHUTDOWN).happen.delay, 45u) << "not made";
  EXPECT_EQ(handler_.ids().size(), 1u);
}

TEST_F(PolicyTableTest, NoticesForWatchedKeysOnly) {
  const std::string key = "powerfail.shutdown.happen.max count";
  uint32_t id = table_.watch(key);
  EXPECT_EQ(id, 1u);

  ASSERT_TRUE(table_.setPolicy(key + "=1"));
  EXPECT_EQ(handler_.ids(), std::vector<uint32_t>{id}) << "once, synchronously, even unchanged";
  ASSERT_TRUE(table_.setPolicy(key + "=junk"));
  EXPECT_EQ(handler_.ids().size(), 2u) << "a set that returns true posts";

  handler_.clear();
  ASSERT_TRUE(table_.setPolicy("powerfail.shutdown.happen.delay=5"));
  EXPECT_FALSE(table_.setPolicy("powerfail.shutdown.happen.x.max count=5"));
  dir_.write("protect", key + "=0\n");
  ASSERT_EQ(table_.load(dir_.file("protect")), RC_OK);
  EXPECT_EQ(table_.at(EVENT_POWERFAIL, ACTION_SHUTDOWN).happen.max_count, 0);
  EXPECT_TRUE(handler_.ids().empty()) << "unwatched key, failed set or file load posted";

  table_.setDefaults();
  EXPECT_EQ(table_.at(EVENT_POWERFAIL, ACTION_SHUTDOWN).happen.max_count, 1);
  EXPECT_EQ(table_.at(EVENT_POWERFAIL, ACTION_SHUTDOWN).happen.delay, 30u);
}

}  // namespace
}  // namespace gw
