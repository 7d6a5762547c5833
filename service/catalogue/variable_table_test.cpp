// Every catalogue row: its name, kind, and the request line its call sends.
#include "service/catalogue/variable_table.h"

#include <gtest/gtest.h>

#include "testing/fake_driver_channel.h"

namespace gw {
namespace {

// Answers every request as a working driver would: numbers for S and numeric R, a text for
// R8..R15, nothing for W and C.
std::string driverReply(const std::string& request) {
  const std::string echo = request.substr(0, request.find(' '));
  if (echo[0] == 'W' || echo[0] == 'C') return echo;
  const int number = std::stoi(echo.substr(1));
  if (echo[0] == 'R' && number >= 8 && number <= 15) return echo + " text of " + echo;
  return echo + " " + std::to_string(1000 + number);
}

class VariableTableTest : public ::testing::Test {
 protected:
  FakeDriverChannel channel_{&driverReply};
  DeviceProxy proxy_{channel_};
};

TEST_F(VariableTableTest, EveryRowHasItsNameKindAndRequest) {
  struct Row {
    const char* name;
    VariableKind kind;
    const char* request;  // with the arguments first = 7, second = 9
  };
  const Row rows[] = {
      {"STATUS_INVOLT", KIND_GET, "S0"},
      {"STATUS_OUTVOLT", KIND_GET, "S1"},
      {"STATUS_CAPACITY", KIND_GET, "S2"},
      {"STATUS_LOAD", KIND_GET, "S3"},
      {"STATUS_TEMP", KIND_GET, "S4"},
      {"STATUS_FREQ", KIND_GET, "S5"},
      {"STATUS_BACKUP", KIND_GET, "S6"},
      {"STATUS_POWERFAIL", KIND_GET, "S7"},
      {"STATUS_BATTERYLO", KIND_GET, "S8"},
      {"STATUS_TEST", KIND_GET, "S9"},
      {"STATUS_WAITSLEEP", KIND_GET, "S10"},
      {"STATUS_WAITWAKEUP", KIND_GET, "S11"},
      {"STATUS_CONNECT", KIND_GET, "S12"},
      {"STATUS_BEEP", KIND_GET, "S13"},
      {"CMD_SELFTEST", KIND_SET, "C0 7"},
      {"CMD_SLEEP", KIND_SET_PAIR, "C1 7 9"},
      {"CMD_SHUTDOWN", KIND_SET, "C2 7"},
      {"CMD_TOGGLEBUZZER", KIND_COMMAND, "C3"},
      {"SET_PROP_INPUTHI", KIND_SET, "W0 7"},
      {"SET_PROP_INPUTLO", KIND_SET, "W1 7"},
      {"SET_PROP_BATTERYLO", KIND_SET, "W2 7"},
      {"SET_PROP_BATOUT", KIND_SET, "W3 7"},
      {"SET_PROP_AUTORESTART", KIND_SET, "W4 7"},
      {"SET_PROP_COLDSTART", KIND_SET, "W5 7"},
      {"SET_PROP_SENSITIVEITY", KIND_SET, "W6 7"},
      {"PROP_INPUTHI", KIND_GET_SELECTED, "R0 1"},
      {"PROP_INPUTLO", KIND_GET_SELECTED, "R1 1"},
      {"PROP_BATTERYLO", KIND_GET_SELECTED, "R2 1"},
      {"PROP_BATOUT", KIND_GET_SELECTED, "R3 1"},
      {"PROP_AUTORESTART", KIND_GET_SELECTED, "R4 1"},
      {"PROP_COLDSTART", KIND_GET_SELECTED, "R5 1"},
      {"PROP_SENSITIVEITY", KIND_GET_SELECTED, "R6 1"},
      {"PROP_INPUTHI_RANGE", KIND_TEXT, "R8"},
      {"PROP_INPUTLO_RANGE", KIND_TEXT, "R9"},
      {"PROP_BATTERYLO_RANGE", KIND_TEXT, "R10"},
      {"PROP_BATOUT_RANGE", KIND_TEXT, "R11"},
      {"PROP_MEDIATYPE", KIND_GET, "R23"},
      {"PROP_MEDIAIDX", KIND_GET, "R24"},
      {"PROP_MODEL", KIND_TEXT, "R12"},
      {"PROP_FWVER", KIND_TEXT, "R13"},
      {"PROP_SERIAL", KIND_TEXT, "R14"},
      {"PROP_COMPANY", KIND_TEXT, "R15"},
      {"PROP_VOLT", KIND_GET, "R16"},
      {"PROP_FREQLO", KIND_GET, "R17"},
      {"PROP_FREQHI", KIND_GET, "R17"},
      {"PROP_VA", KIND_GET, "R19"},
      {"PROP_WATT", KIND_GET, "R20"},
      {"PROP_AVR", KIND_GET, "R29"},
      {"PROP_UPSTECH", KIND_GET, "R30"},
      {"PROP_PORTTYPE", KIND_GET, "R22"},
      {"PROP_BAUDRATE", KIND_GET, "R21"},
      {"PROP_BATVOLT", KIND_GET, "R25"},
      {"PROP_BATNUM", KIND_GET, "R26"},
      {"PROP_BATAH", KIND_GET, "R27"},
      {"PROP_BATEXT", KIND_GET, "R28"},
  };
  ASSERT_EQ(std::size(rows), VariableTable::size());
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    const int pos = static_cast<int>(i);
    SCOPED_TRACE(row.name);
    EXPECT_EQ(VariableTable::at(pos).name, row.name);
    EXPECT_EQ(VariableTable::at(pos).kind, row.kind);
    EXPECT_EQ(VariableTable::find(row.name), pos);
    EXPECT_EQ(VariableTable::changesDevice(pos), pos >= 14 && pos <= 24);

    channel_.clearRequests();
    VariableValue value;
    ASSERT_EQ(VariableTable::call(pos, proxy_, {.first = 7, .second = 9}, &value), RC_OK);
    ASSERT_EQ(channel_.requests().size(), 1u);
    EXPECT_EQ(channel_.requests()[0], row.request);
    const std::string echo = std::string(row.request).substr(0, std::string(row.request).find(' '));
    if (row.kind == KIND_TEXT) {
      EXPECT_EQ(value.text, "text of " + echo);
    } else if (row.kind == KIND_GET || row.kind == KIND_GET_SELECTED) {
      EXPECT_EQ(value.number, 1000 + std::stoi(echo.substr(1)));
    }
  }
  channel_.clearRequests();
  VariableValue value;
  EXPECT_EQ(VariableTable::call(25, proxy_, {.first = 0}, &value), RC_OK);
  EXPECT_EQ(channel_.requests().at(0), "R0 0") << "selector 0 reads the value in force";
}

TEST_F(VariableTableTest, LookupIsExact) {
  EXPECT_EQ(VariableTable::find("prop_model"), std::nullopt);
  EXPECT_EQ(VariableTable::find("PROP_MODEL "), std::nullopt);
  EXPECT_EQ(VariableTable::find(""), std::nullopt);
  EXPECT_EQ(VariableTable::find("PROP_MODEL"), 38);
  VariableValue value;
  EXPECT_EQ(VariableTable::call(55, proxy_, {}, &value), RC_UNSUPPORTED);
  EXPECT_EQ(VariableTable::call(-1, proxy_, {}, &value), RC_UNSUPPORTED);
}

TEST_F(VariableTableTest, BothRatedFrequenciesReadTheSameValue) {
  channel_.setHandler([](const std::string& request) {
    return request == "R17" ? std::string("R17 5000") : request + "E 1";
  });
  VariableValue lo;
  VariableValue hi;
  ASSERT_EQ(VariableTable::call(*VariableTable::find("PROP_FREQLO"), proxy_, {}, &lo), RC_OK);
  ASSERT_EQ(VariableTable::call(*VariableTable::find("PROP_FREQHI"), proxy_, {}, &hi), RC_OK);
  EXPECT_EQ(lo.number, 5000);
  EXPECT_EQ(hi.number, 5000);
}

TEST_F(VariableTableTest, TextsThatDoNotFitTheBufferAreRefused) {
  std::string model = std::string(127, 'a');
  channel_.setHandler([&model](const std::string& request) { return request + " " + model; });
  const int pos = *VariableTable::find("PROP_MODEL");
  VariableValue value;
  ASSERT_EQ(VariableTable::call(pos, proxy_, {}, &value), RC_OK) << "127 characters fit";
  EXPECT_EQ(value.text, model);

  model = std::string(128, 'b');
  value.text = "before";
  EXPECT_EQ(VariableTable::call(pos, proxy_, {}, &value), RC_BUFFER_TOO_SMALL);
  EXPECT_EQ(value.text, "before") << "no text on failure";

  model = "short again";
  channel_.clearRequests();
  ASSERT_EQ(VariableTable::call(pos, proxy_, {}, &value), RC_OK)
      << "the refused text must not stay cached and shadow the driver's new one";
  EXPECT_EQ(value.text, "short again");
  EXPECT_EQ(channel_.requests().size(), 1u);

  channel_.setBroken(true);
  EXPECT_EQ(VariableTable::call(pos, proxy_, {}, &value), RC_PIPE_BROKEN);
  EXPECT_EQ(VariableTable::call(0, proxy_, {}, &value), RC_PIPE_BROKEN);
}

}  // namespace
}  // namespace gw
