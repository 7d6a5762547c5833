// Copying the cache into the display's inputs.
#include "client/monview/session_view.h"

namespace gw {
namespace {

GaugeItem item(const CachedInt& cached) {
  Cached<int> c = cached.get();
  return {c.code, c.value};
}

}  // namespace

GaugeInputs gaugeInputs(const ClientSession& session) {
  const SessionCache& c = session.cache();
  GaugeInputs in;
  in.connect = item(c.status[STATUS_CONNECT]);
  in.power_fail = item(c.status[STATUS_POWERFAIL]);
  in.battery_low = item(c.status[STATUS_BATTERYLO]);
  in.port_type = item(c.properties[kPropPortType]);
  in.self_test = item(c.status[STATUS_TEST]);
  in.input_voltage = item(c.status[STATUS_INVOLT]);
  in.output_voltage = item(c.status[STATUS_OUTVOLT]);
  in.capacity = item(c.status[STATUS_CAPACITY]);
  in.load = item(c.status[STATUS_LOAD]);
  in.temperature = item(c.status[STATUS_TEMP]);
  in.frequency = item(c.status[STATUS_FREQ]);
  in.backup_time = item(c.status[STATUS_BACKUP]);
  Cached<int64_t> since = c.eventTime("powerfail");
  in.power_fail_since_ms = since.code == RC_OK ? since.value : 0;
  in.shutdown_max_count = c.policy("powerfail.shutdown.happen.max count");
  in.shutdown_delay = c.policy("powerfail.shutdown.happen.delay");
  if (std::optional<ScheduleEntry> due = c.dueItem()) {
    in.due = DueTurnOff{due->action, due->start_ms, due->end_ms};
  }
  in.now_ms = session.nowMs();
  return in;
}

UpsIdentity upsIdentity(const ClientSession& session) {
  Cached<std::string> model = session.cache().text(kTextModel);
  Cached<std::string> version = session.cache().text(kTextFirmware);
  return {model.code, model.value, version.code, version.value};
}

}  // namespace gw
