// One command/answer transaction with a UPS.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace gw {

struct Exchange {
  static constexpr int kMaxBytes = 128;
  // Answer length that takes whatever arrives until the line is quiet.
  static constexpr int kWhatever = -1;

  int command_length = 0;
  int answer_length = 0;
  uint8_t command[kMaxBytes] = {};
  uint8_t answer[kMaxBytes] = {};
  // Bytes received by the last run.
  int received = 0;

  // A command cut to kMaxBytes.
  static Exchange of(std::string_view command, int answer_length) {
    Exchange e;
    e.command_length = static_cast<int>(command.size() < kMaxBytes ? command.size() : kMaxBytes);
    std::memcpy(e.command, command.data(), static_cast<size_t>(e.command_length));
    e.answer_length = answer_length;
    return e;
  }

  std::string_view answerText() const {
    return std::string_view(reinterpret_cast<const char*>(answer), static_cast<size_t>(received));
  }
};

}  // namespace gw
