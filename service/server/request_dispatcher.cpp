// The client command table and its handlers.
#include "service/server/request_dispatcher.h"

#include <array>

#include "common/time_text.h"

namespace gw {
namespace {

constexpr std::array<std::string_view, 6> kEventNames = {"start",     "disconnect", "powerfail",
                                                         "batterylow", "loadover",   "tempover"};
constexpr int kLogCount = 3;

int findEvent(std::string_view name) {
  for (size_t i = 0; i < kEventNames.size(); ++i) {
    if (kEventNames[i] == name) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

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

RequestDispatcher::RequestDispatcher(Clock& clock, DeviceVariables& device,
                                     KeyValueSettings& settings, KeyValueSettings& policies,
                                     EventTimes& events, LogPages& logs, ScheduleItems& schedule,
                                     ClientAccess& access)
    : clock_(clock),
      device_(device),
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

std::string RequestDispatcher::dispatch(std::string_view request, ClientIdentity& client) {
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
    if (command->needs_login && !access_.checkLevel(LEVEL_NORMAL)) {
      rc = RC_ACCESS_DENIED;
    } else {
      rc = (this->*command->handler)(reader, client, &text);
    }
  }
  if (rc != RC_OK) return "ERR " + std::to_string(static_cast<int>(rc));
  return text;
}

ResultCode RequestDispatcher::handleDevice(RequestReader& reader, ClientIdentity&,
                                           std::string* text) {
  std::string_view name;
  int index = 0;
  int kind = 0;
  if (!reader.nextWord(&name) || !device_.findVariable(name, &index, &kind)) return RC_BAD_REQUEST;
  if (index >= kFirstControlVariable && index <= kLastControlVariable &&
      !access_.checkLevel(LEVEL_MANAGER)) {
    return RC_ACCESS_DENIED;
  }
  int32_t first = 0;
  int32_t second = 0;
  int32_t number = 0;
  std::string value;
  switch (kind) {
    case KIND_COMMAND:
      return device_.callVariable(index, 0, 0, nullptr, nullptr);
    case KIND_COMMAND_INT:
      if (!reader.nextInt(&first)) return RC_BAD_REQUEST;
      return device_.callVariable(index, first, 0, nullptr, nullptr);
    case KIND_COMMAND_TWO:
      if (!reader.nextInt(&first) || !reader.nextInt(&second)) return RC_BAD_REQUEST;
      return device_.callVariable(index, first, second, nullptr, nullptr);
    case KIND_READ_INT:
    case KIND_READ_SETTING: {
      if (kind == KIND_READ_SETTING) {
        std::string_view selector;
        first = reader.nextWord(&selector) && selector == "DEFAULT" ? 1 : 0;
      }
      ResultCode rc = device_.callVariable(index, first, 0, &number, nullptr);
      if (rc == RC_OK) *text = std::to_string(number);
      return rc;
    }
    case KIND_READ_TEXT: {
      ResultCode rc = device_.callVariable(index, 0, 0, nullptr, &value);
      if (rc == RC_OK) *text = std::move(value);
      return rc;
    }
    default:
      return RC_BAD_REQUEST;
  }
}

ResultCode RequestDispatcher::handleLog(RequestReader& reader, ClientIdentity&,
                                        std::string* text) {
  std::string_view sub;
  int32_t log = 0;
  if (!reader.nextWord(&sub) || !reader.nextInt(&log)) return RC_BAD_REQUEST;
  bool known_log = log >= 0 && log < kLogCount;
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
    if (!access_.checkLevel(LEVEL_MANAGER)) return RC_ACCESS_DENIED;
    if (known_log) logs_.clear(log);
    return RC_OK;
  }
  return RC_BAD_REQUEST;
}

ResultCode RequestDispatcher::handleSchedule(RequestReader& reader, ClientIdentity&,
                                             std::string* text) {
  std::string_view sub;
  if (!reader.nextWord(&sub)) return RC_BAD_REQUEST;
  if (sub == "GET") {
    schedule_.listItems(text);
    return RC_OK;
  }
  if (sub == "SET") {
    if (!access_.checkLevel(LEVEL_MANAGER)) return RC_ACCESS_DENIED;
    schedule_.replaceItems(reader.rest());
    return RC_OK;
  }
  return RC_BAD_REQUEST;
}

ResultCode RequestDispatcher::keyValue(RequestReader& reader, KeyValueSettings& store,
                                       std::string* text) {
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
  if (!access_.checkLevel(LEVEL_MANAGER)) return RC_OK;
  return store.set(argument) ? RC_OK : RC_BAD_SETTING;
}

ResultCode RequestDispatcher::handlePolicy(RequestReader& reader, ClientIdentity&,
                                           std::string* text) {
  return keyValue(reader, policies_, text);
}

ResultCode RequestDispatcher::handleSetting(RequestReader& reader, ClientIdentity&,
                                            std::string* text) {
  return keyValue(reader, settings_, text);
}

ResultCode RequestDispatcher::handleUser(RequestReader& reader, ClientIdentity& client,
                                         std::string*) {
  std::string_view sub;
  if (!reader.nextWord(&sub)) return RC_BAD_REQUEST;
  if (sub == "NAME" || sub == "PASS") {
    // Exactly one separator, so that names and passwords may begin or end with blanks.
    reader.skipOne();
    (sub == "NAME" ? client.user_name : client.password).assign(reader.rest());
    return RC_OK;
  }
  int level = sub == "GET" ? LEVEL_NORMAL : sub == "SET" ? LEVEL_MANAGER : sub == "SLAVE" ? LEVEL_SLAVE : 0;
  if (level == 0) return RC_BAD_REQUEST;
  (void)access_.checkLevel(level);  // only logs in; the answer is the same either way
  return RC_OK;
}

ResultCode RequestDispatcher::handleAccess(RequestReader&, ClientIdentity&, std::string*) {
  (void)access_.checkLevel(LEVEL_MANAGER);  // only logs in; the answer is the same either way
  return RC_OK;
}

ResultCode RequestDispatcher::handleTime(RequestReader& reader, ClientIdentity&,
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
  int event = reader.nextWord(&name) ? findEvent(name) : -1;
  if (event < 0) return RC_BAD_REQUEST;
  int64_t when = now;
  if (sub == "HAPPEN" && events_.phase(event) == 1) when = events_.happenTime(event);
  if (sub == "RESTORE" && events_.phase(event) == 2) when = events_.restoreTime(event);
  *text = formatWireTime(when);
  return RC_OK;
}

}  // namespace gw
