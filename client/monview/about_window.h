// The About window: the product, the client's version, and the UPS's model and firmware
// version shown as the status window shows them.
#pragma once

#include <QLabel>
#include <QWidget>

#include "client/monview/client_window.h"
#include "client/monview/status_window.h"

namespace gw {

inline constexpr const char* kClientVersionText = "Version : 2.1.4";

class AboutWindow : public QWidget, public ClientWindow {
  Q_OBJECT
 public:
  AboutWindow(WindowHost& host, StatusWindow::IdentitySource identity);

  QWidget* widget() override { return this; }
  void dataState(bool available, int what) override;
  void closeCommand(int command) override;

  QString modelText() const { return model_->text(); }
  QString versionText() const { return version_->text(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* label(const QString& text, const QRect& where, int weight = QFont::Normal);

  WindowHost& host_;
  StatusWindow::IdentitySource identity_;
  QLabel* model_ = nullptr;
  QLabel* version_ = nullptr;
  bool reported_ = false;
};

}  // namespace gw
