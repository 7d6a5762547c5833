// Finding the graphical session: loginctl's texts, environment blocks, and the session-bound
// start of a program.
#include "platform/graphical_session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/logind_text.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

TEST(GraphicalSessionTest, ReadsLoginctlTexts) {
  EXPECT_EQ(
      posix::sessionIdsFromList("      2 1000 ann  seat0 tty7\n     c1  113 lightdm seat0\n\n"),
      (std::vector<std::string>{"2", "c1"}));
  EXPECT_TRUE(posix::sessionIdsFromList("").empty());

  const auto desktop = posix::sessionPropertiesFromText(
      "Type=x11\nActive=yes\nRemote=no\nClass=user\nDisplay=:0\nName=ann\nUser=1000\nX=1\n");
  EXPECT_TRUE(posix::isActiveLocalX11(desktop));
  EXPECT_EQ(desktop.display, ":0");
  EXPECT_EQ(desktop.name, "ann");
  EXPECT_EQ(desktop.uid, 1000);

  for (const char* not_ours : {
           "Type=x11\nActive=no\nRemote=no\nClass=user\nDisplay=:0\nUser=1000\n",     // behind
           "Type=x11\nActive=yes\nRemote=no\nClass=greeter\nDisplay=:0\nUser=113\n",  // login
           "Type=tty\nActive=yes\nRemote=no\nClass=user\nDisplay=\nUser=1000\n",
           "Type=x11\nActive=yes\nRemote=yes\nClass=user\nDisplay=:10\nUser=1000\n",
           "Type=x11\nActive=yes\nRemote=no\nClass=user\nDisplay=:0\nUser=x\n",
       }) {
    EXPECT_FALSE(posix::isActiveLocalX11(posix::sessionPropertiesFromText(not_ours))) << not_ours;
  }
}

TEST(GraphicalSessionTest, ReadsAnEnvironmentBlock) {
  static const char kBlock[] = "PATH=/bin\0DISPLAY=:1\0XAUTHORITY=/run/a\0DISPLAYX=no";
  const std::string block(kBlock, sizeof kBlock - 1);
  EXPECT_EQ(posix::environmentValue(block, "DISPLAY"), ":1");
  EXPECT_EQ(posix::environmentValue(block, "XAUTHORITY"), "/run/a");
  EXPECT_EQ(posix::environmentValue(block, "HOME"), "");
}

TEST(GraphicalSessionTest, OurOwnSessionRunsProgramsDirectly) {
  GraphicalSession s;
  EXPECT_EQ(ownGraphicalSession("", &s), RC_NOT_AVAILABLE);
  ASSERT_EQ(ownGraphicalSession(":7", &s), RC_OK);
  EXPECT_EQ(s.uid, static_cast<int64_t>(::geteuid()));
  EXPECT_EQ(s.display, ":7");

  SpawnOptions o;
  o.program = "/opt/gw/sweeper";
  o.args = {"/L", "/x"};
  SpawnOptions in;
  ASSERT_EQ(optionsInSession(s, o, &in), RC_OK);
  EXPECT_EQ(in.program, o.program);
  EXPECT_EQ(in.args, o.args);
  EXPECT_EQ(in.extra_env.at("DISPLAY"), ":7");
  EXPECT_EQ(in.extra_env.at("HOME"), s.home);

  GraphicalSession other = s;
  other.uid = s.uid + 4242;
  other.gid = 4242;
  SpawnOptions as_other;
  if (::geteuid() == 0) {
    ASSERT_EQ(optionsInSession(other, o, &as_other), RC_OK);
    EXPECT_EQ(as_other.program, "/usr/bin/setpriv");
    EXPECT_EQ(as_other.args, (std::vector<std::string>{"--reuid=" + std::to_string(other.uid),
                                                       "--regid=4242", "--init-groups", "--",
                                                       "/opt/gw/sweeper", "/L", "/x"}));
  } else {
    EXPECT_EQ(optionsInSession(other, o, &as_other), RC_ACCESS_DENIED);
  }
}

TEST(GraphicalSessionTest, TheSessionsFileBelongsToItsUser) {
  TempDir dir;
  GraphicalSession s;
  ASSERT_EQ(ownGraphicalSession(":7", &s), RC_OK);
  if (::geteuid() == 0) s.uid = s.gid = 4242;  // root hands the file over
  dir.write("log", "stale");
  ASSERT_EQ(createFileForSession(dir.file("log"), s), RC_OK);
  struct stat st{};
  ASSERT_EQ(::lstat(dir.file("log").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 0);
  EXPECT_EQ(static_cast<int64_t>(st.st_uid), s.uid);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_NE(createFileForSession(dir.file("no/dir/log"), s), RC_OK);
}

TEST(GraphicalSessionTest, WithoutALoginManagerThereIsNoSession) {
  // On a machine with a desktop this finds it; either way the answer comes quickly and whole.
  GraphicalSession s;
  const ResultCode r = findActiveGraphicalSession(5000, &s);
  if (r == RC_OK) {
    EXPECT_FALSE(s.display.empty());
    EXPECT_GE(s.uid, 0);
  } else {
    EXPECT_EQ(r, RC_NOT_AVAILABLE);
    EXPECT_EQ(s.uid, -1);
  }
}

}  // namespace
}  // namespace gw
