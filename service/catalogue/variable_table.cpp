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

constexpr std::array<VariableEntry, kVariableCount> kVariables = {{
    {"STATUS_INVOLT", KIND_GET, &readStatus<0>},
    {"STATUS_OUTVOLT", KIND_GET, &readStatus<1>},
    {"STATUS_CAPACITY", KIND_GET, &readStatus<2>},
    {"STATUS_LOAD", KIND_GET, &readStatus<3>},
    {"STATUS_TEMP", KIND_GET, &readStatus<4>},
    {"STATUS_FREQ", KIND_GET, &readStatus<5>},
    {"STATUS_BACKUP", KIND_GET, &readStatus<6>},
    {"STATUS_POWERFAIL", KIND_GET, &readStatus<7>},
    {"STATUS_BATTERYLO", KIND_GET, &readStatus<8>},
    {"STATUS_TEST", KIND_GET, &readStatus<9>},
    {"STATUS_WAITSLEEP", KIND_GET, &readStatus<10>},
    {"STATUS_WAITWAKEUP", KIND_GET, &readStatus<11>},
    {"STATUS_CONNECT", KIND_GET, &readStatus<12>},
    {"STATUS_BEEP", KIND_GET, &readStatus<13>},
    {"CMD_SELFTEST", KIND_SET, &selfTest},
    {"CMD_SLEEP", KIND_SET_PAIR, &sleepOutput},
    {"CMD_SHUTDOWN", KIND_SET, &shutdownOutput},
    {"CMD_TOGGLEBUZZER", KIND_COMMAND, &toggleBuzzer},
    {"SET_PROP_INPUTHI", KIND_SET, &writeSetting<0>},
    {"SET_PROP_INPUTLO", KIND_SET, &writeSetting<1>},
    {"SET_PROP_BATTERYLO", KIND_SET, &writeSetting<2>},
    {"SET_PROP_BATOUT", KIND_SET, &writeSetting<3>},
    {"SET_PROP_AUTORESTART", KIND_SET, &writeSetting<4>},
    {"SET_PROP_COLDSTART", KIND_SET, &writeSetting<5>},
    {"SET_PROP_SENSITIVEITY", KIND_SET, &writeSetting<6>},
    {"PROP_INPUTHI", KIND_GET_SELECTED, &readSetting<0>},
    {"PROP_INPUTLO", KIND_GET_SELECTED, &readSetting<1>},
    {"PROP_BATTERYLO", KIND_GET_SELECTED, &readSetting<2>},
    {"PROP_BATOUT", KIND_GET_SELECTED, &readSetting<3>},
    {"PROP_AUTORESTART", KIND_GET_SELECTED, &readSetting<4>},
    {"PROP_COLDSTART", KIND_GET_SELECTED, &readSetting<5>},
    {"PROP_SENSITIVEITY", KIND_GET_SELECTED, &readSetting<6>},
    {"PROP_INPUTHI_RANGE", KIND_TEXT, &readText<8>},
    {"PROP_INPUTLO_RANGE", KIND_TEXT, &readText<9>},
    {"PROP_BATTERYLO_RANGE", KIND_TEXT, &readText<10>},
    {"PROP_BATOUT_RANGE", KIND_TEXT, &readText<11>},
    {"PROP_MEDIATYPE", KIND_GET, &readNumber<23>},
    {"PROP_MEDIAIDX", KIND_GET, &readNumber<24>},
    {"PROP_MODEL", KIND_TEXT, &readText<12>},
    {"PROP_FWVER", KIND_TEXT, &readText<13>},
    {"PROP_SERIAL", KIND_TEXT, &readText<14>},
    {"PROP_COMPANY", KIND_TEXT, &readText<15>},
    {"PROP_VOLT", KIND_GET, &readNumber<16>},
    // The driver has one rated frequency; both names read it.
    {"PROP_FREQLO", KIND_GET, &readNumber<17>},
    {"PROP_FREQHI", KIND_GET, &readNumber<17>},
    {"PROP_VA", KIND_GET, &readNumber<19>},
    {"PROP_WATT", KIND_GET, &readNumber<20>},
    {"PROP_AVR", KIND_GET, &readNumber<29>},
    {"PROP_UPSTECH", KIND_GET, &readNumber<30>},
    {"PROP_PORTTYPE", KIND_GET, &readNumber<22>},
    {"PROP_BAUDRATE", KIND_GET, &readNumber<21>},
    {"PROP_BATVOLT", KIND_GET, &readNumber<25>},
    {"PROP_BATNUM", KIND_GET, &readNumber<26>},
    {"PROP_BATAH", KIND_GET, &readNumber<27>},
    {"PROP_BATEXT", KIND_GET, &readNumber<28>},
}};

}  // namespace

std::optional<int> VariableTable::find(std::string_view name) {
  for (size_t i = 0; i < kVariables.size(); ++i) {
    if (kVariables[i].name == name) return static_cast<int>(i);
  }
  return std::nullopt;
}

const VariableEntry& VariableTable::at(int position) {
  return kVariables[static_cast<size_t>(position)];
}

ResultCode VariableTable::call(int position, DeviceProxy& device, const VariableArgs& args,
                               VariableValue* value) {
  if (position < 0 || static_cast<size_t>(position) >= kVariables.size()) return RC_UNSUPPORTED;
  VariableValue result;
  ResultCode rc = kVariables[static_cast<size_t>(position)].operation(device, args, &result);
  if (rc == RC_OK) *value = std::move(result);
  return rc;
}

}  // namespace gw
