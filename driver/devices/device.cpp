// The defaults of every device slot: not supported.
#include "driver/devices/device.h"

namespace gw {

ResultCode Device::getStatus(int, int32_t*) { return RC_UNSUPPORTED; }
ResultCode Device::getSetting(int, int, int32_t*) { return RC_UNSUPPORTED; }
ResultCode Device::setSetting(int, int32_t) { return RC_UNSUPPORTED; }
ResultCode Device::getAlarm(bool*) { return RC_UNSUPPORTED; }
ResultCode Device::setAlarm(int32_t) { return RC_UNSUPPORTED; }
ResultCode Device::getText(int, char*, size_t*) { return RC_UNSUPPORTED; }
ResultCode Device::getNumber(int, int32_t*) { return RC_UNSUPPORTED; }
ResultCode Device::selfTest(int32_t) { return RC_UNSUPPORTED; }
ResultCode Device::sleep(int32_t, int32_t) { return RC_UNSUPPORTED; }
ResultCode Device::shutdown(int32_t) { return RC_UNSUPPORTED; }
ResultCode Device::toggleBuzzer() { return RC_UNSUPPORTED; }
ResultCode Device::poll() { return RC_UNSUPPORTED; }

}  // namespace gw
