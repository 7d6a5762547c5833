// The single-instance channel: the first copy listens, a later one is told no and its request
// reaches the first; unknown requests, a socket left by a dead copy, and the installer's marker
// finding the copy where it listens.
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <thread>
#include <vector>

#include "client/instance/instance_channel.h"
#include "platform/instance_marker.h"
#include "platform/paths.h"
#include "protocol/client_instance.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

// Asks from another thread, so that the listener's event loop here can answer.
bool askAside(const QString& path, const QString& request) {
  std::atomic<bool> done{false};
  bool answer = false;
  std::thread asker([&] {
    answer = InstanceChannel::ask(path, request, 2000);
    done = true;
  });
  QElapsedTimer t;
  t.start();
  while (!done && t.elapsed() < 3000) QTest::qWait(5);
  asker.join();
  return answer;
}

class InstanceChannelTest : public QObject {
  Q_OBJECT

 private slots:
  void raiseAndOpenReachTheFirstCopy() {
    TempDir dir;
    const QString path = QString::fromStdString(dir.file("UPS Management Client Program"));
    InstanceChannel first;
    QVERIFY(first.listen(path));
    QSignalSpy raised(&first, &InstanceChannel::raiseRequested);
    QSignalSpy opened(&first, &InstanceChannel::openRequested);

    InstanceChannel second;
    QVERIFY(!second.listen(path));  // one copy per path
    QVERIFY(askAside(path, "RAISE"));
    QTRY_COMPARE(raised.count(), 1);
    QVERIFY(askAside(path, "OPEN 1004"));
    QTRY_COMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).toInt(), 1004);
    QVERIFY(!askAside(path, "OPEN log"));
    QVERIFY(!askAside(path, "SHUTDOWN"));
    QCOMPARE(raised.count(), 1);
  }

  void nobodyListening() {
    TempDir dir;
    QElapsedTimer t;
    t.start();
    QVERIFY(!InstanceChannel::ask(QString::fromStdString(dir.file("none")), "RAISE", 500));
    QVERIFY(t.elapsed() < 400);
  }

  void askLaterAnswersFromTheEventLoopOnly() {
    TempDir dir;
    const QString path = QString::fromStdString(dir.file("channel"));
    InstanceChannel first;
    QVERIFY(first.listen(path));
    QSignalSpy raised(&first, &InstanceChannel::raiseRequested);
    QObject context;
    std::vector<bool> answers;
    auto note = [&answers](bool ok) { answers.push_back(ok); };
    // The listener runs in this very thread: only a request that does not block can reach it.
    InstanceChannel::askLater(path, "RAISE", 2000, &context, note);
    InstanceChannel::askLater(QString::fromStdString(dir.file("none")), "RAISE", 2000, &context,
                              note);
    QVERIFY2(answers.empty(), "answered inside the call");
    QTRY_COMPARE(answers.size(), size_t(2));
    QCOMPARE(raised.count(), 1);
    QCOMPARE(std::count(answers.begin(), answers.end(), true), 1);
  }

  void aSocketLeftByADeadCopyIsReplaced() {
    TempDir dir;
    const QString path = QString::fromStdString(dir.file("channel"));
    dir.write("channel", "");  // nothing answers on it
    InstanceChannel first;
    QVERIFY(first.listen(path));
    QSignalSpy raised(&first, &InstanceChannel::raiseRequested);
    QVERIFY(askAside(path, "RAISE"));
    QCOMPARE(raised.count(), 1);
  }

  // The installer asks the platform whether the client runs before it replaces the programs; a
  // client listening anywhere else would be overwritten while it runs.
  void theInstallersMarkerSeesTheListeningCopy() {
    const char* saved_runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string runtime_before = saved_runtime ? saved_runtime : "";
    const char* saved_tmp = std::getenv("TMPDIR");
    const std::string tmp_before = saved_tmp ? saved_tmp : "";
    TempDir dir;
    for (bool session_dir : {true, false}) {
      if (session_dir) {
        ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
      } else {
        ::unsetenv("XDG_RUNTIME_DIR");  // a bare login: the fallback under TMPDIR
        ::setenv("TMPDIR", dir.path().c_str(), 1);
      }
      auto marker = createClientMarker(userRuntimeDirectory(), kClientInstanceName);
      QVERIFY2(!marker->held(), session_dir ? "session directory" : "fallback");
      {
        InstanceChannel first;
        QVERIFY2(first.listen(InstanceChannel::defaultPath()),
                 qPrintable(InstanceChannel::defaultPath()));
        QVERIFY2(marker->held(), qPrintable(InstanceChannel::defaultPath()));
      }
      QVERIFY(!marker->held());
    }
    if (saved_runtime) ::setenv("XDG_RUNTIME_DIR", runtime_before.c_str(), 1);
    if (saved_tmp) {
      ::setenv("TMPDIR", tmp_before.c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
  }
};

}  // namespace
}  // namespace gw

QTEST_MAIN(gw::InstanceChannelTest)
#include "instance_channel_test.moc"
