// The Uninstall page: a progress window while the files go.
#pragma once

#include <QProgressDialog>
#include <memory>

#include "setup/logic/uninstaller.h"

namespace gw::setup {

class RemovalProgress final : public RemovalObserver {
 public:
  void begin() override;
  void progress(int percent) override;
  void end() override;

 private:
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace gw::setup
