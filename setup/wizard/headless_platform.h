// An unattended run needs no screen: without a display it draws off screen.
#pragma once

#include <QtGlobal>

namespace gw::setup {

// Call before the application object is built.
inline void chooseHeadlessPlatform(bool unattended) {
  if (unattended && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
}

}  // namespace gw::setup
