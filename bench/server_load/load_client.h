// The load generator's client side: logged-in blocking connections that repeat one operation,
// and the rate and latency figures of a run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/socket.h"

namespace gw::bench {

inline constexpr int kIoTimeoutMs = 10000;

// One blocking client connection.
class Client {
 public:
  bool open(uint16_t port);
  // Sends one request and waits for its reply; false when the exchange itself failed. An
  // "ERR" reply (a device without a UPS answers "ERR 8") counts in errors().
  bool ask(const std::string& request, std::string* reply = nullptr);
  // Only sends: the reply is left waiting (a request a stopped driver cannot answer yet).
  bool send(const std::string& request);
  uint64_t errors() const { return errors_; }
  bool login();

 private:
  std::unique_ptr<TcpStream> stream_;
  uint64_t errors_ = 0;
};

struct Figures {
  uint64_t operations = 0;
  uint64_t failures = 0;
  uint64_t error_replies = 0;
  double seconds = 0;
  double p50_us = 0;
  double p99_us = 0;
};

// The p-th fraction (0..1) of the values; reorders them.
double percentile(std::vector<double>& values, double p);

// `connections` clients, each logged in, repeat `operation` for `seconds`; one operation's
// latency is the time of all its requests.
Figures run(uint16_t port, int connections, double seconds,
            const std::vector<std::string>& operation);

// One line of figures; `requests_per_op` turns operations into requests.
void print(const char* what, int connections, const Figures& f, int requests_per_op);

}  // namespace gw::bench
