// Sounds of the policy's sound action: a sound file from the program directory, or a warning
// beep. Playing never blocks the caller.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "common/result_code.h"

namespace gw {

class SoundPlayer {
 public:
  SoundPlayer() = default;
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;
  // Lets sounds still playing finish, at most SoundOptions::stop_grace_ms, and ends the rest:
  // nothing the player started outlives it.
  virtual ~SoundPlayer() = default;

  // Empty `content`: a warning beep. Otherwise plays "<program directory>/<content>"; a file
  // that does not exist plays nothing (no default sound): RC_NOT_AVAILABLE. The player program
  // is started and reaped without the caller waiting; RC_OK means it was started,
  // RC_UNSUPPORTED that no player is available. Safe to call from any thread.
  [[nodiscard]] virtual ResultCode playSound(const std::string& content) = 0;
};

struct SoundOptions {
  std::string program_dir;             // where sound files are found
  std::optional<std::string> command;  // a shell command line; run with the file's path as its
                                       // one argument, or with none for a beep
  std::string search_path;             // ':'-separated directories searched for "aplay" when
                                       // there is no command
  int stop_grace_ms = 2000;            // how long the player's end waits for a running sound
};

// program_dir as given, command from GRIDWATCH_SOUND_COMMAND (unset: none), search path from
// PATH.
SoundOptions soundOptionsFromEnvironment(const std::string& program_dir);

// Without a command, sounds go to "aplay" when it is found on the search path (a beep is a
// short tone fed to it on standard input), otherwise nothing plays.
std::unique_ptr<SoundPlayer> createSoundPlayer(const SoundOptions& options);

}  // namespace gw
