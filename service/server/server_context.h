// What the client protocol server needs of the rest of the service, as narrow interfaces, and
// the one context struct that hands them to ClientServer's factory.
//
// Every interface is called on the service's main thread only, inside pollClients, one request
// at a time. service/core/service_adapters.h implements them over the service's own objects.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/result_code.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "platform/system_log.h"
#include "protocol/client_port.h"
#include "service/driverlink/device_proxy.h"

namespace gw {

// Key-value settings with the text conventions of the settings store: a get receives the key
// and, on success, has '=' and the value appended; a set receives key, '=' and value.
class KeyValueSettings {
 public:
  KeyValueSettings() = default;
  KeyValueSettings(const KeyValueSettings&) = delete;
  KeyValueSettings& operator=(const KeyValueSettings&) = delete;
  virtual ~KeyValueSettings() = default;

  // False when the key is unknown or its value is empty; *text is untouched then.
  [[nodiscard]] virtual bool get(std::string* text) = 0;
  // RC_OK once the change is made (and, in the service, written to its file);
  // RC_BAD_SETTING when the key is unknown or the value refused; another code when the change
  // could not be kept, which leaves everything as it was. May run change notices at once.
  [[nodiscard]] virtual ResultCode set(const std::string& text) = 0;
};

// The three logs: 0 events, 1 saved files, 2 status records. The server passes only 0, 1 or 2.
class LogPages {
 public:
  LogPages() = default;
  LogPages(const LogPages&) = delete;
  LogPages& operator=(const LogPages&) = delete;
  virtual ~LogPages() = default;

  virtual int64_t count(int kind) = 0;
  virtual void clear(int kind) = 0;
  // Replace *out with the page text: the new cursor and, when records follow, a blank and the
  // records, each with its line feed.
  virtual void nextPage(int kind, int64_t from, std::string* out) = 0;
  virtual void previousPage(int kind, int64_t before, std::string* out) = 0;
};

// The schedule's item lines.
class ScheduleItems {
 public:
  ScheduleItems() = default;
  ScheduleItems(const ScheduleItems&) = delete;
  ScheduleItems& operator=(const ScheduleItems&) = delete;
  virtual ~ScheduleItems() = default;

  // Appends every item's line and a line feed.
  virtual void listItems(std::string* out) = 0;
  // Replaces every item with those parsed from the text; lines that do not parse are skipped.
  // RC_OK, or the code of a schedule that could not be kept (the old items stay then).
  [[nodiscard]] virtual ResultCode replaceItems(std::string_view text) = 0;
};

// Per-event phase and times of the policy engine. Events: 0 start, 1 disconnect, 2 powerfail,
// 3 batterylow, 4 loadover, 5 tempover.
class EventTimes {
 public:
  EventTimes() = default;
  EventTimes(const EventTimes&) = delete;
  EventTimes& operator=(const EventTimes&) = delete;
  virtual ~EventTimes() = default;

  // 0 idle, 1 happened, 2 restored.
  virtual int phase(int event) const = 0;
  // Milliseconds since 1970.
  virtual int64_t happenTime(int event) const = 0;
  virtual int64_t restoreTime(int event) const = 0;
};

// Everything ClientServer's factory needs. The referenced objects must outlive the server.
struct ClientServerContext {
  Clock& clock;
  // "DEV", through the device variables catalogue. The requests go out through the proxy's
  // channel without waiting, and their replies are matched in the server's wait, which also
  // watches the channel's reply pipe (a channel that answers at once has them in at once).
  DeviceProxy& device;
  KeyValueSettings& settings;  // "POL"
  KeyValueSettings& policies;  // "PTC"
  EventTimes& events;          // "TIME HAPPEN" and "TIME RESTORE"
  LogPages& logs;              // "LOG"
  ScheduleItems& schedule;     // "SCH"
  std::string data_dir;        // where the server's access control keeps "access" and "user"
  Ipv4Address bind_address = kAnyAddress;
  uint16_t port = kDefaultClientPort;  // 0: the system chooses (tests)
  SystemLog* log = nullptr;            // failed logins; null: not written anywhere
  // Readable once the service is to stop (may be null): the wait watches it and ends at once.
  const PollableSocket* stop_wake = nullptr;
};

}  // namespace gw
