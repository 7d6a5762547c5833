// Sounds through a configured command or aplay, each player started as a child that the sound
// player's one reaper thread feeds and waits for, so the caller never blocks and no zombie is
// left behind.
#include "platform/sound.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "platform/file_system.h"
#include "platform/posix/child_reaper.h"
#include "platform/process.h"

namespace gw {
namespace {

// A quarter-second 880 Hz tone, 8 kHz 8-bit mono: small enough (about 2 KB) to sit whole in a
// pipe's buffer, so feeding it never waits for the player.
std::string beepWave() {
  constexpr uint32_t kRate = 8000;
  constexpr uint32_t kSamples = kRate / 4;
  std::string w;
  auto u32 = [&w](uint32_t v) {
    for (int i = 0; i < 4; ++i) w.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  auto u16 = [&w](uint16_t v) {
    w.push_back(static_cast<char>(v & 0xFF));
    w.push_back(static_cast<char>(v >> 8));
  };
  w += "RIFF";
  u32(36 + kSamples);
  w += "WAVEfmt ";
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(kRate);
  u32(kRate);  // bytes per second
  u16(1);      // block align
  u16(8);      // bits per sample
  w += "data";
  u32(kSamples);
  for (uint32_t i = 0; i < kSamples; ++i) {
    double s = std::sin(2.0 * 3.14159265358979 * 880.0 * i / kRate);
    w.push_back(static_cast<char>(static_cast<uint8_t>(128 + 60 * s)));
  }
  return w;
}

std::string findOnPath(const std::string& search_path, const std::string& name) {
  size_t start = 0;
  while (start <= search_path.size()) {
    size_t end = search_path.find(':', start);
    if (end == std::string::npos) end = search_path.size();
    std::string dir = search_path.substr(start, end - start);
    if (!dir.empty()) {
      std::string candidate = joinPath(dir, name);
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    start = end + 1;
  }
  return {};
}

class PosixSoundPlayer final : public SoundPlayer {
 public:
  explicit PosixSoundPlayer(const SoundOptions& options)
      : program_dir_(options.program_dir),
        command_(options.command),
        reaper_(options.stop_grace_ms) {
    if (!command_) aplay_ = findOnPath(options.search_path, "aplay");
  }

  ResultCode playSound(const std::string& content) override {
    std::string file;
    if (!content.empty()) {
      file = joinPath(program_dir_, content);
      if (!fileExists(file)) return RC_NOT_AVAILABLE;
    }
    SpawnOptions options;
    std::string input;
    if (command_) {
      // The path travels as a positional parameter, so no file name is ever parsed by the shell.
      options.program = "/bin/sh";
      options.args = {"-c", file.empty() ? *command_ : *command_ + " \"$1\"", "sh"};
      if (!file.empty()) options.args.push_back(file);
    } else if (!aplay_.empty()) {
      options.program = aplay_;
      options.args = {"-q", file.empty() ? "-" : file};
      if (file.empty()) input = beepWave();
    } else {
      return RC_UNSUPPORTED;
    }
    options.pipe_stdin = !input.empty();
    // Its own group, so that ending it at the player's end also ends what a shell started.
    options.new_process_group = true;
    std::unique_ptr<ChildProcess> child;
    ResultCode rc = spawnProcess(options, &child);
    if (rc != RC_OK) return rc;
    std::unique_ptr<Pipe> in = child->takeStdin();
    return reaper_.adopt(std::move(child), std::move(in), std::move(input));
  }

 private:
  std::string program_dir_;
  std::optional<std::string> command_;
  std::string aplay_;  // empty when not found
  posix::ChildReaper reaper_;
};

}  // namespace

SoundOptions soundOptionsFromEnvironment(const std::string& program_dir) {
  SoundOptions options;
  options.program_dir = program_dir;
  if (const char* command = std::getenv("GRIDWATCH_SOUND_COMMAND")) options.command = command;
  if (const char* path = std::getenv("PATH")) options.search_path = path;
  return options;
}

std::unique_ptr<SoundPlayer> createSoundPlayer(const SoundOptions& options) {
  return std::make_unique<PosixSoundPlayer>(options);
}

}  // namespace gw
