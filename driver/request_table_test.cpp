// Every request row reaches the right device operation with the right arguments, and the
// replies carry values, texts and codes as the protocol writes them.
#include "driver/request_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/devices/null_device.h"

namespace gw {
namespace {

// Records the last operation as text and answers from fixed values.
class RecordingDevice final : public Device {
 public:
  ResultCode getStatus(int n, int32_t* v) override { return note("status", n, 0, 0, v, 100 + n); }
  ResultCode getSetting(int n, int sel, int32_t* v) override {
    return note("setting", n, sel, 0, v, 200 + n);
  }
  ResultCode setSetting(int n, int32_t value) override { return note("set", n, value); }
  ResultCode getAlarm(bool* on) override {
    last = "alarm";
    if (code == RC_OK) *on = true;
    return code;
  }
  ResultCode setAlarm(int32_t value) override { return note("setalarm", 7, value); }
  ResultCode getText(int element, char* buffer, size_t* size) override {
    last = "text " + std::to_string(element);
    if (code != RC_OK) return code;
    size_t need = text.size() + 1;
    if (!buffer || *size < need) {
      *size = need;
      return RC_BUFFER_TOO_SMALL;
    }
    std::memcpy(buffer, text.c_str(), need);
    return RC_OK;
  }
  ResultCode getNumber(int element, int32_t* v) override {
    return note("number", element, 0, 0, v, 300 + element);
  }
  ResultCode selfTest(int32_t s) override { return note("selftest", 0, s); }
  ResultCode sleep(int32_t d, int32_t r) override { return note("sleep", 1, d, r); }
  ResultCode shutdown(int32_t d) override { return note("shutdown", 2, d); }
  ResultCode toggleBuzzer() override { return note("buzzer", 3, 0); }

  std::string last;
  ResultCode code = RC_OK;
  std::string text = "UPS 1000";

 private:
  ResultCode note(const char* what, int n, int32_t a, int32_t b = 0, int32_t* out = nullptr,
                  int32_t value = 0) {
    last = std::string(what) + " " + std::to_string(n) + " " + std::to_string(a) + " " +
           std::to_string(b);
    if (code == RC_OK && out) *out = value;
    return code;
  }
};

std::string answer(Device& d, const std::string& line) {
  std::string reply;
  (void)answerRequest(d, parseRequest(line), &reply);  // the reply is what is checked
  return reply;
}

TEST(RequestTableTest, EveryRequestReachesItsOperation) {
  RecordingDevice d;
  struct Row {
    const char* line;
    const char* reply;
    const char* op;
  };
  const Row rows[] = {
      {"S0", "S0 100\n", "status 0 0 0"},
      {"S13", "S13 113\n", "status 13 0 0"},
      {"R0 0", "R0 200\n", "setting 0 0 0"},
      {"R6 1", "R6 206\n", "setting 6 1 0"},
      {"R7", "R7 1\n", "alarm"},
      {"R8", "R8 UPS 1000\n", "text 8"},
      {"R15", "R15 UPS 1000\n", "text 15"},
      {"R16", "R16 316\n", "number 16 0 0"},
      {"R17", "R17 317\n", "number 17 0 0"},
      {"R18", "R18 317\n", "number 17 0 0"},
      {"R19", "R19 319\n", "number 19 0 0"},
      {"R30", "R30 330\n", "number 30 0 0"},
      {"W0 230", "W0\n", "set 0 230 0"},
      {"W6 -4", "W6\n", "set 6 -4 0"},
      {"W7 1", "W7\n", "setalarm 7 1 0"},
      {"C0 90", "C0\n", "selftest 0 90 0"},
      {"C1 60 120", "C1\n", "sleep 1 60 120"},
      {"C2 -1", "C2\n", "shutdown 2 -1 0"},
      {"C3", "C3\n", "buzzer 3 0 0"},
  };
  for (const Row& r : rows) {
    d.last.clear();
    EXPECT_EQ(answer(d, r.line), r.reply) << r.line;
    EXPECT_EQ(d.last, r.op) << r.line;
  }
  size_t count = 0;
  const RequestRow* table = requestRows(&count);
  for (size_t i = 0; i < count; ++i) {
    EXPECT_LE(table[i].first, table[i].last);
    EXPECT_EQ(findRequestRow(table[i].letter, table[i].first), &table[i]);
    EXPECT_EQ(findRequestRow(table[i].letter, table[i].last), &table[i]);
  }
}

TEST(RequestTableTest, OutOfRangeUnknownAndIncompleteRequestsTouchNoOperation) {
  RecordingDevice d;
  struct Row {
    const char* line;
    const char* reply;
  };
  const Row rows[] = {
      {"S14", "S14E 1\n"},   {"S-1", "S-1E 1\n"},   {"R31", "R31E 1\n"},
      {"W8 1", "W8E 1\n"},   {"C5 1", "C5E 1\n"},   {"X1", "X1E 1\n"},
      {"s0", "s0E 1\n"},     {"R", "R-1E 1\n"},     {"", "-1E 1\n"},
      {"R0", "R0E 16\n"},    {"W3", "W3E 16\n"},    {"C0", "C0E 16\n"},
      {"C1 60", "C1E 16\n"}, {"C2 x", "C2E 16\n"},  {"W7 ", "W7E 16\n"},
  };
  for (const Row& r : rows) {
    d.last.clear();
    EXPECT_EQ(answer(d, r.line), r.reply) << r.line;
    EXPECT_EQ(d.last, "") << r.line << " must not reach the device";
  }
}

TEST(RequestTableTest, DeviceCodesAndTextsComeBackIntact) {
  RecordingDevice d;
  d.code = RC_NOT_AVAILABLE;
  EXPECT_EQ(answer(d, "R5 0"), "R5E 2\n");
  EXPECT_EQ(answer(d, "R12"), "R12E 2\n");
  EXPECT_EQ(answer(d, "C2 120"), "C2E 2\n");
  d.code = RC_OK;
  d.text = "";
  EXPECT_EQ(answer(d, "R13"), "R13 \n");
  d.text = "two\nlines\r";
  EXPECT_EQ(answer(d, "R14"), "R14 two lines \n") << "a text must not break the reply line";
  d.text = std::string(kMaxTextValue + 10, 'x');
  EXPECT_EQ(answer(d, "R12"), "R12E 5\n");

  NullDevice none;
  for (int n = 0; n <= 13; ++n) {
    std::string line = "S" + std::to_string(n);
    EXPECT_EQ(answer(none, line), line + "E 8\n");
  }
  EXPECT_EQ(answer(none, "R12"), "R12E 1\n");
  EXPECT_EQ(answer(none, "R0 0"), "R0E 1\n");
  EXPECT_EQ(answer(none, "C3"), "C3E 1\n");
  EXPECT_EQ(none.poll(), RC_UNSUPPORTED) << "the stand-in's poll fails, so detection repeats";
}

}  // namespace
}  // namespace gw
