// The status window: the gauge panel, the message line, the "Power", minimize, "Log", "Setup"
// and "Schedule" buttons and the UPS's model and version, on the front-panel plate. It lives
// from start to end; closing it ends the program.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>
#include <functional>

#include "client/monview/client_window.h"
#include "client/monview/gauge_panel.h"

namespace gw {

class MessageLineWidget;
class PanelButton;

// The UPS's identity as the session has it: a text counts only when its code is 0.
struct UpsIdentity {
  int model_code = 2;
  std::string model;
  int version_code = 2;
  std::string version;
};

class StatusWindow : public QWidget, public ClientWindow {
  Q_OBJECT
 public:
  using IdentitySource = std::function<UpsIdentity()>;

  // The host must outlive the window.
  StatusWindow(WindowHost& host, GaugePanel::Source gauges, IdentitySource identity);

  QWidget* widget() override { return this; }
  void dataState(bool available, int what) override;
  void closeCommand(int command) override;

  GaugePanel& gaugePanel() { return *panel_; }
  QString messageText() const;
  QString modelText() const { return model_value_->text(); }
  QString versionText() const { return version_value_->text(); }

  // Shows a text in the message line; `information` texts give way to "UPS OK." later.
  void showMessage(const std::string& text, bool information);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void onTicked(uint32_t previous_flags, uint32_t flags);
  QLabel* label(const QString& text, const QRect& where);
  PanelButton* button(const QRect& where, int picture, const QString& caption);

  WindowHost& host_;
  IdentitySource identity_;
  GaugePanel* panel_ = nullptr;
  MessageLineWidget* message_ = nullptr;
  QLabel* model_value_ = nullptr;
  QLabel* version_value_ = nullptr;
  bool closing_ = false;
};

// The identity labels' texts after a data-state message: "Unknown" before any, then the texts
// whose codes are 0 (others empty), and empty while the data is not available.
QString identityText(bool available, int code, const std::string& text);

}  // namespace gw
