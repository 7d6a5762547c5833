// The serial-pipe floor server.
#include "bench/server_load/floor_server.h"

#include <algorithm>

namespace gw::bench {
namespace {

constexpr int kChildTimeoutMs = 10000;

}  // namespace

FloorServer::~FloorServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  to_child_.reset();  // cat ends at the end of its input
  if (child_ && child_->running()) child_->terminate();
}

bool FloorServer::start() {
  SpawnOptions options;
  options.program = "/bin/cat";
  options.pipe_stdin = true;
  options.pipe_stdout = true;
  if (spawnProcess(options, &child_) != RC_OK) return false;
  to_child_ = child_->takeStdin();
  from_child_ = child_->takeStdout();
  if (listenTcp(kLoopbackAddress, 0, &listener_) != RC_OK) return false;
  port_ = listener_->localPort();
  thread_ = std::thread([this] { serve(); });
  return true;
}

void FloorServer::serve() {
  std::unique_ptr<PollSet> poll = createPollSet();
  while (!stop_) {
    poll->clear();
    poll->add(*listener_, true, false);
    for (const Connection& c : connections_) poll->add(*c.stream, true, false);
    if (poll->wait(50) != RC_OK) continue;
    size_t watched = connections_.size();
    for (size_t i = 0; i < watched; ++i) {
      Connection& c = connections_[i];
      if ((poll->readable(i + 1) || poll->broken(i + 1)) && !serveReadable(c)) c.stream.reset();
    }
    connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                      [](const Connection& c) { return !c.stream; }),
                       connections_.end());
    std::unique_ptr<TcpStream> accepted;
    if (poll->readable(0) && listener_->accept(&accepted) == RC_OK) {
      connections_.push_back({std::move(accepted), {}});
    }
  }
}

bool FloorServer::serveReadable(Connection& connection) {
  char buffer[4096];
  size_t got = 0;
  ResultCode rc = connection.stream->receive(buffer, sizeof buffer, &got);
  if (rc == RC_TIMEOUT) return true;
  if (rc != RC_OK) return false;
  connection.pending.append(buffer, got);
  for (size_t cr; (cr = connection.pending.find('\r')) != std::string::npos;) {
    std::string reply;
    if (!echo(connection.pending.substr(0, cr), &reply)) return false;
    connection.pending.erase(0, cr + 1);
    if (sendAll(*connection.stream, reply + "\r", kChildTimeoutMs) != RC_OK) return false;
  }
  return true;
}

bool FloorServer::echo(const std::string& line, std::string* reply) {
  std::string out = line + "\n";
  if (to_child_->write(out.data(), out.size()) != RC_OK) return false;
  for (;;) {
    size_t lf = child_pending_.find('\n');
    if (lf != std::string::npos) {
      reply->assign(child_pending_, 0, lf);
      child_pending_.erase(0, lf + 1);
      return true;
    }
    char buffer[4096];
    size_t got = 0;
    if (from_child_->read(buffer, sizeof buffer, kChildTimeoutMs, &got) != RC_OK) return false;
    child_pending_.append(buffer, got);
  }
}

}  // namespace gw::bench
