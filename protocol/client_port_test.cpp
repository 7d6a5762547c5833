// The port rule: what GRIDWATCH_PORT may hold and what an invalid text gives.
#include "protocol/client_port.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(ClientPortTest, EnvironmentTextFallsBackToTheDefaultPort) {
  EXPECT_EQ(clientPortFromText(nullptr), 8855) << "unset";
  EXPECT_EQ(clientPortFromText(""), 8855) << "empty";
  EXPECT_EQ(clientPortFromText("9000"), 9000);
  EXPECT_EQ(clientPortFromText("1"), 1);
  EXPECT_EQ(clientPortFromText("65535"), 65535);
  for (const char* bad : {"0", "65536", "-1", "9000x", " 9000", "9000 ", "port", "99999999999"}) {
    EXPECT_EQ(clientPortFromText(bad), 8855) << bad;
  }
}

TEST(ClientPortTest, PortNumberIsStrictAndLeavesTheOutputOnFailure) {
  uint16_t port = 7;
  EXPECT_TRUE(parsePortNumber("8000", &port));
  EXPECT_EQ(port, 8000);
  for (const char* bad : {"", "0", "65536", "-80", "80.0", "0x50", "eighty"}) {
    port = 7;
    EXPECT_FALSE(parsePortNumber(bad, &port)) << bad;
    EXPECT_EQ(port, 7) << bad;
  }
}

}  // namespace
}  // namespace gw
