// Expansion and copying through one set of I/O callbacks, so that both report the same reasons.
#include "setup/logic/mspack_file_installer.h"

#include <mspack.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "setup/logic/install_root.h"

namespace gw::setup {
namespace {

constexpr char kSzddSignature[8] = {'S', 'Z', 'D', 'D', '\x88', '\xf0', '\x27', '\x33'};

// libmspack's system interface with the first error of each direction kept. `base` must stay the
// first member: libmspack hands it back as the system pointer.
struct IoSystem {
  mspack_system base;
  int read_error = 0;
  int write_error = 0;
  uint64_t written = 0;
};

struct IoFile : mspack_file {
  std::FILE* stream;
  bool writing;
  IoSystem* owner;
};

void keep(int* slot, int err) {
  if (*slot == 0) *slot = err != 0 ? err : EIO;
}

mspack_file* ioOpen(mspack_system* self, const char* name, int mode) {
  auto* sys = reinterpret_cast<IoSystem*>(self);
  bool writing = mode != MSPACK_SYS_OPEN_READ;
  errno = 0;
  std::FILE* stream = std::fopen(name, writing ? "wb" : "rb");
  if (!stream) {
    keep(writing ? &sys->write_error : &sys->read_error, errno);
    return nullptr;
  }
  auto* file = new (std::nothrow) IoFile;
  if (!file) {
    std::fclose(stream);
    return nullptr;
  }
  file->stream = stream;
  file->writing = writing;
  file->owner = sys;
  return file;
}

void ioClose(mspack_file* handle) {
  auto* file = static_cast<IoFile*>(handle);
  errno = 0;
  // Buffered data meets a full disk only here.
  if (std::fclose(file->stream) != 0 && file->writing) keep(&file->owner->write_error, errno);
  delete file;
}

int ioRead(mspack_file* handle, void* buffer, int bytes) {
  auto* file = static_cast<IoFile*>(handle);
  errno = 0;
  size_t n = std::fread(buffer, 1, static_cast<size_t>(bytes), file->stream);
  if (n < static_cast<size_t>(bytes) && std::ferror(file->stream)) {
    keep(&file->owner->read_error, errno);
    return -1;
  }
  return static_cast<int>(n);
}

int ioWrite(mspack_file* handle, void* buffer, int bytes) {
  auto* file = static_cast<IoFile*>(handle);
  errno = 0;
  size_t n = std::fwrite(buffer, 1, static_cast<size_t>(bytes), file->stream);
  if (n != static_cast<size_t>(bytes)) {
    keep(&file->owner->write_error, errno);
    return -1;
  }
  file->owner->written += n;
  return bytes;
}

int ioSeek(mspack_file* handle, off_t offset, int mode) {
  int whence = mode == MSPACK_SYS_SEEK_START ? SEEK_SET : mode == MSPACK_SYS_SEEK_CUR ? SEEK_CUR
                                                                                       : SEEK_END;
  return fseeko(static_cast<IoFile*>(handle)->stream, offset, whence) == 0 ? 0 : -1;
}

off_t ioTell(mspack_file* handle) { return ftello(static_cast<IoFile*>(handle)->stream); }
void ioMessage(mspack_file*, const char*, ...) {}
void* ioAlloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void ioFree(void* p) { std::free(p); }
void ioCopy(void* src, void* dest, size_t bytes) { std::memmove(dest, src, bytes); }

void initSystem(IoSystem* sys) {
  sys->base = mspack_system{ioOpen, ioClose, ioRead,  ioWrite, ioSeek, ioTell,
                            ioMessage, ioAlloc, ioFree, ioCopy, nullptr};
}

// The one map from a system error to the result flags; `otherwise` for any error not named.
uint32_t flagsForError(int err, uint32_t otherwise) {
  switch (static_cast<std::errc>(err)) {
    case std::errc::text_file_busy:
      return kInstallFileInUse;
    case std::errc::device_or_resource_busy:
      return kInstallSharingViolation;
    case std::errc::no_space_on_device:
    case std::errc::file_too_large:
      return kInstallOutOfSpace;
    case std::errc::permission_denied:
    case std::errc::operation_not_permitted:
    case std::errc::read_only_file_system:
      return kInstallAccessViolation;
    case std::errc::not_enough_memory:
      return kInstallOutOfMemory;
    default:
      return otherwise;
  }
}

// After the transfer: a write error outranks the rest, since it names the destination's fault.
uint32_t transferResult(const IoSystem& sys, bool source_failed) {
  if (sys.write_error != 0) return flagsForError(sys.write_error, kInstallCannotCreate);
  if (source_failed || sys.read_error != 0) return kInstallCannotReadSource;
  return 0;
}

uint32_t expand(IoSystem& sys, const std::string& source, const std::string& temp) {
  msszdd_decompressor* szdd = mspack_create_szdd_decompressor(&sys.base);
  if (!szdd) return kInstallOutOfMemory;
  uint32_t result = 0;
  if (msszddd_header* header = szdd->open(szdd, source.c_str())) {
    int rc = szdd->extract(szdd, header, temp.c_str());
    // A truncated file decodes without complaint; its length in the header tells.
    bool short_output = rc == MSPACK_ERR_OK && sys.written != static_cast<uint64_t>(header->length);
    szdd->close(szdd, header);
    result = rc == MSPACK_ERR_NOMEMORY ? kInstallOutOfMemory
                                       : transferResult(sys, rc != MSPACK_ERR_OK || short_output);
  } else {
    result = szdd->last_error(szdd) == MSPACK_ERR_NOMEMORY ? kInstallOutOfMemory
                                                           : kInstallCannotReadSource;
  }
  mspack_destroy_szdd_decompressor(szdd);
  return result;
}

uint32_t copyPlain(IoSystem& sys, const std::string& source, const std::string& temp) {
  mspack_file* in = ioOpen(&sys.base, source.c_str(), MSPACK_SYS_OPEN_READ);
  if (!in) return kInstallCannotReadSource;
  mspack_file* out = ioOpen(&sys.base, temp.c_str(), MSPACK_SYS_OPEN_WRITE);
  bool failed = out == nullptr;
  char buffer[65536];
  while (!failed) {
    int n = ioRead(in, buffer, sizeof buffer);
    if (n <= 0) {
      failed = n < 0;
      break;
    }
    failed = ioWrite(out, buffer, n) != n;
  }
  ioClose(in);
  if (out) ioClose(out);
  uint32_t result = transferResult(sys, false);
  return result == 0 && failed ? kInstallCannotCreate : result;
}

}  // namespace

uint32_t MspackFileInstaller::install(const std::string& source, const std::string& target,
                                      unsigned mode) {
  std::FILE* probe = std::fopen(source.c_str(), "rb");
  if (!probe) return kInstallCannotReadSource;
  char head[sizeof kSzddSignature] = {};
  size_t n = std::fread(head, 1, sizeof head, probe);
  bool unreadable = std::ferror(probe) != 0;
  std::fclose(probe);
  if (unreadable) return kInstallCannotReadSource;
  bool packed = n == sizeof head && std::memcmp(head, kSzddSignature, sizeof head) == 0;

  std::string name = target.substr(target.find_last_of('/') + 1);
  std::string temp = parentFolder(target) + "/." + name + ".new";
  IoSystem sys;
  initSystem(&sys);
  uint32_t result = packed ? expand(sys, source, temp) : copyPlain(sys, source, temp);
  std::error_code ec;
  if (result == 0) {
    std::filesystem::permissions(temp, static_cast<std::filesystem::perms>(mode & 07777), ec);
    if (!ec) std::filesystem::rename(temp, target, ec);
    if (ec) result = flagsForError(ec.value(), kInstallCannotRename);
  }
  if (result != 0) std::filesystem::remove(temp, ec);
  return result;
}

uint64_t MspackFileInstaller::sourceSize(const std::string& source) {
  std::error_code ec;
  uintmax_t size = std::filesystem::file_size(source, ec);
  return ec ? 0 : static_cast<uint64_t>(size);
}

}  // namespace gw::setup
