// The closer's command line (the L and S switches) and the log path and save folder it settles.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gw {

// The values the switches gave; unset when the switch was not there.
struct CloserSwitches {
  std::optional<std::string> log_path;     // after "/L "
  std::optional<std::string> save_folder;  // after "/S "
};

struct CloserSettings {
  std::string log_path;             // where the "saved" records go
  std::string save_folder;          // where the typed file names point
  bool save_folder_is_default = false;  // the default folder is created at start
};

// A switch is '/', one character and a blank, at the start of the line or after a blank; any
// other '/' belongs to a path, so a value may hold '/' but no one-letter word after a '/'. Its
// value runs up to the next switch or the end of the line, blanks included (so the blank before
// a following switch stays in it); double quotes are removed from it. "L" and "S" are known,
// any other switch is skipped with its value. A later switch of the same letter wins.
CloserSwitches parseCloserCommandLine(std::string_view line);

// The switches' values, or the defaults: "saved" in `program_dir`, and "PCTemp" in `home_dir`.
CloserSettings settleCloserSettings(const CloserSwitches& switches, const std::string& program_dir,
                                    const std::string& home_dir);

// Creates the save folder when it is the default one; an existing folder or a failure is passed
// over, since the programs' own save dialogs then decide what happens.
void createDefaultSaveFolder(const CloserSettings& settings);

}  // namespace gw
