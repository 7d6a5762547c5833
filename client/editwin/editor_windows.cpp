// The editing windows' factories.
#include "client/editwin/editor_windows.h"

#include "client/editwin/log_window.h"
#include "client/editwin/schedule_window.h"
#include "client/editwin/settings_window.h"
#include "client/editwin/ups_config_window.h"

namespace gw {

void installEditorWindows(MainWindow& main_window, RunMemory& memory) {
  main_window.setWindowFactory(kSlotSettings, [&memory](WindowHost& host) {
    return std::unique_ptr<ClientWindow>(new SettingsWindow(host, memory));
  });
  main_window.setWindowFactory(kSlotUpsConfig, [](WindowHost& host) {
    return std::unique_ptr<ClientWindow>(new UpsConfigWindow(host));
  });
  main_window.setWindowFactory(kSlotSchedule, [&memory](WindowHost& host) {
    return std::unique_ptr<ClientWindow>(new ScheduleWindow(host, memory));
  });
  main_window.setWindowFactory(kSlotLog, [&memory](WindowHost& host) {
    return std::unique_ptr<ClientWindow>(new LogWindow(host, memory));
  });
}

}  // namespace gw
