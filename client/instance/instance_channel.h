// The single-instance channel: a local socket named "UPS Management Client Program" in the
// user's runtime directory. The first copy listens on it; a later copy (or the tray) connects,
// sends one request line and waits for one answer line. Shared by monview and montray.
//
// Requests, ASCII, each ended by a line feed:
//   RAISE       restore the client's windows and bring them to the front
//   OPEN <id>   open the window of that identifier (1004 log, 1005 settings, ...), or raise it
// Answers: "OK" or "ERR", ended by a line feed; the listener then closes the connection.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace gw {

inline constexpr const char* kInstanceName = "UPS Management Client Program";

class InstanceChannel : public QObject {
  Q_OBJECT
 public:
  // The socket's path for this user.
  static QString defaultPath();

  // Sends one request to a running copy. True when it answered "OK" within timeout_ms; false
  // when no copy listens or it did not answer in time.
  static bool ask(const QString& path, const QString& request, int timeout_ms);
  // The same without blocking: `done` (may be empty) is called once, always later from the
  // event loop and never from inside this call, with what ask() would have returned. The
  // exchange ends early, unanswered, when `context` is destroyed.
  static void askLater(const QString& path, const QString& request, int timeout_ms,
                       QObject* context, std::function<void(bool)> done);

  explicit InstanceChannel(QObject* parent = nullptr);
  ~InstanceChannel() override;

  // Becomes the first copy. False when another copy answers on the path (then nothing is
  // listened on). A socket left behind by a copy that died is replaced.
  bool listen(const QString& path);

 signals:
  void raiseRequested();
  void openRequested(int window_id);

 private:
  void serve();
  void answer(class QLocalSocket* peer, const QByteArray& line);

  QLocalServer server_;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace gw
