// Registers the editing windows with the main window: the settings, UPS configuration,
// schedule and log windows open from their buttons from then on.
#pragma once

#include "client/editors/run_memory.h"
#include "client/monview/main_window.h"

namespace gw {

// The memory must outlive the main window.
void installEditorWindows(MainWindow& main_window, RunMemory& memory);

}  // namespace gw
