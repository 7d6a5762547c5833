// What the client protocol server needs of the rest of the service, as narrow interfaces, and
// the one context struct that hands them to ClientServer's factory.
//
// Every interface is called on the service's main thread only, inside pollClients, one request
// at a time. Adapters over the service's own objects implement them; tests use fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/result_code.h"
#include "platform/clock.h"
#include "platform/socket.h"

namespace gw {

// Access levels of a connection; 0 means not logged in.
inline constexpr int LEVEL_NORMAL = 1;
inline constexpr int LEVEL_SLAVE = 3;
inline constexpr int LEVEL_MANAGER = 7;

// The part of a connection that the access check reads and, on login, updates.
struct ClientIdentity {
  Ipv4Address peer_address = 0;
  std::string user_name;
  std::string password;
  int level = 0;
};

// Outcome of the address rules for a remote peer.
enum class RuleAction : int { kNone = 0, kAllow = 1, kDeny = 2, kDrop = 3 };

// Accounts and address rules. The server owns the object and makes a connection current before
// it looks at that connection; the identity stays valid until the next setCurrent.
class ClientAccess {
 public:
  ClientAccess() = default;
  ClientAccess(const ClientAccess&) = delete;
  ClientAccess& operator=(const ClientAccess&) = delete;
  virtual ~ClientAccess() = default;

  // nullptr when no connection is current (after the server removed connections).
  virtual void setCurrent(ClientIdentity* identity) = 0;
  // For the current identity's peer address. kNone is read as kDrop.
  virtual RuleAction evaluateRules() = 0;
  // True when the current identity reaches `required`; logs it in on the way when its stored
  // name and password match an account.
  virtual bool checkLevel(int required) = 0;
};

// Kinds of device variables: how a variable's operation is called.
enum VariableKind : int {
  KIND_COMMAND = 0,      // no argument
  KIND_COMMAND_INT = 1,  // one int argument
  KIND_READ_INT = 2,     // out int
  KIND_COMMAND_TWO = 3,  // two int arguments
  KIND_READ_SETTING = 4, // out int, with a selector (non-zero: the default)
  KIND_READ_TEXT = 5,    // out text of at most 127 characters
};

// First and last catalogue positions of the variables that change the UPS.
inline constexpr int kFirstControlVariable = 14;
inline constexpr int kLastControlVariable = 24;

// The device variables catalogue over the current device.
class DeviceVariables {
 public:
  DeviceVariables() = default;
  DeviceVariables(const DeviceVariables&) = delete;
  DeviceVariables& operator=(const DeviceVariables&) = delete;
  virtual ~DeviceVariables() = default;

  // Exact, case-sensitive lookup. False when the name is not in the catalogue.
  [[nodiscard]] virtual bool findVariable(std::string_view name, int* index, int* kind) const = 0;
  // Calls the variable's operation according to its kind: `first` is the argument of kind 1,
  // `first` and `second` those of kind 3, `first` the selector of kind 4. On RC_OK kinds 2 and 4
  // write *number and kind 5 writes *text; nothing is written otherwise.
  [[nodiscard]] virtual ResultCode callVariable(int index, int32_t first, int32_t second,
                                                int32_t* number, std::string* text) = 0;
};

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
  // False when the key is unknown or the value refused. May run change notices at once.
  [[nodiscard]] virtual bool set(const std::string& text) = 0;
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
  virtual void replaceItems(std::string_view text) = 0;
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

inline constexpr uint16_t kDefaultClientPort = 8855;

// Everything ClientServer's factory needs. The referenced objects must outlive the server; the
// access object becomes the server's own.
struct ClientServerContext {
  Clock& clock;
  DeviceVariables& device;
  KeyValueSettings& settings;  // "POL"
  KeyValueSettings& policies;  // "PTC"
  EventTimes& events;
  LogPages& logs;
  ScheduleItems& schedule;
  std::unique_ptr<ClientAccess> access;
  Ipv4Address bind_address = kAnyAddress;
  uint16_t port = kDefaultClientPort;  // 0: the system chooses (tests)
};

}  // namespace gw
