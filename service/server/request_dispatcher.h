// Turns one client request into its reply text: the command table, the level-1 gate, and the
// handlers of DEV, LOG, SCH, PTC, POL, USR, ACC and TIME.
//
// Handlers run to the end, including a device exchange and any change notice a set causes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/result_code.h"
#include "service/access/access_control.h"
#include "service/driverlink/device_proxy.h"
#include "service/server/request_reader.h"
#include "service/server/server_context.h"

namespace gw {

class RequestDispatcher {
 public:
  // Handlers yield a result code and, on RC_OK, the result text.
  using Handler = ResultCode (RequestDispatcher::*)(RequestReader& reader, ConnectionLogin& login,
                                                    std::string* text);
  struct Command {
    std::string_view word;
    bool needs_login;  // the level-1 check before the handler
    Handler handler;
  };

  // Every reference must outlive the dispatcher.
  RequestDispatcher(Clock& clock, DeviceProxy& device, KeyValueSettings& settings,
                    KeyValueSettings& policies, EventTimes& events, LogPages& logs,
                    ScheduleItems& schedule, const AccessControl& access);
  RequestDispatcher(const RequestDispatcher&) = delete;
  RequestDispatcher& operator=(const RequestDispatcher&) = delete;

  // The reply for one request (without its ending carriage return): the result text, or "ERR "
  // and the code. `login` is the requesting connection's; a level check may log it in.
  std::string dispatch(std::string_view request, ConnectionLogin& login);
  // The same over another device proxy (a deferred device call's).
  std::string dispatch(std::string_view request, ConnectionLogin& login, DeviceProxy& device);

  // The table, in lookup order; exposed so that a test can walk every row.
  static const Command* commands(size_t* count);

 private:
  ResultCode handleDevice(RequestReader& reader, ConnectionLogin& login, std::string* text);
  ResultCode handleLog(RequestReader& reader, ConnectionLogin& login, std::string* text);
  ResultCode handleSchedule(RequestReader& reader, ConnectionLogin& login, std::string* text);
  ResultCode handlePolicy(RequestReader& reader, ConnectionLogin& login, std::string* text);
  ResultCode handleSetting(RequestReader& reader, ConnectionLogin& login, std::string* text);
  ResultCode handleUser(RequestReader& reader, ConnectionLogin& login, std::string* text);
  ResultCode handleAccess(RequestReader& reader, ConnectionLogin& login, std::string* text);
  ResultCode handleTime(RequestReader& reader, ConnectionLogin& login, std::string* text);

  ResultCode keyValue(RequestReader& reader, ConnectionLogin& login, KeyValueSettings& store,
                      std::string* text);

  static const Command kCommands[];

  Clock& clock_;
  DeviceProxy& device_;
  DeviceProxy* active_device_;  // the proxy of the dispatch in progress
  KeyValueSettings& settings_;
  KeyValueSettings& policies_;
  EventTimes& events_;
  LogPages& logs_;
  ScheduleItems& schedule_;
  const AccessControl& access_;
};

}  // namespace gw
