// The service's side of the driver pipe: reply lines as porter might write them, torn, run
// together, overlong or garbled, through the pipe channel, the device proxy, the status poll
// and every device variable. Each '\0' of the input ends what porter writes for one request;
// each '\1' cuts that into separate reads.
#include <memory>
#include <string>

#include "fuzz/fuzz_input.h"
#include "service/catalogue/variable_table.h"
#include "service/driverlink/device_proxy.h"
#include "service/driverlink/pipe_channel.h"
#include "service/driverlink/status_poller.h"
#include "testing/fake_clock.h"
#include "testing/fake_pipe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gw::fuzz::FuzzInput input(data, size);
  gw::FakeClock clock;
  auto to_driver = std::make_shared<gw::FakePipe::Script>();
  auto from_driver = std::make_shared<gw::FakePipe::Script>();
  for (const std::string& answer : gw::fuzz::splitAt(input.rest(), '\0')) {
    from_driver->answers.push_back(gw::fuzz::splitAt(answer, '\1'));
  }
  // A request written to the driver's input makes its answer readable on the driver's output.
  struct Relay : gw::FakePipe {
    Relay(std::shared_ptr<Script> own, std::shared_ptr<Script> peer, gw::Clock* clock)
        : FakePipe(std::move(own), clock), peer_(std::move(peer)) {}
    ResultCode write(const void* bytes, size_t count) override {
      if (!peer_->answers.empty()) {
        for (auto& chunk : peer_->answers.front()) peer_->chunks.push_back(chunk);
        peer_->answers.pop_front();
      }
      return FakePipe::write(bytes, count);
    }
    std::shared_ptr<Script> peer_;
  };
  gw::PipeChannelLimits limits;
  limits.reply_timeout_ms = 50;
  limits.max_reply_bytes = 256;
  gw::PipeChannel channel(clock, std::make_unique<Relay>(to_driver, from_driver, &clock),
                          std::make_unique<gw::FakePipe>(from_driver, &clock), limits);
  gw::DeviceProxy device(channel);

  gw::StatusPoller poller(clock, device);
  uint32_t timeout = 0xFFFFFFFFu;
  (void)poller.poll(timeout, 3000);
  for (int i = gw::STATUS_POWERFAIL; i < gw::kStatusCount; ++i) {
    const gw::StatusSnapshot& status = poller.current();
    if (status.ok(i)) GW_FUZZ_CHECK(status[i].value == 0 || status[i].value == 1);
  }
  for (size_t position = 0; position < gw::VariableTable::size(); ++position) {
    gw::VariableArgs args{static_cast<int32_t>(position) - 20, 7};
    gw::VariableValue value;
    ResultCode rc = gw::VariableTable::call(static_cast<int>(position), device, args, &value);
    if (rc == RC_OK) GW_FUZZ_CHECK(value.text.size() < gw::kVariableTextBuffer);
    // A text the client gets back is one reply: a line end inside would split it.
    GW_FUZZ_CHECK(value.text.find('\n') == std::string::npos);
  }
  return 0;
}
