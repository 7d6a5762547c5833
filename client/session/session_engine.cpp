// Login, the status poll, the table loads, the page fetches and the queued changes.
#include "client/session/session_engine.h"

#include <algorithm>
#include <array>

#include "protocol/device_variables.h"
#include "protocol/policy_key.h"

namespace gw {
namespace {

// The measurements of a poll, in the order they are asked. The first eight form one group and
// the last three another for the re-ask of the connection on a code 8.
struct Measurement {
  StatusIndex item;
  const char* format;
};
constexpr std::array<Measurement, 11> kMeasurements = {{
    {STATUS_INVOLT, "DEV STATUS_INVOLT\r%d"},
    {STATUS_OUTVOLT, "DEV STATUS_OUTVOLT\r%d"},
    {STATUS_CAPACITY, "DEV STATUS_CAPACITY\r%d"},
    {STATUS_LOAD, "DEV STATUS_LOAD\r%d"},
    {STATUS_TEMP, "DEV STATUS_TEMP\r%d"},
    {STATUS_FREQ, "DEV STATUS_FREQ\r%d"},
    {STATUS_BACKUP, "DEV STATUS_BACKUP\r%d"},
    {STATUS_TEST, "DEV STATUS_TEST\r%d"},
    {STATUS_WAITSLEEP, "DEV STATUS_WAITSLEEP\r%d"},
    {STATUS_BEEP, "DEV STATUS_BEEP\r%d"},
    {STATUS_WAITWAKEUP, "DEV STATUS_WAITWAKEUP\r%d"},
}};

struct IntProperty {
  PropertyItem item;
  const char* format;
};
constexpr std::array<IntProperty, 3> kMediaProperties = {{
    {kPropMediaType, "DEV PROP_MEDIATYPE\r%d"},
    {kPropMediaIndex, "DEV PROP_MEDIAIDX\r%d"},
    {kPropPortType, "DEV PROP_PORTTYPE\r%d"},
}};
// The five settings and then their defaults (the stray letter after one default's %d is the
// service's own format and reads nothing).
constexpr std::array<IntProperty, 5> kSettings = {{
    {kPropInputHigh, "DEV PROP_INPUTHI\r%d"},
    {kPropInputLow, "DEV PROP_INPUTLO\r%d"},
    {kPropBatteryLow, "DEV PROP_BATTERYLO\r%d"},
    {kPropBatteryOut, "DEV PROP_BATOUT\r%d"},
    {kPropColdStart, "DEV PROP_COLDSTART\r%d"},
}};
constexpr std::array<IntProperty, 5> kDefaults = {{
    {kPropInputHighDefault, "DEV PROP_INPUTHI DEFAULT\r%d"},
    {kPropInputLowDefault, "DEV PROP_INPUTLO DEFAULT\r%d"},
    {kPropBatteryLowDefault, "DEV PROP_BATTERYLO DEFAULT\r%d"},
    {kPropBatteryOutDefault, "DEV PROP_BATOUT DEFAULT\r%dT"},
    {kPropColdStartDefault, "DEV PROP_COLDSTART DEFAULT\r%d"},
}};
constexpr std::array<const char*, kRangeItemCount> kRanges = {
    "DEV PROP_INPUTHI_RANGE\r%v", "DEV PROP_INPUTLO_RANGE\r%v", "DEV PROP_BATTERYLO_RANGE\r%v",
    "DEV PROP_BATOUT_RANGE\r%v"};

// The device-setting items 2..7 and their commands.
constexpr std::array<const char*, 6> kSettingCommands = {
    "DEV SET_PROP_INPUTHI %d\r", "DEV SET_PROP_INPUTLO %d\r", "DEV SET_PROP_BATTERYLO %d\r",
    "DEV SET_PROP_BATOUT %d\r",  "DEV SET_PROP_COLDSTART %d\r", "DEV CMD_SELFTEST %d\r"};
constexpr std::array<PropertyItem, 5> kSettingProperties = {
    kPropInputHigh, kPropInputLow, kPropBatteryLow, kPropBatteryOut, kPropColdStart};

// The actions whose policy the client shows; every event, both phases, every parameter.
constexpr std::array<ActionId, 3> kPolicyActions = {ACTION_RECORD, ACTION_SOUND, ACTION_SHUTDOWN};
constexpr std::array<const char*, 6> kServiceSettingKeys = {
    "service.buzzer on",   "service.media type",    "service.media index",
    "service.record rate", "service.rec by period", "service.rec by trigger"};

// Log numbers in the order the login reads their keys and first pages.
constexpr std::array<int, 3> kLoginLogOrder = {LOG_EVENT, LOG_STATUS, LOG_SAVED};

// The variable a "DEV" format names, up to the blank or carriage return after it.
constexpr std::string_view devVariable(std::string_view format) {
  std::string_view rest = format.substr(4);
  return rest.substr(0, rest.find_first_of(" \r"));
}
constexpr bool namesCatalogueVariable(std::string_view format) {
  return format.substr(0, 4) == "DEV " && findDeviceVariable(devVariable(format)).has_value();
}
template <typename Table>
constexpr bool allInCatalogue(const Table& table) {
  for (const auto& row : table) {
    if (!namesCatalogueVariable(row.format)) return false;
  }
  return true;
}
constexpr bool measurementsMatchTheirIndex() {
  for (const Measurement& m : kMeasurements) {
    if (devVariable(m.format) != kDeviceVariables[m.item].name) return false;
  }
  return true;
}
static_assert(measurementsMatchTheirIndex());
static_assert(allInCatalogue(kMediaProperties) && allInCatalogue(kSettings) &&
              allInCatalogue(kDefaults));
static_assert(std::all_of(kRanges.begin(), kRanges.end(), namesCatalogueVariable));
static_assert(std::all_of(kSettingCommands.begin(), kSettingCommands.end(), namesCatalogueVariable));

bool unsupported(const CachedInt& item) { return item.code() == RC_UNSUPPORTED; }

}  // namespace

SessionEngine::SessionEngine(SessionCache& cache, PageFiles& pages, Clock& clock,
                             ServiceLink::Waits waits, Hooks hooks)
    : cache_(cache), pages_(pages), clock_(clock), link_(waits), hooks_(std::move(hooks)) {}

ResultCode SessionEngine::transact(std::string_view format, std::initializer_list<RequestArg> in,
                                   std::initializer_list<ReplyArg> out) {
  WireFormat halves = splitWireFormat(format);
  std::string request;
  ResultCode rc = buildWireRequest(halves.request, std::span(in.begin(), in.size()), &request);
  if (rc != RC_OK) return rc;
  ++exchanges_;
  std::string reply;
  rc = link_.exchange(request, &reply);
  if (rc != RC_OK) return rc;
  return readWireReply(reply, halves.reply, std::span(out.begin(), out.size()));
}

ResultCode SessionEngine::askInt(std::string_view format, CachedInt* item) {
  int value = 0;
  ResultCode rc = transact(format, {}, {&value});
  if (rc == RC_OK) {
    item->set(RC_OK, value);
  } else {
    item->setCode(rc);
  }
  return rc;
}

int SessionEngine::connect(const std::string& host, uint16_t port) {
  if (link_.connected()) return 1;
  return link_.connect(host, port) == RC_OK ? 1 : 0;
}

ResultCode SessionEngine::login(const std::string& name, const std::string& password) {
  (void)transact("USR NAME %s\r", {std::string_view(name)});  // the password's reply decides
  ResultCode rc = transact("USR PASS %s\r", {std::string_view(password)});
  if (rc != RC_OK) return rc;
  (void)poll();  // it notifies its own outcome
  int64_t service_now = 0;
  if (transact("TIME NOW\r%t", {}, {WireTimeOut{&service_now}}) == RC_OK) {
    cache_.clock_offset_ms.store(service_now - clock_.nowMs());
  }
  std::vector<std::string> lines;
  ResultCode schedule = transact("SCH GET\r%u", {}, {&lines});
  cache_.loadSchedule(schedule, std::move(lines), true);
  if (schedule == RC_OK) hooks_.notify(kNoticeScheduleLoaded, RC_OK);
  (void)loadPolicies();         // each load notifies on success and keeps its code
  (void)loadServiceSettings();
  for (int log : kLoginLogOrder) {
    long long key = 0;
    if (transact("LOG KEY %d\r%l", {log}, {&key}) == RC_OK) {
      cache_.older_cursor[log].store(key);
      cache_.newer_cursor[log].store(key);
    }
  }
  for (int log : kLoginLogOrder) fetchOlder(log);
  return RC_OK;
}

ResultCode SessionEngine::poll() {
  CachedInt& connect = cache_.status[STATUS_CONNECT];
  const int previous = connect.value();
  int value = 0;
  ResultCode rc = transact("DEV STATUS_CONNECT\r%d", {}, {&value});
  if (rc != RC_OK) {
    connect.set(rc, 0);
    hooks_.notify(kNoticeStatusUpdated, rc);
    return rc;
  }
  connect.set(RC_OK, value);
  if (value == 0) {
    hooks_.notify(kNoticeStatusUpdated, RC_NO_DEVICE);
    return RC_NO_DEVICE;
  }
  bool load_properties = false;
  if (previous == 0) {
    // The UPS has just come up: what it did not support before is asked again.
    for (const Measurement& m : kMeasurements) {
      if (unsupported(cache_.status[m.item])) cache_.status[m.item].setCode(RC_NOT_AVAILABLE);
    }
    (void)askInt("DEV PROP_PORTTYPE\r%d", &cache_.properties[kPropPortType]);  // cached
    load_properties = true;
  }
  CachedInt& power_fail = cache_.status[STATUS_POWERFAIL];
  const int was_failing = power_fail.value();
  if (askInt("DEV STATUS_POWERFAIL\r%d", &power_fail) == RC_OK && was_failing == 0 &&
      power_fail.value() != 0) {
    int64_t since = 0;
    ResultCode happened =
        transact("TIME HAPPEN %s\r%t", {std::string_view("powerfail")}, {WireTimeOut{&since}});
    cache_.setEventTime("powerfail", happened, since);
  }
  (void)askInt("DEV STATUS_BATTERYLO\r%d", &cache_.status[STATUS_BATTERYLO]);  // cached

  const CachedInt& port_type = cache_.properties[kPropPortType];
  if (port_type.code() == RC_OK && port_type.value() != 1) {
    bool lost = false;
    for (const Measurement& m : kMeasurements) {
      CachedInt& item = cache_.status[m.item];
      if (unsupported(item)) continue;
      if (askInt(m.format, &item) == RC_NO_DEVICE) lost = true;
    }
    if (lost) {
      rc = transact("DEV STATUS_CONNECT\r%d", {}, {&value});
      connect.set(rc, rc == RC_OK ? value : 0);
      if (rc == RC_OK && value == 0) rc = RC_NO_DEVICE;
    }
  }
  hooks_.notify(kNoticeStatusUpdated, rc);
  if (load_properties) {
    loadProperties();
    hooks_.notify(kNoticePropertiesLoaded, RC_OK);
  }
  return rc;
}

void SessionEngine::loadProperties() {
  for (const IntProperty& m : kMediaProperties) {
    if (!unsupported(cache_.properties[m.item])) (void)askInt(m.format, &cache_.properties[m.item]);
  }
  const CachedInt& port_type = cache_.properties[kPropPortType];
  if (port_type.code() != RC_OK || port_type.value() != 2) return;
  for (TextItem item : {kTextModel, kTextFirmware}) {
    if (cache_.text(item).code == RC_UNSUPPORTED) continue;
    std::string text;
    ResultCode rc = transact(item == kTextModel ? "DEV PROP_MODEL\r%s" : "DEV PROP_FWVER\r%s", {},
                             {&text});
    cache_.setText(item, rc, std::move(text));
  }
  for (const IntProperty& s : kSettings) {
    if (!unsupported(cache_.properties[s.item])) (void)askInt(s.format, &cache_.properties[s.item]);
  }
  for (int r = 0; r < kRangeItemCount; ++r) {
    RangeItem item = static_cast<RangeItem>(r);
    if (cache_.range(item).code == RC_UNSUPPORTED) continue;
    std::vector<int> values;
    ResultCode rc = transact(kRanges[r], {}, {&values});
    cache_.setRange(item, rc, std::move(values));
  }
  for (const IntProperty& d : kDefaults) {
    if (!unsupported(cache_.properties[d.item])) (void)askInt(d.format, &cache_.properties[d.item]);
  }
}

ResultCode SessionEngine::loadPolicies() {
  SessionCache::Table table;
  std::vector<std::string> keys;
  for (size_t event = 0; event < kEventCount; ++event) {
    for (ActionId action : kPolicyActions) {
      PolicyKey key{static_cast<EventId>(event), action, PHASE_HAPPEN, PARAM_MAX_COUNT};
      for (ParamId param : kHappenParamIds) {
        key.param = param;
        keys.push_back(key.text());
      }
      key.phase = PHASE_RESTORE;
      for (ParamId param : kRestoreParamIds) {
        key.param = param;
        keys.push_back(key.text());
      }
    }
  }
  for (std::string& key : keys) {
    std::string value;
    ResultCode rc = transact("PTC %s\r%s", {std::string_view(key)}, {&value});
    if (rc != RC_OK) {
      cache_.loadPolicies(rc, {});
      return rc;
    }
    table.emplace(std::move(key), std::move(value));
  }
  cache_.loadPolicies(RC_OK, std::move(table));
  hooks_.notify(kNoticePoliciesLoaded, RC_OK);
  return RC_OK;
}

ResultCode SessionEngine::loadServiceSettings() {
  SessionCache::Table table;
  for (const char* key : kServiceSettingKeys) {
    std::string value;
    ResultCode rc = transact("POL %s\r%s", {std::string_view(key)}, {&value});
    if (rc != RC_OK) {
      cache_.loadServiceSettings(rc, {});
      return rc;
    }
    table.emplace(key, std::move(value));
  }
  cache_.loadServiceSettings(RC_OK, std::move(table));
  hooks_.notify(kNoticeServiceSettingsLoaded, RC_OK);
  return RC_OK;
}

void SessionEngine::fetchNewer(int log) {
  bool grew = false;
  for (;;) {
    long long cursor = cache_.newer_cursor[log].load();
    long long next = cursor;
    std::vector<std::string> lines;
    if (transact("LOG NXT %d %l\r%l%u", {log, cursor}, {&next, &lines}) != RC_OK) break;
    cache_.newer_cursor[log].store(next);
    if (lines.empty()) break;
    grew = pages_.append(log, true, lines, false) || grew;
    if (next == cursor) break;  // a page that does not move the cursor would come forever
  }
  if (grew) hooks_.notify(kNoticeEventLogGrew + log, RC_OK);
}

void SessionEngine::fetchOlder(int log) {
  if (cache_.older_cursor[log].load() == 0) {
    hooks_.older_fetch_done();
    return;
  }
  const bool one_page = cache_.one_page[log].load();
  for (;;) {
    long long cursor = cache_.older_cursor[log].load();
    long long next = cursor;
    std::vector<std::string> lines;
    if (transact("LOG PRV %d %l\r%l%u", {log, cursor}, {&next, &lines}) != RC_OK) break;
    cache_.older_cursor[log].store(next);
    if (lines.empty()) break;
    // Each page is stored reversed: the log window inserts every line at the top.
    (void)pages_.append(log, false, lines, true);  // a missing page shows as fewer lines
    if (one_page || next == cursor) break;
  }
  if (one_page) {
    cache_.one_page[log].store(false);
  } else {
    hooks_.older_fetch_done();
  }
}

ResultCode SessionEngine::setSlave(int flag) { return transact("USR SLAVE %d\r", {flag}); }

ResultCode SessionEngine::logOps(const IntPairList& operations) {
  ResultCode last = RC_OK;
  for (const auto& [operation, log] : operations) {
    if (!isLogKind(log)) continue;
    if (operation == 0) {
      last = transact("LOG CLR %d\r", {log});
      if (last == RC_OK) {
        cache_.older_cursor[log].store(0);
        cache_.newer_cursor[log].store(0);
        pages_.remove(log);
      }
    } else if (operation == 1) {
      fetchOlder(log);
      last = RC_OK;
    }
  }
  return last;
}

ResultCode SessionEngine::deviceSettings(const IntPairList& settings) {
  ResultCode last_failure = RC_OK;
  for (const auto& [item, value] : settings) {
    if (item < kSettingInputHigh || item > kSettingSelfTest) continue;
    ResultCode rc = transact(kSettingCommands[item - kSettingInputHigh], {value});
    cache_.device_setting_codes[item].store(rc);
    if (rc != RC_OK) {
      last_failure = rc;
    } else if (item != kSettingSelfTest) {
      cache_.properties[kSettingProperties[item - kSettingInputHigh]].set(RC_OK, value);
    }
  }
  return last_failure;
}

ResultCode SessionEngine::setSchedule(const std::vector<std::string>& lines) {
  ResultCode rc = transact("SCH SET %u\r", {&lines});
  if (rc == RC_OK) cache_.loadSchedule(RC_OK, lines, false);
  return rc;
}

ResultCode SessionEngine::setKeys(const char* format, const KeyValueList& changes, bool policies) {
  ResultCode rc = RC_OK;
  for (const auto& [key, value] : changes) {
    rc = transact(format, {std::string_view(key), std::string_view(value)});
    if (rc != RC_OK) break;
    if (policies) {
      cache_.setPolicy(key, value);
    } else {
      cache_.setServiceSetting(key, value);
    }
  }
  return rc;
}

ResultCode SessionEngine::setPolicies(const KeyValueList& changes) {
  return setKeys("PTC %s=%s\r", changes, true);
}

ResultCode SessionEngine::setServiceSettings(const KeyValueList& changes) {
  return setKeys("POL %s=%s\r", changes, false);
}

}  // namespace gw
