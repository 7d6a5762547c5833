// Sounds through a configured command or aplay, each player started as a child that a detached
// thread waits for, so the caller never blocks and no zombie is left behind.
#include "platform/sound.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/file_system.h"
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

// Starts the player and hands it to a detached thread, which feeds it `input` (when not empty)
// and reaps it.
ResultCode startDetached(SpawnOptions options, std::string input) {
  options.pipe_stdin = !input.empty();
  std::unique_ptr<ChildProcess> child;
  ResultCode rc = spawnProcess(options, &child);
  if (rc != RC_OK) return rc;
  std::unique_ptr<Pipe> in = child->takeStdin();
  try {
    std::thread([child = std::move(child), in = std::move(in), input = std::move(input)]() mutable {
      // A player that quits before reading must not take the process down with SIGPIPE; a
      // signal left pending on this thread is dropped when it ends.
      sigset_t pipe_signal;
      sigemptyset(&pipe_signal);
      sigaddset(&pipe_signal, SIGPIPE);
      pthread_sigmask(SIG_BLOCK, &pipe_signal, nullptr);
      if (in) {
        (void)in->write(input.data(), input.size());  // a player that refused it plays nothing
        in.reset();
      }
      int exit_code = 0;
      (void)child->wait(-1, &exit_code);  // only reaping matters; the sound is fire-and-forget
    }).detach();
  } catch (const std::system_error&) {
    // No thread to reap it: do not leave the player running unwatched.
    child->terminate();
    return RC_NO_MEMORY;
  }
  return RC_OK;
}

class PosixSoundPlayer final : public SoundPlayer {
 public:
  explicit PosixSoundPlayer(const SoundOptions& options)
      : program_dir_(options.program_dir), command_(options.command) {
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
    return startDetached(std::move(options), std::move(input));
  }

 private:
  std::string program_dir_;
  std::optional<std::string> command_;
  std::string aplay_;  // empty when not found
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
