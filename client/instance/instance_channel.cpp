// The single-instance channel over QLocalServer.
#include "client/instance/instance_channel.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QVariant>

namespace gw {
namespace {

constexpr int kPeerWaitMs = 1000;
constexpr int kLineLimit = 256;

}  // namespace

QString InstanceChannel::defaultPath() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  return QDir(dir).filePath(kInstanceName);
}

bool InstanceChannel::ask(const QString& path, const QString& request, int timeout_ms) {
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!socket.waitForConnected(timeout_ms)) return false;
  socket.write(request.toLatin1() + '\n');
  if (!socket.waitForBytesWritten(timeout_ms)) return false;
  QByteArray reply;
  while (!reply.contains('\n')) {
    if (!socket.waitForReadyRead(timeout_ms)) return false;
    reply += socket.readAll();
  }
  return reply.startsWith("OK\n");
}

void InstanceChannel::askLater(const QString& path, const QString& request, int timeout_ms,
                               QObject* context, std::function<void(bool)> done) {
  auto* socket = new QLocalSocket(context);
  auto* limit = new QTimer(socket);
  // Whichever handler comes first answers; the socket then goes, and with it the others.
  auto answer = [socket, done = std::move(done)](bool ok) {
    if (socket->property("answered").toBool()) return;
    socket->setProperty("answered", true);
    socket->disconnect();
    socket->abort();
    socket->deleteLater();
    if (done) done(ok);
  };
  QByteArray line = request.toLatin1() + '\n';
  connect(socket, &QLocalSocket::connected, socket, [socket, line] { socket->write(line); });
  connect(socket, &QLocalSocket::readyRead, socket, [socket, answer] {
    if (socket->canReadLine()) answer(socket->readLine() == "OK\n");
  });
  connect(socket, &QLocalSocket::errorOccurred, socket, [answer] { answer(false); });
  connect(limit, &QTimer::timeout, socket, [answer] { answer(false); });
  limit->setSingleShot(true);
  limit->start(timeout_ms);
  // Started from the event loop, so that a refusal known at once is still answered later.
  QMetaObject::invokeMethod(
      socket, [socket, path] { socket->connectToServer(path); }, Qt::QueuedConnection);
}

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, &InstanceChannel::serve);
}

InstanceChannel::~InstanceChannel() { server_.close(); }

bool InstanceChannel::listen(const QString& path) {
  // Two copies started together must not both find the path free: one checks and listens at a
  // time.
  lock_ = std::make_unique<QLockFile>(path + ".lock");
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(2000)) return false;
  bool ok = false;
  QLocalSocket probe;
  probe.connectToServer(path);
  if (!probe.waitForConnected(300)) {
    QLocalServer::removeServer(path);  // left by a copy that ended without closing it
    ok = server_.listen(path);
  }
  lock_->unlock();
  return ok;
}

void InstanceChannel::serve() {
  while (QLocalSocket* peer = server_.nextPendingConnection()) {
    connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
    connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
      QByteArray pending = peer->property("pending").toByteArray() + peer->readAll();
      int lf = pending.indexOf('\n');
      if (lf < 0) {
        if (pending.size() > kLineLimit) peer->abort();
        else peer->setProperty("pending", pending);
        return;
      }
      answer(peer, pending.left(lf));
    });
    // A peer that never finishes its line is let go.
    QTimer* limit = new QTimer(peer);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, peer, &QLocalSocket::abort);
    limit->start(kPeerWaitMs);
  }
}

void InstanceChannel::answer(QLocalSocket* peer, const QByteArray& line) {
  bool ok = true;
  if (line == "RAISE") {
    emit raiseRequested();
  } else if (line.startsWith("OPEN ")) {
    bool number = false;
    int id = line.mid(5).toInt(&number);
    ok = number;
    if (ok) emit openRequested(id);
  } else {
    ok = false;
  }
  peer->write(ok ? "OK\n" : "ERR\n");
  peer->flush();
  peer->disconnectFromServer();
}

}  // namespace gw
