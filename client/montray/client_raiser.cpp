// One short-lived local socket per raise request.
#include "client/montray/client_raiser.h"

#include <QLocalSocket>
#include <QTimer>
#include <QVariant>
#include <memory>

namespace gw {

void ClientRaiser::ask(int timeout_ms, std::function<void(bool)> done) {
  auto* socket = new QLocalSocket(this);
  auto* limit = new QTimer(socket);
  // Shared by the handlers below, so that exactly one of them answers.
  auto finish = std::make_shared<std::function<void(bool)>>(std::move(done));
  auto answer = [socket, finish](bool raised) {
    if (!socket->property("answered").toBool()) {
      socket->setProperty("answered", true);
      if (*finish) (*finish)(raised);
    }
    socket->abort();
    socket->deleteLater();
  };
  connect(socket, &QLocalSocket::connected, socket, [socket] { socket->write("RAISE\n"); });
  connect(socket, &QLocalSocket::readyRead, socket, [socket, answer] {
    if (!socket->canReadLine()) return;
    answer(socket->readLine() == "OK\n");
  });
  connect(socket, &QLocalSocket::errorOccurred, socket, [answer] { answer(false); });
  connect(limit, &QTimer::timeout, socket, [answer] { answer(false); });
  limit->setSingleShot(true);
  limit->start(timeout_ms);
  socket->connectToServer(channel_);
}

}  // namespace gw
