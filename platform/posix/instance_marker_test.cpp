// The markers against real holders: a child process that locks the service's marker file, and
// one that listens on the client's socket. The close request must end exactly that child.
#include "platform/instance_marker.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/service_host.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

// A forked child that takes the marker, reports through a pipe, then waits to be told to stop.
class MarkerHolder {
 public:
  enum Kind { kLock, kSocket };
  MarkerHolder(Kind kind, const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      bool ok = kind == kLock ? lock(path) : listen(path);
      (void)!::write(ready[1], ok ? "1" : "0", 1);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char c = '0';
    ready_ = ::read(ready[0], &c, 1) == 1 && c == '1';
    ::close(ready[0]);
  }
  ~MarkerHolder() {
    if (pid_ > 0 && !exited(0)) {
      ::kill(pid_, SIGKILL);
      exited(5000);
    }
  }
  bool ready() const { return ready_; }
  // True once the child has ended, waiting at most timeout_ms.
  bool exited(int timeout_ms) {
    if (reaped_) return true;
    for (int waited = 0;; waited += 10) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        reaped_ = true;
        signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        return true;
      }
      if (waited >= timeout_ms) return false;
      ::usleep(10000);
    }
  }
  int signal() const { return signal_; }

 private:
  static bool lock(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
    return fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  }
  static bool listen(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    return fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
           ::listen(fd, 4) == 0;
  }

  pid_t pid_ = -1;
  bool ready_ = false;
  bool reaped_ = false;
  int signal_ = 0;
};

TEST(InstanceMarker, ServiceLockFileHeldAndClosed) {
  TempDir dir;
  auto marker = createServiceMarker(dir.path(), "Gridwatch Plus Service");
  EXPECT_FALSE(marker->held()) << "no file yet";
  marker->requestClose();  // harmless with no holder
  {
    MarkerHolder holder(MarkerHolder::kLock, dir.file(instanceMarkerFile("Gridwatch Plus Service")));
    ASSERT_TRUE(holder.ready());
    EXPECT_TRUE(marker->held());
    marker->requestClose();
    ASSERT_TRUE(holder.exited(2000)) << "the holder was not asked to stop";
    EXPECT_EQ(holder.signal(), SIGTERM);
  }
  EXPECT_FALSE(marker->held()) << "the lock dies with its holder; the file stays";
  EXPECT_TRUE(dir.exists(instanceMarkerFile("Gridwatch Plus Service")));
}

TEST(InstanceMarker, ClientSocketHeldAndClosed) {
  TempDir dir;
  auto marker = createClientMarker(dir.path(), "UPS Management Client Program");
  EXPECT_FALSE(marker->held());
  {
    MarkerHolder holder(MarkerHolder::kSocket, dir.file("UPS Management Client Program"));
    ASSERT_TRUE(holder.ready());
    EXPECT_TRUE(marker->held());
    marker->requestClose();
    ASSERT_TRUE(holder.exited(2000));
    EXPECT_EQ(holder.signal(), SIGTERM);
  }
  EXPECT_TRUE(dir.exists("UPS Management Client Program"));
  EXPECT_FALSE(marker->held()) << "a socket file with no listener is stale";
  EXPECT_FALSE(createClientMarker("", "UPS Management Client Program")->held())
      << "no runtime directory: nothing to find";
}

}  // namespace
}  // namespace gw
