// Scripts a FakeMedia to answer like a binary-protocol UPS: identity, identity registers,
// setting registers and status answers built byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "testing/fake_media.h"

namespace gw {

inline std::string byteString(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(static_cast<uint8_t>(b)));
  return s;
}

// The 21-byte "F" answer: model padded to 10 characters, rated volts, frequency, firmware.
inline std::string identityAnswer(std::string_view model, int volt = 230, int freq = 50,
                                  std::string_view firmware = "2001") {
  std::string a = ".";
  std::string name(model.substr(0, 10));
  name.resize(10, ' ');
  a += name;
  a += '.';
  a.push_back(static_cast<char>(volt));
  a += '.';
  a.push_back(static_cast<char>(freq));
  a += '.';
  a += std::string(firmware.substr(0, 4));
  a += '\r';
  return a;
}

// The 14-byte "D" answer with correct complements unless told otherwise.
inline std::string statusAnswer(int input, int output, int load, int capacity, int temperature,
                                int frequency, int status, bool bad_complement = false) {
  const int complement = (~status & 0xFF) ^ (bad_complement ? 0x01 : 0);
  return byteString({'#', input, output, load, '.', capacity, temperature, frequency, '.', status,
                     complement, 0x5A, 0xA5, '\r'});
}

inline std::string registerRead(int reg) { return byteString({'R', reg, '\r'}); }
inline std::string registerAnswer(int raw) { return byteString({'R', raw}); }

// A UPS of `model` whose identity registers read `avr_raw` (61), `line_raw` (41) and
// `variant_raw` (43).
inline void scriptBinaryUps(FakeMedia& media, std::string_view model, int line_raw = 0,
                            int variant_raw = 0, int avr_raw = 0) {
  media.answerAlways("F\r", identityAnswer(model));
  media.answerAlways(registerRead(61), registerAnswer(avr_raw));
  media.answerAlways(registerRead(41), registerAnswer(line_raw));
  media.answerAlways(registerRead(43), registerAnswer(variant_raw));
}

}  // namespace gw
