// QMessageBox with our captions; an empty caption stays empty rather than naming the program.
#include "setup/wizard/qt_prompts.h"

#include <QMessageBox>
#include <QString>

namespace gw::setup {
namespace {

int showBox(QWidget* parent, bool on_top, QMessageBox::Icon icon, const std::string& caption,
            const std::string& text, QMessageBox::StandardButtons buttons,
            QMessageBox::StandardButton default_button) {
  QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), buttons,
                  parent);
  box.setDefaultButton(default_button);
  if (on_top) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  return box.exec();
}

}  // namespace

bool QtPrompts::askYesNo(const std::string& caption, const std::string& text) {
  return showBox(parent_, stay_on_top_, QMessageBox::Question, caption, text,
                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

FaultChoice QtPrompts::askAbortRetryIgnore(const std::string& caption, const std::string& text) {
  int answer = showBox(parent_, stay_on_top_, QMessageBox::Warning, caption, text,
                       QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore,
                       QMessageBox::Abort);
  if (answer == QMessageBox::Retry) return FaultChoice::kRetry;
  if (answer == QMessageBox::Ignore) return FaultChoice::kIgnore;
  return FaultChoice::kAbort;  // Abort, or the box closed another way
}

void QtPrompts::tell(const std::string& caption, const std::string& text, MessageKind kind) {
  QMessageBox::Icon icon = kind == MessageKind::kError     ? QMessageBox::Critical
                           : kind == MessageKind::kWarning ? QMessageBox::Warning
                                                           : QMessageBox::Information;
  (void)showBox(parent_, stay_on_top_, icon, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

}  // namespace gw::setup
