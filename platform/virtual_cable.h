// The virtual serial cable's wire format, shared by the port end (the driver's serial port)
// and the simulated UPS at the other end: a Unix stream socket that carries the modem control
// lines as well as the data.
//
// Framing: the stream is a sequence of two-byte frames, a type byte and a value byte.
//   'D' v   one data byte v, in either direction.
//   'L' v   port to UPS: the whole output-line state after a change (bits kWireDtr, kWireRts,
//           kWireBreak). The UPS answers every 'L' with one 'A'.
//   'A' v   UPS to port: the input-line state (kWireDcd, kWireDsr, kWireCts, kWireRing) once the
//           'L' it answers has taken effect.
//   'M' v   UPS to port: the input-line state, sent when the UPS connects and whenever a line
//           changes on its own (mains failing, say).
// Frames of an unknown type are skipped. A new connection starts with every output line low.
#pragma once

#include <cstdint>

namespace gw {

inline constexpr uint8_t kFrameData = 'D';
inline constexpr uint8_t kFrameOutputs = 'L';
inline constexpr uint8_t kFrameAck = 'A';
inline constexpr uint8_t kFrameInputs = 'M';

inline constexpr uint8_t kWireDtr = 0x01;
inline constexpr uint8_t kWireRts = 0x02;
inline constexpr uint8_t kWireBreak = 0x04;
inline constexpr uint8_t kWireDcd = 0x01;
inline constexpr uint8_t kWireDsr = 0x02;
inline constexpr uint8_t kWireCts = 0x04;
inline constexpr uint8_t kWireRing = 0x08;

// Conversions between the LineStatus and LineControl bits of serial_port.h and the wire bits.
uint8_t outputsToWire(uint32_t modem_outputs);
uint32_t outputsFromWire(uint8_t wire);
uint8_t inputsToWire(uint32_t modem_inputs);
uint32_t inputsFromWire(uint8_t wire);

}  // namespace gw
