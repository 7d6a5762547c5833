// The editing windows' test bench: monview's main window with its session logged in to an
// EditingService on loopback, the editing windows installed, and a fake clock for the spins.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "client/editwin/editor_windows.h"
#include "client/monview/main_window.h"
#include "client/monview/panel_artwork.h"
#include "testing/editing_service.h"
#include "testing/fake_clock.h"
#include "testing/temp_dir.h"

namespace gw {

class EditorWindowRig {
 public:
  EditorWindowRig()
      : service_([this](const std::string& r) { return editing(r); }) {}
  ~EditorWindowRig() {
    main_.reset();
    service_.stop();
  }

  EditingService editing;
  FakeClock clock;
  RunMemory memory;

  // Starts the client: it connects and logs in on its worker.
  bool begin() {
    MainWindow::Options options;
    options.port = service_.port();
    options.session.cache_parent = dir_.path();
    options.session.poll_interval_ms = 200;
    if (MainWindow::create(options, artwork_, clock, &main_) != RC_OK) return false;
    installEditorWindows(*main_, memory);
    main_->start();
    return true;
  }
  // Starts the client; true once the login has loaded everything a window shows.
  bool start() { return begin() && loggedIn(); }
  bool loggedIn() {
    // The last request of the login, and the first poll after it: by then the worker has
    // written the login's log pages too.
    const int last = service_.waitFor(
        [](const std::string& r) { return r.rfind("LOG PRV 1", 0) == 0; }, 0, 5000);
    return last >= 0 && waitFor("DEV STATUS_CONNECT", 5000, static_cast<size_t>(last) + 1);
  }

  // Waits until a request beginning with `prefix` has reached the service.
  bool waitFor(const std::string& prefix, int timeout_ms = 5000, size_t from = 0) {
    return service_.waitFor([&](const std::string& r) { return r.rfind(prefix, 0) == 0; }, from,
                            timeout_ms) >= 0;
  }
  size_t requestCount() const { return service_.requests().size(); }

  template <typename W>
  W* open(int window_id, int slot) {
    main_->openWindow(window_id);
    return dynamic_cast<W*>(main_->window(slot));
  }
  bool isOpen(int slot) const { return main_->window(slot) != nullptr; }
  MainWindow& main() { return *main_; }

  // A click where the control takes it: on a check box's or radio button's indicator, in
  // the middle of anything else.
  static void click(QWidget* window, const char* name) {
    QWidget* w = window->findChild<QWidget*>(name);
    QVERIFY2(w, name);
    const bool indicator = qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w);
    const QPoint at = indicator ? QPoint(8, w->height() / 2) : w->rect().center();
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
  }
  // Replaces a field's text as the operator would: select all, type.
  static void type(QWidget* window, const char* name, const QString& text) {
    QWidget* w = window->findChild<QWidget*>(name);
    QVERIFY2(w, name);
    w->setFocus();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w, text);
  }

 private:
  TempDir dir_;
  PanelArtwork artwork_;
  FakeClientService service_;
  std::unique_ptr<MainWindow> main_;
};

}  // namespace gw
