// The notification socket's lines: what each side writes reads back the same, and anything
// else is refused rather than half-read.
#include "protocol/tray_wire.h"

#include <gtest/gtest.h>

#include <string>

namespace gw {
namespace {

std::string withoutLineFeed(std::string line) {
  EXPECT_EQ(line.back(), '\n');
  line.pop_back();
  return line;
}

TEST(TrayWireTest, EveryLineReadsBackAsItWasWritten) {
  TrayLine line;
  for (const TrayEventRow& row : kTrayEventRows) {
    TrayDisplay display;
    ASSERT_TRUE(display.applyEvent(row.code));
    ASSERT_TRUE(parseTrayLine(withoutLineFeed(formatIconLine(display)), &line));
    EXPECT_EQ(line.kind, TrayLineKind::kIcon);
    EXPECT_EQ(TrayDisplay(line.number, line.tip), display) << row.code;
  }
  EXPECT_EQ(formatIconLine(TrayDisplay()), "ICON 120 UPS Service.\n");

  ASSERT_TRUE(parseTrayLine(withoutLineFeed(formatEventLine(9)), &line));
  EXPECT_EQ(line.kind, TrayLineKind::kEvent);
  EXPECT_EQ(line.number, 9);
  ASSERT_TRUE(parseTrayLine(withoutLineFeed(formatErrorLine(RC_ACCESS_DENIED)), &line));
  EXPECT_EQ(line.kind, TrayLineKind::kError);
  EXPECT_EQ(line.number, 33);
  ASSERT_TRUE(parseTrayLine(withoutLineFeed(formatExitLine()), &line));
  EXPECT_EQ(line.kind, TrayLineKind::kExit);
}

TEST(TrayWireTest, MalformedLinesAreRefusedAndLeaveTheOutputAlone) {
  for (const char* text : {"", "EXIT ", "exit", "ICON 120", "ICON 120 ", "ICON 121 tip",
                           "ICON x tip", "EVENT", "EVENT ", "EVENT 4 extra", "EVENT -1",
                           "EVENT 99999999999", "EVENT 4x", "ERR", "NOTE 4", "EVENT  4"}) {
    TrayLine line{TrayLineKind::kError, 77, "kept"};
    EXPECT_FALSE(parseTrayLine(text, &line)) << '"' << text << '"';
    EXPECT_EQ(line.number, 77) << text;
    EXPECT_EQ(line.tip, "kept") << text;
  }
}

TEST(TrayWireTest, TheBufferJoinsPiecesAndCutsOffEndlessLines) {
  TrayLineBuffer buffer;
  std::string line;
  ASSERT_TRUE(buffer.append("ICON 117 UPS Po"));
  EXPECT_FALSE(buffer.takeLine(&line));
  ASSERT_TRUE(buffer.append("wer failure.\nEVENT 5\nEV"));
  ASSERT_TRUE(buffer.takeLine(&line));
  EXPECT_EQ(line, "ICON 117 UPS Power failure.");
  ASSERT_TRUE(buffer.takeLine(&line));
  EXPECT_EQ(line, "EVENT 5");
  EXPECT_FALSE(buffer.takeLine(&line));

  TrayLineBuffer unfinished;
  EXPECT_TRUE(unfinished.append(std::string(kMaxTrayLine, 'x')));
  EXPECT_FALSE(unfinished.append("y"));
  EXPECT_TRUE(unfinished.broken());

  // A long line that does end must not slip through because its line feed came with it.
  TrayLineBuffer finished;
  EXPECT_FALSE(finished.append(std::string(kMaxTrayLine + 1, 'x') + "\nEVENT 4\n"));
  EXPECT_FALSE(finished.takeLine(&line));
}

}  // namespace
}  // namespace gw
