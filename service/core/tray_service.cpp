// The installed service's closer run and system shutdown.
#include "service/core/tray_service.h"

namespace gw {

TrayService::TrayService(ServiceEnvironment env, std::unique_ptr<SystemPower> power)
    : ServiceCore(std::move(env)), power_(std::move(power)) {
  sequence_ = std::make_unique<ShutdownSequence>(environment().data_dir, *environment().clock,
                                                 *power_);
}

TrayService::~TrayService() = default;

void TrayService::runCloser() {
  (void)sequence_->runCloser();  // a missing or hanging closer must not hold the shutdown back
}

void TrayService::shutdownSystem() {
  (void)sequence_->shutdownSystem();  // nothing is left to do when the system refuses
}

}  // namespace gw
