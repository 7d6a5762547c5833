// The single-instance channel: the first copy listens, a later one is told no and its request
// reaches the first; unknown requests and a socket left by a dead copy.
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "client/instance/instance_channel.h"
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
};

}  // namespace
}  // namespace gw

QTEST_MAIN(gw::InstanceChannelTest)
#include "instance_channel_test.moc"
