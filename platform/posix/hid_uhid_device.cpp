// The uhid event exchange: create, answer the kernel's report requests, feed input reports.
#include "platform/posix/hid_uhid_device.h"

#include <fcntl.h>
#include <linux/input.h>
#include <linux/uhid.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/posix/errno_result.h"

namespace gw::posix {
namespace {

bool sendEvent(int fd, const uhid_event& event) {
  ssize_t n = retryEintr([&] { return ::write(fd, &event, sizeof event); });
  return n == static_cast<ssize_t>(sizeof event);
}

}  // namespace

ResultCode UhidDevice::create(HidPeripheral& peripheral, const std::string& name,
                              std::unique_ptr<UhidDevice>* device) {
  const std::vector<uint8_t>& descriptor = peripheral.descriptor();
  if (descriptor.empty() || descriptor.size() > HID_MAX_DESCRIPTOR_SIZE) return RC_BAD_VALUE;
  UniqueFd fd(retryEintr([] { return ::open(kUhidPath, O_RDWR | O_CLOEXEC | O_NONBLOCK); }));
  if (!fd.valid()) return RC_NOT_AVAILABLE;
  auto event = std::make_unique<uhid_event>();
  std::memset(event.get(), 0, sizeof *event);
  event->type = UHID_CREATE2;
  uhid_create2_req& req = event->u.create2;
  std::strncpy(reinterpret_cast<char*>(req.name), name.c_str(), sizeof req.name - 1);
  req.rd_size = static_cast<__u16>(descriptor.size());
  req.bus = BUS_USB;
  req.vendor = peripheral.vendorId();
  req.product = peripheral.productId();
  std::memcpy(req.rd_data, descriptor.data(), descriptor.size());
  if (!sendEvent(fd.get(), *event)) return RC_BAD_VALUE;
  device->reset(new UhidDevice(peripheral, std::move(fd)));
  return RC_OK;
}

UhidDevice::~UhidDevice() {
  uhid_event event{};
  event.type = UHID_DESTROY;
  (void)sendEvent(fd_.get(), event);  // closing the descriptor destroys the device as well
}

void UhidDevice::onReadable() {
  auto event = std::make_unique<uhid_event>();
  auto reply = std::make_unique<uhid_event>();
  for (;;) {
    std::memset(event.get(), 0, sizeof *event);
    ssize_t n = retryEintr([&] { return ::read(fd_.get(), event.get(), sizeof *event); });
    if (n <= 0) break;
    std::memset(reply.get(), 0, sizeof *reply);
    switch (event->type) {
      case UHID_OUTPUT: {
        const uhid_output_req& out = event->u.output;
        size_t size = std::min<size_t>(out.size, sizeof out.data);
        // A report the device refuses is lost, as on a real device.
        if (out.rtype == UHID_OUTPUT_REPORT) (void)peripheral_.output(out.data, size);
        break;
      }
      case UHID_GET_REPORT: {
        const uhid_get_report_req& req = event->u.get_report;
        reply->type = UHID_GET_REPORT_REPLY;
        reply->u.get_report_reply.id = req.id;
        std::vector<uint8_t> report;
        if (req.rtype != UHID_FEATURE_REPORT ||
            peripheral_.getFeature(req.rnum, &report) != RC_OK ||
            report.size() > sizeof reply->u.get_report_reply.data) {
          reply->u.get_report_reply.err = EIO;
        } else {
          reply->u.get_report_reply.size = static_cast<__u16>(report.size());
          std::memcpy(reply->u.get_report_reply.data, report.data(), report.size());
        }
        (void)sendEvent(fd_.get(), *reply);  // unanswered, the kernel times the request out
        break;
      }
      case UHID_SET_REPORT: {
        const uhid_set_report_req& req = event->u.set_report;
        size_t size = std::min<size_t>(req.size, sizeof req.data);
        reply->type = UHID_SET_REPORT_REPLY;
        reply->u.set_report_reply.id = req.id;
        bool ok = req.rtype == UHID_FEATURE_REPORT ? peripheral_.setFeature(req.data, size) == RC_OK
                                                   : peripheral_.output(req.data, size) == RC_OK;
        reply->u.set_report_reply.err = ok ? 0 : EIO;
        (void)sendEvent(fd_.get(), *reply);  // unanswered, the kernel times the request out
        break;
      }
      default:
        break;  // start, stop, open and close need nothing from a device without state
    }
  }
  sendInput();
}

void UhidDevice::sendInput() {
  std::vector<uint8_t> report;
  auto event = std::make_unique<uhid_event>();
  while (peripheral_.takeInput(&report)) {
    std::memset(event.get(), 0, sizeof *event);
    event->type = UHID_INPUT2;
    size_t size = std::min(report.size(), sizeof event->u.input2.data);
    event->u.input2.size = static_cast<__u16>(size);
    std::memcpy(event->u.input2.data, report.data(), size);
    if (!sendEvent(fd_.get(), *event)) break;
  }
}

void UhidDevice::tick() {
  peripheral_.tick();
  sendInput();
}

}  // namespace gw::posix
