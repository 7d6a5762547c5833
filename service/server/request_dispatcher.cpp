// The client command table and its handlers.
#include "service/server/request_dispatcher.h"

#include <array>
#include <optional>

#include "common/time_text.h"
#include "protocol/log_kind.h"
#include "protocol/policy_names.h"
#include "protocol/wire_reply.h"
#include "service/catalogue/variable_table.h"

namespace gw {

constexpr RequestDispatcher::Command RequestDispatcher::kCommands[] = {
    {"DEV", true, &RequestDispatcher::handleDevice},
    {"LOG", true, &RequestDispatcher::handleLog},
    {"SCH", true, &RequestDispatcher::handleSchedule},
    {"PTC", true, &RequestDispatcher::handlePolicy},
    {"POL", true, &RequestDispatcher::handleSetting},
    {"USR", false, &RequestDispatcher::handleUser},
    {"ACC", true, &RequestDispatcher::handleAccess},
    {"TIME", true, &RequestDispatcher::handleTime},
};

RequestDispatcher::RequestDispatcher(Clock& clock, DeviceProxy& device, KeyValueSettings& settings,
                                     KeyValueSettings& policies, EventTimes& events, LogPages& logs,
                                     ScheduleItems& schedule, const AccessControl& access)
    : clock_(clock),
      active_device_(&device),
      settings_(settings),
      policies_(policies),
      events_(events),
      logs_(logs),
      schedule_(schedule),
      access_(access) {}

const RequestDispatcher::Command* RequestDispatcher::commands(size_t* count) {
  *count = std::size(kCommands);
  return kCommands;
}

std::string RequestDispatcher::dispatch(std::string_view request, ConnectionLogin& login,
                                        DeviceProxy& device) {
  // Restored on the way out: a dispatch can run inside another one's device exchange.
  DeviceProxy* outer = active_device_;
  active_device_ = &device;
  std::string reply = dispatch(request, login);
  active_device_ = outer;
  return reply;
}

std::string RequestDispatcher::dispatch(std::string_view request, ConnectionLogin& login) {
  RequestReader reader(request);
  std::string_view word;
  const Command* command = nullptr;
  if (reader.nextWord(&word)) {
    for (const Command& row : kCommands) {
      if (row.word == word) {
        command = &row;
        break;
      }
    }
  }
  ResultCode rc = RC_BAD_REQUEST;
  std::string text;
  if (command != nullptr) {
    if (command->needs_login && !access_.checkLevel(&login, LEVEL_NORMAL)) {
      rc = RC_ACCESS_DENIED;
    } else {
      rc = (this->*command->handler)(reader, login, &text);
    }
  }
  if (rc != RC_OK) return errorReply(rc);
  return text;
}

ResultCode RequestDispatcher::handleDevice(RequestReader& reader, ConnectionLogin& login,
                                           std::string* text) {
  std::string_view name;
  if (!reader.nextWord(&name)) return RC_BAD_REQUEST;
  std::optional<int> position = VariableTable::find(name);
  if (!position) return RC_BAD_REQUEST;
  if (VariableTable::changesDevice(*position) && !access_.checkLevel(&login, LEVEL_MANAGER)) {
    return RC_ACCESS_DENIED;
  }
  VariableArgs args;
  VariableValue value;
  VariableKind kind = VariableTable::at(*position).kind;
  switch (kind) {
    case KIND_COMMAND:
      break;
    case KIND_SET:
      if (!reader.nextInt(&args.first)) return RC_BAD_REQUEST;
      break;
    case KIND_SET_PAIR:
      if (!reader.nextInt(&args.first) || !reader.nextInt(&args.second)) return RC_BAD_REQUEST;
      break;
    case KIND_GET_SELECTED: {
      std::string_view selector;
      args.first = reader.nextWord(&selector) && selector == "DEFAULT" ? 1 : 0;
      break;
    }
    case KIND_GET:
    case KIND_TEXT:
      break;
  }
  ResultCode rc = VariableTable::call(*position, *active_device_, args, &value);
  if (rc != RC_OK) return rc;
  if (kind == KIND_GET || kind == KIND_GET_SELECTED) *text = std::to_string(value.number);
  if (kind == KIND_TEXT) *text = std::move(value.text);
  return RC_OK;
}

ResultCode RequestDispatcher::handleLog(RequestReader& reader, ConnectionLogin& login,
                                        std::string* text) {
  std::string_view sub;
  int32_t log = 0;
  if (!reader.nextWord(&sub) || !reader.nextInt(&log)) return RC_BAD_REQUEST;
  bool known_log = isLogKind(log);
  if (sub == "KEY") {
    *text = std::to_string(known_log ? logs_.count(log) : 0);
    return RC_OK;
  }
  if (sub == "NXT" || sub == "PRV") {
    int64_t cursor = 0;
    if (!reader.nextLong(&cursor)) return RC_BAD_REQUEST;
    if (!known_log) return RC_OK;
    if (sub == "NXT") {
      logs_.nextPage(log, cursor, text);
    } else {
      logs_.previousPage(log, cursor, text);
    }
    return RC_OK;
  }
  if (sub == "CLR") {
    if (!access_.checkLevel(&login, LEVEL_MANAGER)) return RC_ACCESS_DENIED;
    if (known_log) logs_.clear(log);
    return RC_OK;
  }
  return RC_BAD_REQUEST;
}

ResultCode RequestDispatcher::handleSchedule(RequestReader& reader, ConnectionLogin& login,
                                             std::string* text) {
  std::string_view sub;
  if (!reader.nextWord(&sub)) return RC_BAD_REQUEST;
  if (sub == "GET") {
    schedule_.listItems(text);
    return RC_OK;
  }
  if (sub == "SET") {
    if (!access_.checkLevel(&login, LEVEL_MANAGER)) return RC_ACCESS_DENIED;
    return schedule_.replaceItems(reader.rest());
  }
  return RC_BAD_REQUEST;
}

ResultCode RequestDispatcher::keyValue(RequestReader& reader, ConnectionLogin& login,
                                       KeyValueSettings& store, std::string* text) {
  // Keys contain blanks ("service.load max"), so the argument is the rest of the line verbatim.
  reader.skipBlanks();
  std::string argument(reader.rest());
  size_t equals = argument.find('=');
  if (equals == std::string::npos) {
    if (!store.get(&argument)) return RC_BAD_SETTING;
    size_t value_at = argument.find('=');
    *text = value_at == std::string::npos ? std::string() : argument.substr(value_at + 1);
    return RC_OK;
  }
  // A client below manager level gets the empty success reply and changes nothing.
  if (!access_.checkLevel(&login, LEVEL_MANAGER)) return RC_OK;
  return store.set(argument);
}

ResultCode RequestDispatcher::handlePolicy(RequestReader& reader, ConnectionLogin& login,
                                           std::string* text) {
  return keyValue(reader, login, policies_, text);
}

ResultCode RequestDispatcher::handleSetting(RequestReader& reader, ConnectionLogin& login,
                                            std::string* text) {
  return keyValue(reader, login, settings_, text);
}

ResultCode RequestDispatcher::handleUser(RequestReader& reader, ConnectionLogin& login,
                                         std::string*) {
  std::string_view sub;
  if (!reader.nextWord(&sub)) return RC_BAD_REQUEST;
  if (sub == "NAME" || sub == "PASS") {
    // Exactly one separator, so that names and passwords may begin or end with blanks.
    reader.skipOne();
    (sub == "NAME" ? login.user_name : login.password).assign(reader.rest());
    return RC_OK;
  }
  int level = sub == "GET"     ? LEVEL_NORMAL
              : sub == "SET"   ? LEVEL_MANAGER
              : sub == "SLAVE" ? LEVEL_SLAVE
                               : 0;
  if (level == 0) return RC_BAD_REQUEST;
  (void)access_.checkLevel(&login, level);  // only logs in; the answer is the same either way
  return RC_OK;
}

ResultCode RequestDispatcher::handleAccess(RequestReader&, ConnectionLogin& login, std::string*) {
  (void)access_.checkLevel(&login, LEVEL_MANAGER);  // only logs in; the answer is always empty
  return RC_OK;
}

ResultCode RequestDispatcher::handleTime(RequestReader& reader, ConnectionLogin&,
                                         std::string* text) {
  std::string_view sub;
  if (!reader.nextWord(&sub)) return RC_BAD_REQUEST;
  int64_t now = clock_.nowMs();
  if (sub == "NOW") {
    *text = formatWireTime(now);
    return RC_OK;
  }
  if (sub != "HAPPEN" && sub != "RESTORE") return RC_BAD_REQUEST;
  std::string_view name;
  int event = reader.nextWord(&name) ? indexOfName(kEventNames, name) : -1;
  if (event < 0) return RC_BAD_REQUEST;
  int64_t when = now;
  if (sub == "HAPPEN" && events_.phase(event) == 1) when = events_.happenTime(event);
  if (sub == "RESTORE" && events_.phase(event) == 2) when = events_.restoreTime(event);
  *text = formatWireTime(when);
  return RC_OK;
}

}  // namespace gw
