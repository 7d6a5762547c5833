// Whole-file I/O with write-to-temporary, fsync and rename.
#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "platform/posix/errno_result.h"
#include "platform/posix/unique_fd.h"

namespace gw {

ResultCode readWholeFile(const std::string& path, std::string* contents) {
  posix::UniqueFd fd(posix::retryEintr([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }));
  if (!fd.valid()) return RC_NOT_AVAILABLE;
  std::string out;
  char buf[65536];
  for (;;) {
    ssize_t n = posix::retryEintr([&] { return ::read(fd.get(), buf, sizeof buf); });
    if (n < 0) return RC_NOT_AVAILABLE;
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  *contents = std::move(out);
  return RC_OK;
}

ResultCode writeFileAtomically(const std::string& path, const std::string& contents,
                               unsigned mode) {
  // Unique per process and per call, so two writers of the same file never share a temporary.
  static std::atomic<unsigned> counter{0};
  std::string tmp = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
  posix::UniqueFd fd(posix::retryEintr([&] {
    return ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, static_cast<mode_t>(mode));
  }));
  if (!fd.valid()) return posix::resultFromErrno(errno);
  // The umask may have widened nothing but could narrow; set the mode we were asked for.
  (void)::fchmod(fd.get(), static_cast<mode_t>(mode));  // best effort: open already applied it
  size_t done = 0;
  while (done < contents.size()) {
    ssize_t n = posix::retryEintr(
        [&] { return ::write(fd.get(), contents.data() + done, contents.size() - done); });
    if (n <= 0) {
      int err = errno;
      ::unlink(tmp.c_str());
      return posix::resultFromErrno(err);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd.get()) != 0 || ::close(fd.release()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return posix::resultFromErrno(err);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return posix::resultFromErrno(err);
  }
  // Make the rename itself durable.
  std::string dir = path.substr(0, path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/'));
  posix::UniqueFd dfd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dfd.valid()) (void)::fsync(dfd.get());  // the data is safe already; this only orders it
  return RC_OK;
}

bool fileExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

std::string joinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

}  // namespace gw
