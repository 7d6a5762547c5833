// Accepting, framing and answering on the simulator's end of the virtual cable.
#include "sim/cable_server.h"

#include "platform/virtual_cable.h"

namespace gw {

ResultCode CableServer::create(SimUps& ups, const std::string& path,
                               std::unique_ptr<CableServer>* server) {
  std::unique_ptr<LocalListener> listener;
  ResultCode rc = listenLocal(path, 4, &listener);
  if (rc != RC_OK) return rc;
  server->reset(new CableServer(ups, std::move(listener)));
  return RC_OK;
}

void CableServer::dropConnection() {
  connection_.reset();
  partial_.clear();
  ups_.setOutputLines(0);
}

void CableServer::onListenReadable() {
  std::unique_ptr<NonBlockingStream> stream;
  if (listener_->accept(&stream) != RC_OK) return;
  dropConnection();
  connection_ = std::move(stream);
  last_inputs_ = static_cast<int>(ups_.inputLines());
  sendFrame(kFrameInputs, inputsToWire(static_cast<uint32_t>(last_inputs_)));
}

void CableServer::sendFrame(uint8_t type, uint8_t value) {
  sendFrames(std::string{static_cast<char>(type), static_cast<char>(value)});
}

void CableServer::sendFrames(const std::string& frames) {
  if (!connection_) return;
  // A port that stopped reading is as good as unplugged.
  if (sendAll(*connection_, frames, 50, 20) != RC_OK) dropConnection();
}

void CableServer::onConnectionReadable() {
  char buf[512];
  size_t n = 0;
  ResultCode rc = connection_->receive(buf, sizeof buf, &n);
  if (rc == RC_TIMEOUT) return;
  if (rc != RC_OK) {
    dropConnection();
    return;
  }
  partial_.append(buf, n);
  // Data bytes go to the UPS in runs; its answers and the line acknowledgements go back as
  // frames in the order they arose.
  std::string data;
  std::string out;
  auto flushData = [&] {
    if (data.empty()) return;
    std::string answer;
    ups_.receive(reinterpret_cast<const uint8_t*>(data.data()), data.size(), &answer);
    data.clear();
    for (char c : answer) {
      out += static_cast<char>(kFrameData);
      out += c;
    }
  };
  size_t i = 0;
  for (; i + 1 < partial_.size(); i += 2) {
    auto type = static_cast<uint8_t>(partial_[i]);
    auto value = static_cast<uint8_t>(partial_[i + 1]);
    if (type == kFrameData) {
      data += static_cast<char>(value);
    } else if (type == kFrameOutputs) {
      flushData();
      ups_.setOutputLines(outputsFromWire(value));
      last_inputs_ = static_cast<int>(ups_.inputLines());
      out += static_cast<char>(kFrameAck);
      out += static_cast<char>(inputsToWire(static_cast<uint32_t>(last_inputs_)));
    }
  }
  partial_.erase(0, i);
  flushData();
  sendFrames(out);
}

void CableServer::tick() {
  ups_.tick();
  if (!connection_) return;
  int now = static_cast<int>(ups_.inputLines());
  if (now != last_inputs_) {
    last_inputs_ = now;
    sendFrame(kFrameInputs, inputsToWire(static_cast<uint32_t>(now)));
  }
}

}  // namespace gw
