// Lifetime, routing and docking of the client windows.
#include "client/monview/main_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

#include "client/monview/about_window.h"
#include "client/monview/client_messages.h"
#include "client/monview/session_view.h"
#include "client/monview/status_window.h"

namespace gw {
namespace {

DockRect desktop() {
  QScreen* screen = QGuiApplication::primaryScreen();
  QRect r = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  return {r.x(), r.y(), r.width(), r.height()};
}

DockRect frameOf(const QWidget* w) {
  QRect r = w->frameGeometry();
  return {r.x(), r.y(), r.width(), r.height()};
}

}  // namespace

ResultCode MainWindow::create(const Options& options, PanelArtwork& artwork, Clock& clock,
                              std::unique_ptr<MainWindow>* window) {
  std::unique_ptr<ClientSession> session;
  ResultCode rc = ClientSession::create(options.session, clock, &session);
  if (rc != RC_OK) return rc;
  window->reset(new MainWindow(options, artwork, clock, std::move(session)));
  return RC_OK;
}

MainWindow::MainWindow(const Options& options, PanelArtwork& artwork, Clock& clock,
                       std::unique_ptr<ClientSession> session)
    : options_(options), artwork_(artwork), clock_(clock), session_(std::move(session)) {
  // Completions arrive on the session's worker thread; the windows hear of them here, on
  // the GUI thread.
  session_->setCompletion([this](uint32_t message) {
    QCoreApplication::postEvent(this, new RequestDoneEvent(message));
  });
  factories_[kSlotStatus] = [](WindowHost& host) -> std::unique_ptr<ClientWindow> {
    ClientSession& s = host.session();
    return std::make_unique<StatusWindow>(
        host, [&s] { return gaugeInputs(s); }, [&s] { return upsIdentity(s); });
  };
  factories_[kSlotAbout] = [](WindowHost& host) -> std::unique_ptr<ClientWindow> {
    ClientSession& s = host.session();
    return std::make_unique<AboutWindow>(host, [&s] { return upsIdentity(s); });
  };
}

MainWindow::~MainWindow() {
  for (auto& w : windows_) {
    if (w) w->widget()->removeEventFilter(this);
    w.reset();
  }
  session_.reset();
}

void MainWindow::start() {
  session_->stageConnect(kDefaultHost, options_.port);
  (void)session_->submit(kRequestConnect);  // no window waits for the connect
  WindowRouter::OwnTags tags;
  tags.properties = session_->submit(kNoticePropertiesLoaded);
  tags.service_settings = session_->submit(kNoticeServiceSettingsLoaded);
  tags.policies = session_->submit(kNoticePoliciesLoaded);
  tags.schedule = session_->submit(kNoticeScheduleLoaded);
  router_.setOwnTags(tags);
  session_->stageLogin(kDefaultUser, kDefaultPassword);
  (void)session_->submit(kRequestLogin);  // a failed login shows in the polls that follow
  openWindow(kWindowIdStatus);
}

void MainWindow::setWindowFactory(int slot, WindowFactory factory) {
  if (slot >= 0 && slot < kSlotCount) factories_[slot] = std::move(factory);
}

ClientWindow* MainWindow::window(int slot) const {
  return slot >= 0 && slot < kSlotCount ? windows_[slot].get() : nullptr;
}

StatusWindow* MainWindow::statusWindow() const {
  return static_cast<StatusWindow*>(windows_[kSlotStatus].get());
}

int MainWindow::slotOf(const QObject* widget) const {
  for (int s = 0; s < kSlotCount; ++s) {
    if (windows_[s] && windows_[s]->widget() == widget) return s;
  }
  return kNoSlot;
}

uint32_t MainWindow::submitFor(int slot, int kind) {
  uint32_t tag = session_->submit(kind);
  router_.expect(tag, slot);
  return tag;
}

bool MainWindow::event(QEvent* event) {
  if (event->type() == static_cast<QEvent::Type>(kMsgRequestDone)) {
    requestDone(static_cast<RequestDoneEvent*>(event)->message());
    return true;
  }
  if (event->type() == static_cast<QEvent::Type>(kMsgWindowClosed)) {
    forget(static_cast<WindowClosedEvent*>(event)->slot());
    return true;
  }
  return QObject::event(event);
}

void MainWindow::requestDone(uint32_t message) {
  WindowRouter::Routed routed = router_.requestDone(message);
  if (routed.forward_to != kNoSlot) {
    if (ClientWindow* w = window(routed.forward_to)) w->requestDone(message);
    return;
  }
  deliver(routed.notes);
}

void MainWindow::deliver(const std::vector<DataStateNote>& notes) {
  for (const DataStateNote& n : notes) {
    if (ClientWindow* w = window(n.slot)) w->dataState(n.available, n.what);
  }
}

void MainWindow::communicationChanged(bool up) {
  bool resubscribe = false;
  std::vector<DataStateNote> notes = router_.commChanged(up, &resubscribe);
  if (resubscribe) router_.setPropertiesTag(session_->submit(kNoticePropertiesLoaded));
  deliver(notes);
}

void MainWindow::openWindow(int window_id) {
  if (closing_) return;
  const int slot = slotForWindowId(window_id);
  if (slot == kNoSlot) return;
  if (ClientWindow* w = window(slot)) {
    w->widget()->showNormal();
    w->widget()->raise();
    w->widget()->activateWindow();
    return;
  }
  if (!factories_[slot]) return;  // a window this build does not have
  windows_[slot] = factories_[slot](*this);
  QWidget* widget = windows_[slot]->widget();
  widget->installEventFilter(this);
  chain_.open(slot, widget->width(), widget->height(), desktop());
  applyGeometry();
  widget->show();
  deliver(router_.windowOpened(slot));
}

void MainWindow::windowClosed(int slot) {
  if (!window(slot)) return;
  QCoreApplication::postEvent(this, new WindowClosedEvent(slot));
}

void MainWindow::forget(int slot) {
  if (!window(slot)) return;
  chain_.close(slot, desktop());
  router_.windowClosed(slot);
  QWidget* widget = windows_[slot]->widget();
  widget->removeEventFilter(this);
  widget->hide();
  windows_[slot].release();  // the widget is deleted once its own handlers have returned
  widget->deleteLater();
  applyGeometry();
  if (slot == kSlotStatus) closeProgram();
}

void MainWindow::closeProgram() {
  if (closing_) return;
  closing_ = true;
  struct Order {
    int slot;
    int command;
  } order[] = {{kSlotSettings, kCommandCancel}, {kSlotUpsConfig, kCommandCancel},
               {kSlotLog, kCommandCancel},      {kSlotSchedule, kCommandCancel},
               {kSlotAbout, kCommandOk},        {kSlotStatus, kCommandPower}};
  for (const Order& o : order) {
    if (ClientWindow* w = window(o.slot)) w->closeCommand(o.command);
  }
  // After the windows' own closed messages have been handled.
  QMetaObject::invokeMethod(this, &MainWindow::finished, Qt::QueuedConnection);
}

void MainWindow::restoreAndRaise() {
  for (int s = kSlotCount - 1; s >= 0; --s) {
    if (ClientWindow* w = window(s)) {
      w->widget()->showNormal();
      w->widget()->raise();
    }
  }
  if (ClientWindow* w = window(kSlotStatus)) w->widget()->activateWindow();
}

void MainWindow::minimizeAll() {
  for (auto& w : windows_) {
    if (w) w->widget()->showMinimized();
  }
}

void MainWindow::applyGeometry() {
  for (int s = 0; s < kSlotCount; ++s) {
    if (!windows_[s] || !chain_.isOpen(s)) continue;
    QWidget* w = windows_[s]->widget();
    DockRect r = chain_.rect(s);
    if (w->frameGeometry().topLeft() != QPoint(r.x, r.y)) w->move(r.x, r.y);
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const int slot = slotOf(watched);
  if (slot == kNoSlot) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() != Qt::LeftButton) return false;
      // A press on the window's background: it and the windows below it move together.
      chain_.beginDrag(slot);
      for (int s : chain_.draggedChain()) windows_[s]->widget()->raise();
      drag_last_ = e->globalPosition().toPoint();
      return true;
    }
    case QEvent::MouseMove: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (!chain_.dragging() || !(e->buttons() & Qt::LeftButton)) return false;
      QPoint now = e->globalPosition().toPoint();
      chain_.dragBy(now.x() - drag_last_.x(), now.y() - drag_last_.y());
      drag_last_ = now;
      applyGeometry();
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (!chain_.dragging()) return false;
      chain_.drop();
      applyGeometry();
      return true;
    case QEvent::Move: {
      // Moved by the window manager: the windows below follow.
      DockRect actual = frameOf(static_cast<QWidget*>(watched));
      DockRect known = chain_.rect(slot);
      if (chain_.isOpen(slot) && !chain_.dragging() && (actual.x != known.x || actual.y != known.y)) {
        chain_.moved(slot, actual);
        applyGeometry();
      }
      return false;
    }
    default:
      return false;
  }
}

}  // namespace gw
