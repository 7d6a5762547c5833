// The main window and the status window in one process against a stand-in service: what the
// labels and the message line show as the UPS comes and goes, the About window hanging below
// the status window and dragged along with it, and the ordered close.
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <filesystem>

#include "client/monview/about_window.h"
#include "client/monview/main_window.h"
#include "client/monview/panel_artwork.h"
#include "client/monview/status_window.h"
#include "testing/fake_client_service.h"
#include "testing/fake_service_script.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  PanelArtwork* art_ = nullptr;
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<FakeServiceScript> script_;
  std::unique_ptr<FakeClientService> service_;
  std::unique_ptr<MainWindow> main_;
  std::atomic<int> connected_{1};

  void startClient() {
    MainWindow::Options options;
    options.port = service_->port();
    options.session.cache_parent = dir_->path();
    options.session.poll_interval_ms = 200;
    QCOMPARE(MainWindow::create(options, *art_, systemClock(), &main_), RC_OK);
    main_->start();
    QVERIFY(main_->statusWindow());
  }

 private slots:
  void initTestCase() { art_ = new PanelArtwork(); }
  void cleanupTestCase() { delete art_; }

  void init() {
    dir_ = std::make_unique<TempDir>();
    script_ = std::make_unique<FakeServiceScript>();
    connected_ = 1;
    script_->set("DEV STATUS_CONNECT", [this](const std::string&) {
      return FakeClientService::text(std::to_string(connected_.load()));
    });
    service_ = std::make_unique<FakeClientService>(
        [this](const std::string& r) { return (*script_)(r); });
  }
  void cleanup() {
    main_.reset();
    service_.reset();
    dir_.reset();
  }

  void statusWindowFollowsTheUps() {
    startClient();
    StatusWindow* status = main_->statusWindow();
    QCOMPARE(status->size(), QSize(494, 250));
    QCOMPARE(status->modelText(), QString("Unknown"));
    QTRY_COMPARE(status->modelText(), QString("KD-9"));
    QCOMPARE(status->versionText(), QString("1.02"));
    QTRY_COMPARE(status->gaugePanel().faces()[0].line1, std::string("230"));
    // Connected before the first tick: announced, as any change from the unknown start.
    QTRY_COMPARE(status->messageText(), QString("UPS communication established."));

    connected_ = 0;
    QTRY_COMPARE(status->messageText(), QString("UPS communication can't establish."));
    QCOMPARE(status->modelText(), QString());  // properties no longer available
    QCOMPARE(status->gaugePanel().faces()[0].colour, kGaugeGrey);

    connected_ = 1;
    QTRY_COMPARE(status->messageText(), QString("UPS communication established."));
    QTRY_COMPARE(status->modelText(), QString("KD-9"));  // loaded again and announced
    QTRY_COMPARE_WITH_TIMEOUT(status->messageText(), QString("UPS OK."), 7000);
  }

  void aboutHangsBelowAndMovesWithTheStatusWindow() {
    startClient();
    StatusWindow* status = main_->statusWindow();
    QTRY_COMPARE(status->modelText(), QString("KD-9"));
    main_->openWindow(kWindowIdAbout);
    auto* about = dynamic_cast<AboutWindow*>(main_->window(kSlotAbout));
    QVERIFY(about);
    QCOMPARE(about->modelText(), QString("KD-9"));  // told at once what is loaded
    QCOMPARE(main_->chain().above(kSlotAbout), int(kSlotStatus));
    QCOMPARE(about->frameGeometry().top(), status->frameGeometry().bottom() + 1);
    QCOMPARE(about->frameGeometry().left(), status->frameGeometry().left());

    // A press on the plate between the panel and the buttons drags both windows.
    const QPoint status_at = status->frameGeometry().topLeft();
    const QPoint about_at = about->frameGeometry().topLeft();
    QTest::mousePress(status, Qt::LeftButton, {}, QPoint(302, 100));
    QTest::mouseMove(status, QPoint(352, 130));
    QTest::mouseRelease(status, Qt::LeftButton, {}, QPoint(352, 130));
    QCOMPARE(status->frameGeometry().topLeft(), status_at + QPoint(50, 30));
    QCOMPARE(about->frameGeometry().topLeft(), about_at + QPoint(50, 30));

    main_->openWindow(kWindowIdAbout);  // already open: raised, not doubled
    QCOMPARE(main_->window(kSlotAbout), static_cast<ClientWindow*>(about));
    about->closeCommand(kCommandOk);
    QTRY_VERIFY(!main_->window(kSlotAbout));
    QCOMPARE(main_->chain().below(kSlotStatus), int(kNoSlot));
  }

  void windowManagerCloseIsIgnoredAndPowerEnds() {
    startClient();
    StatusWindow* status = main_->statusWindow();
    status->show();
    QVERIFY(!status->close());
    QVERIFY(status->isVisible());
    QSignalSpy finished(main_.get(), &MainWindow::finished);
    main_->openWindow(kWindowIdAbout);
    status->closeCommand(kCommandPower);
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(!main_->window(kSlotAbout));  // the other windows close with it
    QVERIFY(std::filesystem::exists(dir_->file("127.0.0.1")));
    main_.reset();
    QVERIFY(!std::filesystem::exists(dir_->file("127.0.0.1")));
  }

  void windowsThatDoNotExistYetAreIgnored() {
    startClient();
    main_->openWindow(kWindowIdLog);
    main_->openWindow(1002);
    QVERIFY(!main_->window(kSlotLog));
    bool opened = false;
    main_->setWindowFactory(kSlotLog, [&](WindowHost& host) -> std::unique_ptr<ClientWindow> {
      opened = true;
      return std::make_unique<AboutWindow>(host, nullptr);
    });
    main_->openWindow(kWindowIdLog);
    QVERIFY(opened);
    QVERIFY(main_->window(kSlotLog));
  }
};

}  // namespace
}  // namespace gw

QTEST_MAIN(gw::MainWindowTest)
#include "main_window_test.moc"
