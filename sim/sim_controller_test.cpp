// Control commands and the record of received commands.
#include "sim/sim_controller.h"

#include <gtest/gtest.h>

#include <memory>

#include "sim/sim_media.h"
#include "testing/fake_clock.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

class SimControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SimUps::create(clock_, UpsKind::kBinary, "KA-1", &ups_), RC_OK);
    controller_ = std::make_unique<SimController>(*ups_);
  }
  std::string run(const std::string& line) { return controller_->execute(line); }

  FakeClock clock_;
  std::unique_ptr<SimUps> ups_;
  std::unique_ptr<SimController> controller_;
};

TEST_F(SimControllerTest, CommandsChangeTheModel) {
  UpsModel& m = ups_->model();
  EXPECT_EQ(run("mains fail"), "OK mains off");
  EXPECT_FALSE(m.mainsPresent());
  EXPECT_EQ(run("mains restore\r"), "OK mains on") << "a CR from a terminal is ignored";
  EXPECT_TRUE(m.mainsPresent());
  EXPECT_EQ(run("battery low"), "OK battery low");
  EXPECT_TRUE(m.batteryLow());
  EXPECT_EQ(run("battery 10"), "OK battery 10.0");
  EXPECT_EQ(run("battery ok"), "OK battery ok");
  EXPECT_FALSE(m.batteryLow());
  EXPECT_EQ(m.capacity(), 50.0) << "ok charges a flat battery to 50 %";
  EXPECT_EQ(run("load 55"), "OK load 55.0");
  EXPECT_EQ(m.load(), 55.0);
  EXPECT_EQ(run("volts 110.5"), "OK volts 110.5");
  EXPECT_EQ(m.inputVolts(), 110.5);
  EXPECT_EQ(run("freq 59"), "OK freq 59.0");
  EXPECT_EQ(run("temp 41"), "OK temp 41.0");
  EXPECT_EQ(run("output off"), "OK output off");
  EXPECT_FALSE(m.outputOn());
  EXPECT_EQ(run("output on"), "OK output on");
  EXPECT_EQ(run("cable pull"), "OK cable pulled");
  EXPECT_TRUE(ups_->cablePulled());
  EXPECT_EQ(run("cable plug"), "OK cable plugged");
  EXPECT_EQ(run("model KE-4"), "OK model KE-4");
  EXPECT_EQ(m.profile().family, 5);
  EXPECT_EQ(run("drain off"), "OK drain off");
  EXPECT_EQ(run("status").rfind("OK kind=binary model=KE-4 mains=on output=on in=110.5 ", 0), 0u)
      << "a set input voltage survives a model change";
}

TEST_F(SimControllerTest, BadCommandsAreRefusedWithoutEffect) {
  for (const char* bad :
       {"", "mains", "mains maybe", "battery 101", "battery -1", "load x", "load 300", "volts",
        "model KZ-1", "fault dsr-follows-dtr on", "cable cut", "status now", "frobnicate"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(run(bad).substr(0, 4), "ERR ");
  }
  EXPECT_EQ(ups_->model().profile().name, "KA-1");
  EXPECT_TRUE(ups_->model().mainsPresent());
  EXPECT_EQ(ups_->model().load(), 25.0);
}

TEST_F(SimControllerTest, ReceivedListsWhatArrivedAndClearForgetsIt) {
  std::unique_ptr<SimMedia, MediaReleaser> media(SimMedia::create(*ups_));
  const uint8_t t[] = {'T', ' ', '\r'};
  media->write(t, 3);
  media->write(reinterpret_cast<const uint8_t*>("D\r"), 2);
  EXPECT_EQ(run("received"), "OK 2 T\\x20\\x0d D\\x0d");
  EXPECT_EQ(run("received 1"), "OK 1 D\\x0d") << "the newest";
  EXPECT_EQ(run("received 5"), "OK 2 T\\x20\\x0d D\\x0d");
  EXPECT_EQ(run("received 0").substr(0, 4), "ERR ");
  EXPECT_EQ(run("received 1.5").substr(0, 4), "ERR ");
  EXPECT_EQ(run("clear"), "OK cleared");
  EXPECT_EQ(run("received"), "OK 0");
}

TEST(CommandLogTest, EscapesAndAppendsTimestampedLines) {
  EXPECT_EQ(CommandLog::escapeBytes(std::string("Q\x02\xfd\\ \r", 6)),
            "Q\\x02\\xfd\\x5c\\x20\\x0d");
  EXPECT_EQ(CommandLog::linesText(0), "lines:-");

  TempDir dir;
  FakeClock clock;
  {
    CommandLog log(clock);
    ASSERT_EQ(log.openFile(dir.file("log")), RC_OK);
    log.recordBytes("D\r");
    clock.advance(1234);
    log.recordLines(0x08 | 0x40);
  }
  std::string text = dir.read("log");
  // "YYYY/MM/DD hh:mm:ss.mmm entry" per line.
  ASSERT_EQ(text.size(), 2 * 24 + std::string("D\\x0d\nlines:DTR+RTS\n").size()) << text;
  EXPECT_EQ(text.substr(19, 5), ".000 ");
  EXPECT_EQ(text.substr(24, 6), "D\\x0d\n");
  EXPECT_EQ(text.substr(30 + 19, 5), ".234 ");
  EXPECT_EQ(text.substr(30 + 24), "lines:DTR+RTS\n");

  CommandLog bad(clock);
  EXPECT_EQ(bad.openFile(dir.file("no/such/dir")), RC_NOT_AVAILABLE);
}

}  // namespace
}  // namespace gw
