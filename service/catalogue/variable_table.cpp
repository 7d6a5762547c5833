// The catalogue rows and the operations they are bound to.
#include "service/catalogue/variable_table.h"

namespace gw {
namespace {

template <int N>
ResultCode readStatus(DeviceProxy& device, const VariableArgs&, VariableValue* value) {
  int32_t v = 0;
  ResultCode rc = device.getStatus(N, &v);
  if (rc == RC_OK) value->number = v;
  return rc;
}

template <int N>
ResultCode readSetting(DeviceProxy& device, const VariableArgs& args, VariableValue* value) {
  int32_t v = 0;
  ResultCode rc = device.getSetting(N, args.first != 0 ? 1 : 0, &v);
  if (rc == RC_OK) value->number = v;
  return rc;
}

template <int N>
ResultCode writeSetting(DeviceProxy& device, const VariableArgs& args, VariableValue*) {
  return device.setSetting(N, args.first);
}

template <int Request>
ResultCode readNumber(DeviceProxy& device, const VariableArgs&, VariableValue* value) {
  int32_t v = 0;
  ResultCode rc = device.getNumber(Request, &v);
  if (rc == RC_OK) value->number = v;
  return rc;
}

template <int Request>
ResultCode readText(DeviceProxy& device, const VariableArgs&, VariableValue* value) {
  char buffer[kVariableTextBuffer];
  size_t size = sizeof buffer;
  ResultCode rc = device.getText(Request, buffer, &size);
  // This caller never comes back with a bigger buffer, so a kept text would only go stale.
  if (rc == RC_BUFFER_TOO_SMALL) device.dropCachedText(Request);
  if (rc == RC_OK) value->text.assign(buffer);
  return rc;
}

ResultCode selfTest(DeviceProxy& device, const VariableArgs& args, VariableValue*) {
  return device.selfTest(args.first);
}

ResultCode sleepOutput(DeviceProxy& device, const VariableArgs& args, VariableValue*) {
  return device.sleep(args.first, args.second);
}

ResultCode shutdownOutput(DeviceProxy& device, const VariableArgs& args, VariableValue*) {
  return device.shutdown(args.first);
}

ResultCode toggleBuzzer(DeviceProxy& device, const VariableArgs&, VariableValue*) {
  return device.toggleBuzzer();
}

// The operation of each device variable, at the variable's position in kDeviceVariables.
constexpr std::array<VariableOperation, kVariableCount> kOperations = {{
    &readStatus<0>,  // STATUS_INVOLT
    &readStatus<1>,  // STATUS_OUTVOLT
    &readStatus<2>,  // STATUS_CAPACITY
    &readStatus<3>,  // STATUS_LOAD
    &readStatus<4>,  // STATUS_TEMP
    &readStatus<5>,  // STATUS_FREQ
    &readStatus<6>,  // STATUS_BACKUP
    &readStatus<7>,  // STATUS_POWERFAIL
    &readStatus<8>,  // STATUS_BATTERYLO
    &readStatus<9>,  // STATUS_TEST
    &readStatus<10>,  // STATUS_WAITSLEEP
    &readStatus<11>,  // STATUS_WAITWAKEUP
    &readStatus<12>,  // STATUS_CONNECT
    &readStatus<13>,  // STATUS_BEEP
    &selfTest,  // CMD_SELFTEST
    &sleepOutput,  // CMD_SLEEP
    &shutdownOutput,  // CMD_SHUTDOWN
    &toggleBuzzer,  // CMD_TOGGLEBUZZER
    &writeSetting<0>,  // SET_PROP_INPUTHI
    &writeSetting<1>,  // SET_PROP_INPUTLO
    &writeSetting<2>,  // SET_PROP_BATTERYLO
    &writeSetting<3>,  // SET_PROP_BATOUT
    &writeSetting<4>,  // SET_PROP_AUTORESTART
    &writeSetting<5>,  // SET_PROP_COLDSTART
    &writeSetting<6>,  // SET_PROP_SENSITIVEITY
    &readSetting<0>,  // PROP_INPUTHI
    &readSetting<1>,  // PROP_INPUTLO
    &readSetting<2>,  // PROP_BATTERYLO
    &readSetting<3>,  // PROP_BATOUT
    &readSetting<4>,  // PROP_AUTORESTART
    &readSetting<5>,  // PROP_COLDSTART
    &readSetting<6>,  // PROP_SENSITIVEITY
    &readText<8>,  // PROP_INPUTHI_RANGE
    &readText<9>,  // PROP_INPUTLO_RANGE
    &readText<10>,  // PROP_BATTERYLO_RANGE
    &readText<11>,  // PROP_BATOUT_RANGE
    &readNumber<23>,  // PROP_MEDIATYPE
    &readNumber<24>,  // PROP_MEDIAIDX
    &readText<12>,  // PROP_MODEL
    &readText<13>,  // PROP_FWVER
    &readText<14>,  // PROP_SERIAL
    &readText<15>,  // PROP_COMPANY
    &readNumber<16>,  // PROP_VOLT
    // The driver has one rated frequency; both names read it.
    &readNumber<17>,  // PROP_FREQLO
    &readNumber<17>,  // PROP_FREQHI
    &readNumber<19>,  // PROP_VA
    &readNumber<20>,  // PROP_WATT
    &readNumber<29>,  // PROP_AVR
    &readNumber<30>,  // PROP_UPSTECH
    &readNumber<22>,  // PROP_PORTTYPE
    &readNumber<21>,  // PROP_BAUDRATE
    &readNumber<25>,  // PROP_BATVOLT
    &readNumber<26>,  // PROP_BATNUM
    &readNumber<27>,  // PROP_BATAH
    &readNumber<28>,  // PROP_BATEXT
}};

}  // namespace

ResultCode VariableTable::call(int position, DeviceProxy& device, const VariableArgs& args,
                               VariableValue* value) {
  if (position < 0 || static_cast<size_t>(position) >= kOperations.size()) return RC_UNSUPPORTED;
  VariableValue result;
  ResultCode rc = kOperations[static_cast<size_t>(position)](device, args, &result);
  if (rc == RC_OK) *value = std::move(result);
  return rc;
}

}  // namespace gw
