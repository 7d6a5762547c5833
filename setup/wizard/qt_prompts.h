// Setup's message boxes as Qt message boxes, each with its default button on Enter.
#pragma once

#include <QPointer>
#include <QWidget>

#include "setup/logic/setup_prompts.h"

namespace gw::setup {

class QtPrompts final : public SetupPrompts {
 public:
  // `stay_on_top` keeps the boxes above every other window, as the launcher's question is.
  explicit QtPrompts(bool stay_on_top = false) : stay_on_top_(stay_on_top) {}

  // The window the boxes belong to; none before the first window exists.
  void setParentWidget(QWidget* parent) { parent_ = parent; }

  bool askYesNo(const std::string& caption, const std::string& text) override;
  FaultChoice askAbortRetryIgnore(const std::string& caption, const std::string& text) override;
  void tell(const std::string& caption, const std::string& text, MessageKind kind) override;

 private:
  bool stay_on_top_;
  QPointer<QWidget> parent_;
};

}  // namespace gw::setup
