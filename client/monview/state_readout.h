// A readout of what the status window shows, for tests and the documentation's screenshots:
// after every gauge tick it rewrites a text file with the message line and the gauges, and
// can save pictures of the status window and of the other windows open. Off unless a path is
// given.
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>

namespace gw {

class MainWindow;

class StateReadout : public QObject {
  Q_OBJECT
 public:
  // Either path may be empty. The main window must outlive the readout.
  StateReadout(MainWindow& main, QString text_path, QString picture_path);

  void countRaise() { ++raised_; }
  // Writes the files now: on every tick of the status window's gauges.
  void write();

 private:
  static void save(QWidget* window, const QString& path);

  MainWindow& main_;
  QString text_path_;
  QString picture_path_;
  int raised_ = 0;
};

}  // namespace gw
