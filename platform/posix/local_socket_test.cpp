// Local sockets: who may connect, who is at the other end, and the file's lifetime.
#include "platform/local_socket.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "testing/temp_dir.h"

namespace gw {
namespace {

mode_t modeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

TEST(LocalSocketTest, AnOpenSocketTakesEveryUserAndTellsThePeersUser) {
  TempDir dir;
  const std::string path = dir.file("notify");
  {
    std::unique_ptr<LocalListener> listener;
    ASSERT_EQ(listenLocal(path, 4, &listener, true), RC_OK);
    EXPECT_EQ(modeOf(path), 0666u);

    std::unique_ptr<NonBlockingStream> client;
    ASSERT_EQ(connectLocal(path, &client), RC_OK);
    std::unique_ptr<NonBlockingStream> served;
    ASSERT_EQ(listener->accept(&served), RC_OK);
    uint32_t uid = 12345;
    ASSERT_EQ(localPeerUserId(*served, &uid), RC_OK);
    EXPECT_EQ(uid, currentUserId());
    uid = 12345;
    ASSERT_EQ(localPeerUserId(*client, &uid), RC_OK) << "the connecting side sees the listener";
    EXPECT_EQ(uid, currentUserId());
  }
  EXPECT_FALSE(dir.exists("notify")) << "the listener removes its file";
}

TEST(LocalSocketTest, APrivateSocketKeepsTheCreationMaskAndAPlainFileIsNeverReplaced) {
  TempDir dir;
  const mode_t old_mask = ::umask(077);
  std::unique_ptr<LocalListener> listener;
  ResultCode rc = listenLocal(dir.file("private"), 4, &listener);
  ::umask(old_mask);
  ASSERT_EQ(rc, RC_OK);
  EXPECT_EQ(modeOf(dir.file("private")) & 077, 0u);

  dir.write("plain", "data");
  std::unique_ptr<LocalListener> other;
  EXPECT_EQ(listenLocal(dir.file("plain"), 4, &other, true), RC_NOT_AVAILABLE);
  EXPECT_EQ(dir.read("plain"), "data");
}

}  // namespace
}  // namespace gw
