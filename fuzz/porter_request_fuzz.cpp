// porter's request lines: assembly from the pipe (pieces, overlong lines, a missing line feed),
// parsing, the request table and the reply. Every complete line gets exactly one reply line.
#include <algorithm>
#include <memory>
#include <string>

#include "driver/device_source.h"
#include "driver/driver_loop.h"
#include "fuzz/fuzz_input.h"
#include "testing/fake_clock.h"
#include "testing/fake_pipe.h"

namespace {

// A UPS with a value for everything, so that replies carry numbers and texts.
class AnsweringDevice final : public gw::Device {
 public:
  ResultCode getStatus(int n, int32_t* value) override {
    if (n < 0 || n > 13) return RC_UNSUPPORTED;
    *value = n * 100;
    return RC_OK;
  }
  ResultCode getSetting(int n, int selector, int32_t* value) override {
    *value = n * 10 + (selector != 0);
    return RC_OK;
  }
  ResultCode setSetting(int, int32_t) override { return RC_OK; }
  ResultCode getText(int element, char* buffer, size_t* size) override {
    std::string text = "Model " + std::to_string(element);
    if (!buffer || *size <= text.size()) {
      *size = text.size() + 1;
      return RC_BUFFER_TOO_SMALL;
    }
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = '\0';
    return RC_OK;
  }
  ResultCode getNumber(int element, int32_t* value) override {
    *value = element == 23 ? 2 : 1;
    return RC_OK;
  }
  ResultCode selfTest(int32_t) override { return RC_OK; }
  ResultCode poll() override { return RC_OK; }
};

class AnsweringSource final : public gw::DeviceSource {
 public:
  std::unique_ptr<gw::Device> create(int, int) override {
    return std::make_unique<AnsweringDevice>();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gw::fuzz::FuzzInput input(data, size);
  gw::FakeClock clock;
  auto in = std::make_shared<gw::FakePipe::Script>();
  auto out = std::make_shared<gw::FakePipe::Script>();
  std::string stream(input.rest());
  // '\1' cuts the stream into the pieces the pipe delivers; it is not part of the stream.
  std::string lines;
  for (const std::string& piece : gw::fuzz::splitAt(stream, '\1')) {
    if (!piece.empty()) in->chunks.push_back(piece);
    lines += piece;
  }
  gw::PipeLink link(std::make_unique<gw::FakePipe>(in, &clock),
                    std::make_unique<gw::FakePipe>(out, &clock));
  AnsweringSource source;
  gw::DriverLoop loop(clock, link, source, 2, 1);
  GW_FUZZ_CHECK(loop.start());
  for (;;) {
    ResultCode rc = loop.serveRequest(1000);
    if (rc == RC_DEVICE_CHANGED) continue;  // the loop would make a new device; ours stays
    if (rc != RC_OK) break;
  }
  size_t requests = static_cast<size_t>(std::count(lines.begin(), lines.end(), '\n'));
  const std::string& written = out->written;
  GW_FUZZ_CHECK(static_cast<size_t>(std::count(written.begin(), written.end(), '\n')) ==
                requests);
  GW_FUZZ_CHECK(written.empty() || written.back() == '\n');
  return 0;
}
