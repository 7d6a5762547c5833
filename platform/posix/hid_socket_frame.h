// Framing of the simulated HID device's Unix socket: how a process that plays a HID device
// (upssim) and a process that uses it (porter) talk when there is no kernel device between them.
//
// The stream is a sequence of frames: a type byte, the payload length (two bytes, low byte
// first, at most kHidFrameMaxPayload) and the payload. The host sends requests, and the device
// answers each with exactly one reply, in order; input reports come unasked at any time.
//   'Q'          -> 'q' vendor id, product id (two bytes each, low byte first)
//   'R'          -> 'r' the report descriptor
//   'G' id       -> 'g' the feature report, id first
//   'S' report   -> 's' (empty) once the feature report is set
//   'O' report   -> 'o' (empty) once the output report is taken
//   any request  -> 'e' result code (one byte) instead, when the device refuses
//   'I' report      an input report, from the device
// A frame of an unknown type is skipped; a length beyond the limit breaks the connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/hid.h"

namespace gw::posix {

inline constexpr uint8_t kHidAskIds = 'Q';
inline constexpr uint8_t kHidIds = 'q';
inline constexpr uint8_t kHidAskDescriptor = 'R';
inline constexpr uint8_t kHidDescriptor = 'r';
inline constexpr uint8_t kHidAskFeature = 'G';
inline constexpr uint8_t kHidFeature = 'g';
inline constexpr uint8_t kHidSetFeature = 'S';
inline constexpr uint8_t kHidFeatureSet = 's';
inline constexpr uint8_t kHidOutput = 'O';
inline constexpr uint8_t kHidOutputTaken = 'o';
inline constexpr uint8_t kHidRefused = 'e';
inline constexpr uint8_t kHidInput = 'I';

inline constexpr size_t kHidFrameHeader = 3;
inline constexpr size_t kHidFrameMaxPayload = kHidMaxReportBytes + 1;

struct HidFrame {
  uint8_t type = 0;
  std::string payload;
};

// Appends one frame; false (nothing appended) when the payload is over the limit.
[[nodiscard]] bool appendHidFrame(std::string* stream, uint8_t type, const void* payload,
                                  size_t length);

enum class HidFrameTake { kFrame, kNeedMore, kMalformed };

// Takes the first whole frame off the front of *stream.
HidFrameTake takeHidFrame(std::string* stream, HidFrame* frame);

}  // namespace gw::posix
