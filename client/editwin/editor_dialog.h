// What the editing windows share: a top-level window in a slot of the main window, laid out
// in fixed pixels on the client's metal plate, with group frames drawn on the background (a
// press there drags the window and those docked below it), a wait cursor while a change is on
// its way, and non-blocking messages.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>
#include <vector>

#include "client/monview/client_window.h"
#include "client/monview/panel_button.h"

namespace gw {

class EditorDialog : public QWidget, public ClientWindow {
  Q_OBJECT
 public:
  // The host must outlive the window.
  EditorDialog(WindowHost& host, int slot, const QString& title, QSize size);
  ~EditorDialog() override;

  QWidget* widget() override { return this; }
  bool waiting() const { return waiting_; }

 protected:
  // A frame with its title, drawn on the background; with `shown_with`, only while that
  // widget (a page) is visible.
  void addGroup(const QString& title, const QRect& frame, const QWidget* shown_with = nullptr);
  // A frame whose title is a check box of that text, placed by the caller at titleAt().
  void addCheckedGroup(const QString& title, const QRect& frame, const QWidget* shown_with);
  static QPoint titleAt(const QRect& frame) { return frame.topLeft() + QPoint(6, 0); }
  QLabel* addLabel(const QString& text, const QRect& where, QWidget* parent = nullptr);
  QCheckBox* addCheckBox(const QString& text, const QRect& where, QWidget* parent = nullptr);
  QRadioButton* addRadio(const QString& text, const QRect& where, QWidget* parent = nullptr);
  PanelButton* addButton(const QString& text, const QRect& where,
                         const ButtonColours& colours = kOrdinaryButton);

  // A warning the operator closes; the window stays usable behind it.
  void showMessage(const QString& text);
  void beginWait();
  void endWait();
  // Closes the window; the main window hears of it once.
  void finish();

  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  WindowHost& host_;

 private:
  struct Group {
    QString title;
    QRect frame;
    const QWidget* shown_with;
    bool draw_title;
  };

  const int slot_;
  std::vector<Group> groups_;
  bool waiting_ = false;
  bool reported_ = false;
};

}  // namespace gw
