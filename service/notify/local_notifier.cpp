// The notifier for a service without a desktop to show anything on.
#include "service/notify/local_notifier.h"

namespace gw {
namespace {

class SilentNotifier final : public LocalNotifier {
 public:
  void start(std::atomic<bool>& stop_requested) override { (void)stop_requested; }
  void notify(int event_code) override { (void)event_code; }
  void addTo(PollSet& poll) override { (void)poll; }
  void serveReady(const PollSet& poll) override { (void)poll; }
};

}  // namespace

std::unique_ptr<LocalNotifier> createSilentNotifier() {
  return std::make_unique<SilentNotifier>();
}

}  // namespace gw
