// Asks a running management client, over its single-instance channel, to restore its windows
// and come to the front. The question is asked without blocking the event loop.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace gw {

class ClientRaiser final : public QObject {
  Q_OBJECT
 public:
  // `channel` is the client's socket path.
  explicit ClientRaiser(QString channel, QObject* parent = nullptr)
      : QObject(parent), channel_(std::move(channel)) {}

  // Sends the raise request. `done` (may be empty) is called once from the event loop: true
  // when a client answered that it took the request within timeout_ms, false when none listens,
  // it refused, or it did not answer in time.
  void ask(int timeout_ms, std::function<void(bool)> done);

 private:
  QString channel_;
};

}  // namespace gw
