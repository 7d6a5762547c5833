// An in-process stand-in for the monitoring service's client port on loopback: it answers each
// request (text up to a carriage return) through a responder and records every request with
// the time it arrived. Replies may come in pieces, late, or not at all.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"

namespace gw {

class FakeClientService {
 public:
  struct Reply {
    std::vector<std::string> pieces;  // sent one after another; the last should end with '\r'
    int delay_ms = 0;                 // before the first piece
    int gap_ms = 0;                   // between pieces
  };
  // The reply text; the carriage return is added.
  static Reply text(std::string reply) { return Reply{{reply + "\r"}, 0, 0}; }

  struct Request {
    std::string text;  // with its carriage return
    int64_t at_ms;     // since the service started
  };
  using Responder = std::function<Reply(const std::string& request)>;

  explicit FakeClientService(Responder responder) : responder_(std::move(responder)) {
    start_ = std::chrono::steady_clock::now();
    if (listenTcp(kLoopbackAddress, 0, &listener_) != RC_OK) return;
    port_ = listener_->localPort();
    thread_ = std::thread([this] { serve(); });
  }
  ~FakeClientService() { stop(); }
  FakeClientService(const FakeClientService&) = delete;
  FakeClientService& operator=(const FakeClientService&) = delete;

  uint16_t port() const { return port_; }
  int accepted() const { return accepted_.load(); }
  int64_t sinceStartMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start_)
        .count();
  }

  std::vector<Request> requests() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return requests_;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const Request& r : requests()) out.push_back(r.text);
    return out;
  }
  // Waits until a request satisfying `match` has arrived at position >= from; its index or -1.
  int waitFor(const std::function<bool(const std::string&)>& match, size_t from, int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < deadline) {
      {
        std::lock_guard<std::mutex> hold(mutex_);
        for (size_t i = from; i < requests_.size(); ++i) {
          if (match(requests_[i].text)) return static_cast<int>(i);
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
  }

  // Closes the port and every connection: the service has gone.
  void stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    listener_.reset();
  }

 private:
  void serve() {
    std::unique_ptr<PollSet> poll = createPollSet();
    std::vector<std::unique_ptr<TcpStream>> streams;
    std::vector<std::string> pending;
    while (!stopping_) {
      poll->clear();
      poll->add(*listener_, true, false);
      for (auto& s : streams) poll->add(*s, true, false);
      if (poll->wait(20) != RC_OK) continue;
      if (poll->readable(0)) {
        std::unique_ptr<TcpStream> s;
        if (listener_->accept(&s) == RC_OK) {
          streams.push_back(std::move(s));
          pending.emplace_back();
          ++accepted_;
        }
      }
      for (size_t i = 0; i < streams.size(); ++i) {
        if (!streams[i] || !poll->readable(i + 1)) continue;
        char buf[2048];
        size_t got = 0;
        ResultCode rc = streams[i]->receive(buf, sizeof buf, &got);
        if (rc == RC_TIMEOUT) continue;
        if (rc != RC_OK) {
          streams[i].reset();
          continue;
        }
        pending[i].append(buf, got);
        size_t cr;
        while ((cr = pending[i].find('\r')) != std::string::npos) {
          std::string request = pending[i].substr(0, cr + 1);
          pending[i].erase(0, cr + 1);
          {
            std::lock_guard<std::mutex> hold(mutex_);
            requests_.push_back({request, sinceStartMs()});
          }
          answer(*streams[i], responder_(request));
        }
      }
      // Closed streams go after the pass, so that the poll slots stay matched during it.
      for (size_t i = 0; i < streams.size(); ++i) {
        if (!streams[i]) {
          streams.erase(streams.begin() + static_cast<long>(i));
          pending.erase(pending.begin() + static_cast<long>(i));
          --i;
        }
      }
    }
  }

  void answer(TcpStream& stream, const Reply& reply) {
    if (reply.delay_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.delay_ms));
    for (size_t i = 0; i < reply.pieces.size(); ++i) {
      if (i > 0 && reply.gap_ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(reply.gap_ms));
      }
      if (sendAll(stream, reply.pieces[i], 1000) != RC_OK) return;
    }
  }

  Responder responder_;
  std::unique_ptr<TcpListener> listener_;
  uint16_t port_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::atomic<bool> stopping_{false};
  std::atomic<int> accepted_{0};
  mutable std::mutex mutex_;
  std::vector<Request> requests_;
  std::thread thread_;
};

}  // namespace gw
