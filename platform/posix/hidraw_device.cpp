// The hidraw ioctls and reads behind HidDevice.
#include "platform/posix/hidraw_device.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "platform/posix/errno_result.h"

namespace gw::posix {
namespace {

// Waits for the node; RC_OK when ready, RC_TIMEOUT, or the failure.
ResultCode waitFor(int fd, short events, int timeout_ms) {
  pollfd p{fd, events, 0};
  int r = retryEintr([&] { return ::poll(&p, 1, timeout_ms > 0 ? timeout_ms : 0); });
  if (r < 0) return resultFromErrno(errno);
  if (r == 0) return RC_TIMEOUT;
  // An unplugged device shows as an error or hang-up on its node.
  if ((p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0 && (p.revents & events) == 0) {
    return RC_LINE_FAILURE;
  }
  return RC_OK;
}

// A failed transfer is a line failure to the caller, whatever errno says.
ResultCode transferFailure(int err) {
  ResultCode rc = resultFromErrno(err);
  return rc == RC_TIMEOUT || rc == RC_NO_MEMORY ? rc : RC_LINE_FAILURE;
}

}  // namespace

ResultCode HidrawDevice::open(const std::string& path, std::unique_ptr<HidDevice>* device) {
  UniqueFd fd(retryEintr([&] { return ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC); }));
  if (!fd.valid()) return RC_NOT_AVAILABLE;
  device->reset(new HidrawDevice(std::move(fd)));
  return RC_OK;
}

ResultCode HidrawDevice::reportDescriptor(std::vector<uint8_t>* descriptor) {
  int size = 0;
  if (::ioctl(fd_.get(), HIDIOCGRDESCSIZE, &size) < 0) return RC_LINE_FAILURE;
  if (size <= 0 || size > HID_MAX_DESCRIPTOR_SIZE) return RC_LINE_FAILURE;
  hidraw_report_descriptor raw{};
  raw.size = static_cast<__u32>(size);
  if (::ioctl(fd_.get(), HIDIOCGRDESC, &raw) < 0) return RC_LINE_FAILURE;
  descriptor->assign(raw.value, raw.value + size);
  return RC_OK;
}

ResultCode HidrawDevice::getFeature(uint8_t report_id, uint8_t* buffer, size_t capacity,
                                    size_t* got) {
  if (capacity == 0) return RC_BUFFER_TOO_SMALL;
  capacity = std::min(capacity, kHidMaxReportBytes);
  buffer[0] = report_id;
  int n = retryEintr([&] { return ::ioctl(fd_.get(), HIDIOCGFEATURE(capacity), buffer); });
  if (n < 0) return transferFailure(errno);
  *got = static_cast<size_t>(n);
  return RC_OK;
}

ResultCode HidrawDevice::setFeature(const uint8_t* report, size_t length) {
  if (length == 0 || length > kHidMaxReportBytes) return RC_BAD_VALUE;
  // The ioctl takes a writable buffer although it only reads it.
  uint8_t copy[kHidMaxReportBytes];
  std::copy(report, report + length, copy);
  int n = retryEintr([&] { return ::ioctl(fd_.get(), HIDIOCSFEATURE(length), copy); });
  if (n < 0) return transferFailure(errno);
  return RC_OK;
}

ResultCode HidrawDevice::writeOutput(const uint8_t* report, size_t length, int timeout_ms) {
  if (length == 0 || length > kHidMaxReportBytes) return RC_BAD_VALUE;
  ResultCode rc = waitFor(fd_.get(), POLLOUT, timeout_ms);
  if (rc != RC_OK) return rc;
  ssize_t n = retryEintr([&] { return ::write(fd_.get(), report, length); });
  if (n < 0) return transferFailure(errno);
  return static_cast<size_t>(n) == length ? RC_OK : RC_LINE_FAILURE;
}

ResultCode HidrawDevice::readInput(uint8_t* buffer, size_t capacity, int timeout_ms,
                                   size_t* got) {
  if (capacity == 0) return RC_BUFFER_TOO_SMALL;
  ResultCode rc = waitFor(fd_.get(), POLLIN, timeout_ms);
  if (rc != RC_OK) return rc;
  ssize_t n = retryEintr([&] { return ::read(fd_.get(), buffer, capacity); });
  if (n < 0) {
    // Another reader of the node may have taken the report that woke us.
    if (errno == EAGAIN) return RC_TIMEOUT;
    return RC_LINE_FAILURE;
  }
  *got = static_cast<size_t>(n);
  return RC_OK;
}

void HidrawDevice::flushInput() {
  uint8_t sink[kHidMaxReportBytes];
  // Non-blocking: stops at the first read that finds the queue empty, or at a failure.
  while (retryEintr([&] { return ::read(fd_.get(), sink, sizeof sink); }) > 0) {
  }
}

}  // namespace gw::posix
