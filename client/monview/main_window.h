// The main window: invisible, it owns the program's lifetime, the session and the client
// windows in their slots; it routes completions to the window that asked, tells windows what
// data is available, keeps the docking chain and moves the windows along it.
#pragma once

#include <QObject>
#include <QPoint>
#include <array>
#include <functional>
#include <memory>

#include "client/monview/client_window.h"
#include "client/session/client_session.h"
#include "client/status/docking_chain.h"
#include "client/status/window_router.h"
#include "protocol/client_port.h"

namespace gw {

class StatusWindow;

class MainWindow : public QObject, public WindowHost {
  Q_OBJECT
 public:
  using WindowFactory = std::function<std::unique_ptr<ClientWindow>(WindowHost& host)>;

  struct Options {
    uint16_t port = kDefaultClientPort;
    ClientSession::Options session;
  };

  // Creates the session (and with it the cache directory). The artwork and the clock must
  // outlive the main window. *window is written only on RC_OK.
  [[nodiscard]] static ResultCode create(const Options& options, PanelArtwork& artwork, Clock& clock,
                                         std::unique_ptr<MainWindow>* window);
  // Deletes the windows, then the session (joining its worker).
  ~MainWindow() override;

  // Connects and logs in once, subscribes to the tables and opens the status window.
  void start();
  // Closes every window in order, as "Power" does, then emits finished().
  void closeProgram();
  // Restores every open window and brings them to the front, the status window on top.
  void restoreAndRaise();

  // Which window a slot opens; the status and About windows are built in.
  void setWindowFactory(int slot, WindowFactory factory);
  ClientWindow* window(int slot) const;
  StatusWindow* statusWindow() const;
  const DockingChain& chain() const { return chain_; }

  // WindowHost
  void openWindow(int window_id) override;
  void windowClosed(int slot) override;
  void communicationChanged(bool up) override;
  void minimizeAll() override;
  uint32_t submitFor(int slot, int kind) override;
  ClientSession& session() override { return *session_; }
  PanelArtwork& artwork() override { return artwork_; }
  Clock& clock() override { return clock_; }

 signals:
  // The status window has closed: the program ends.
  void finished();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  MainWindow(const Options& options, PanelArtwork& artwork, Clock& clock,
             std::unique_ptr<ClientSession> session);
  void requestDone(uint32_t message);
  void deliver(const std::vector<DataStateNote>& notes);
  void forget(int slot);
  void applyGeometry();
  int slotOf(const QObject* widget) const;

  Options options_;
  PanelArtwork& artwork_;
  Clock& clock_;
  std::unique_ptr<ClientSession> session_;
  std::array<WindowFactory, kSlotCount> factories_;
  std::array<std::unique_ptr<ClientWindow>, kSlotCount> windows_;
  WindowRouter router_;
  DockingChain chain_;
  QPoint drag_last_;
  bool closing_ = false;
};

}  // namespace gw
