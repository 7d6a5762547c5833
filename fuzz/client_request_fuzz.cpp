// The client request path: the bytes a client sends, cut into receives, through a connection's
// framing, the login check and the dispatcher, with the settings, policy, logs and schedule
// behind it and a fake driver for the device. '\0' in the input ends one receive. The accounts
// have passwords, so that logins both succeed and fail.
#include <deque>
#include <memory>
#include <string>

#include "fuzz/fuzz_input.h"
#include "service/access/access_control.h"
#include "service/config/config_store.h"
#include "service/config/policy_table.h"
#include "service/driverlink/device_proxy.h"
#include "service/logs/log_store.h"
#include "service/schedule/schedule.h"
#include "service/server/client_connection.h"
#include "service/server/request_dispatcher.h"
#include "service/core/service_adapters.h"
#include "testing/fake_clock.h"
#include "testing/fake_driver_channel.h"
#include "testing/fake_event_times.h"
#include "testing/temp_dir.h"

namespace {

// A connected stream that delivers scripted receives and keeps what is sent.
class ScriptedStream final : public gw::TcpStream {
 public:
  explicit ScriptedStream(std::deque<std::string> receives) : receives_(std::move(receives)) {}
  intptr_t pollHandle() const override { return -1; }
  ResultCode receive(char* buffer, size_t capacity, size_t* received) override {
    if (receives_.empty()) return RC_SOCKET_ERROR;  // the peer has closed
    std::string& front = receives_.front();
    size_t n = std::min(front.size(), capacity);
    front.copy(buffer, n);
    front.erase(0, n);
    if (front.empty()) receives_.pop_front();
    if (n == 0) return RC_TIMEOUT;
    *received = n;
    return RC_OK;
  }
  ResultCode send(const char* data, size_t size, size_t* sent) override {
    sent_.append(data, size);
    *sent = size;
    return RC_OK;
  }
  ResultCode waitReady(bool, int) override { return RC_OK; }
  void shutdownSend() override {}
  gw::Ipv4Address peerAddress() const override { return gw::kLoopbackAddress; }
  uint16_t peerPort() const override { return 40000; }
  gw::Ipv4Address localAddress() const override { return gw::kLoopbackAddress; }

 private:
  std::deque<std::string> receives_;
  std::string sent_;
};

// The stores without their files: the service writes every change to the disk before it
// answers, which a fuzzer repeating changes thousands of times a second must not.
class MemorySettings final : public gw::KeyValueSettings {
 public:
  explicit MemorySettings(gw::ConfigStore& store) : store_(store) {}
  bool get(std::string* text) override { return store_.getSetting(text); }
  ResultCode set(const std::string& text) override {
    return store_.setSetting(text) ? RC_OK : RC_BAD_SETTING;
  }

 private:
  gw::ConfigStore& store_;
};

class MemoryPolicy final : public gw::KeyValueSettings {
 public:
  explicit MemoryPolicy(gw::PolicyTable& table) : table_(table) {}
  bool get(std::string* text) override { return table_.getPolicy(text); }
  ResultCode set(const std::string& text) override {
    return table_.setPolicy(text) ? RC_OK : RC_BAD_SETTING;
  }

 private:
  gw::PolicyTable& table_;
};

class MemorySchedule final : public gw::ScheduleItems {
 public:
  explicit MemorySchedule(gw::Schedule& schedule) : schedule_(schedule) {}
  void listItems(std::string* out) override { schedule_.listItems(out); }
  ResultCode replaceItems(std::string_view text) override {
    schedule_.replaceItems(text);
    return RC_OK;
  }

 private:
  gw::Schedule& schedule_;
};

std::string driverReply(const std::string& request) {
  std::string echo = request.substr(0, request.find(' '));
  if (echo.empty()) return "-1E 1";
  switch (echo[0]) {
    case 'S': return echo + " 1";
    case 'R': return echo == "R12" || echo == "R8" ? echo + " Model 1000" : echo + " 250";
    case 'C': return echo[1] == '4' ? echo + "E 1" : echo;
    default: return echo;
  }
}

// One service for the whole run, in a scratch directory with a few records in its logs. It is
// never destroyed, so the stores never write their files back.
struct Service {
  Service() {
    dir.write("user",
              "username=manager\npassword=m\nlevel=7\n"
              "username=normal(read only)\npassword=\nlevel=1\n"
              "username=slave\npassword=s\nlevel=3\n");
    access = std::make_unique<gw::AccessControl>(dir.path());
    dispatcher = std::make_unique<gw::RequestDispatcher>(clock, device, settings, policies,
                                                         events, pages, items, *access);
    events.phases = {1, 2, 0, 1, 2, 0};
  }
  void refillLogs() {
    if (logs.count(gw::LOG_EVENT) == 0) {
      for (int i = 0; i < 60; ++i) (void)logs.appendEvent(clock.nowMs() + i * 1000, i % 12);
    }
    if (logs.count(gw::LOG_STATUS) == 0) {
      for (int i = 0; i < 3; ++i) (void)logs.appendStatus(clock.nowMs(), gw::StatusValues{});
    }
  }

  gw::TempDir dir;
  gw::FakeClock clock;
  gw::FakeDriverChannel channel{driverReply};
  gw::DeviceProxy device{channel};
  gw::NoticeIdCounter ids;
  gw::ConfigStore config{dir.path(), ids, nullptr};
  gw::PolicyTable table{ids, nullptr};
  MemorySettings settings{config};
  MemoryPolicy policies{table};
  gw::FakeEventTimes events;
  gw::LogStore logs{dir.path()};
  gw::LogStorePages pages{logs};
  gw::Schedule schedule{dir.path(), clock};
  MemorySchedule items{schedule};
  std::unique_ptr<gw::AccessControl> access;
  std::unique_ptr<gw::RequestDispatcher> dispatcher;
};

Service& service() {
  static Service* one = new Service;
  return *one;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Service& s = service();
  s.refillLogs();
  gw::fuzz::FuzzInput input(data, size);
  std::deque<std::string> receives;
  for (const std::string& chunk : gw::fuzz::splitAt(input.rest(), '\0')) {
    if (!chunk.empty()) receives.push_back(chunk);
  }
  gw::ClientConnection connection(std::make_unique<ScriptedStream>(std::move(receives)), 0);
  for (int guard = 0; guard < 10000; ++guard) {
    std::string request;
    ResultCode rc = connection.receiveRequest(&request);
    if (rc == RC_SOCKET_ERROR) break;
    if (rc != RC_OK) continue;
    std::string reply = s.dispatcher->dispatch(request, connection.login());
    // One reply, one carriage return: a carriage return inside would shift every later reply.
    GW_FUZZ_CHECK(reply.find('\r') == std::string::npos);
    reply.push_back('\r');
    connection.queueReply(reply, 0);
  }
  GW_FUZZ_CHECK(connection.pendingBytes() <= gw::ClientConnection::kMaxPendingBytes);
  return 0;
}
