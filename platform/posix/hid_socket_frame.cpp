// Encoding and decoding the simulated HID device's frames.
#include "platform/posix/hid_socket_frame.h"

namespace gw::posix {

bool appendHidFrame(std::string* stream, uint8_t type, const void* payload, size_t length) {
  if (length > kHidFrameMaxPayload) return false;
  stream->push_back(static_cast<char>(type));
  stream->push_back(static_cast<char>(length & 0xFF));
  stream->push_back(static_cast<char>(length >> 8));
  if (length > 0) stream->append(static_cast<const char*>(payload), length);
  return true;
}

HidFrameTake takeHidFrame(std::string* stream, HidFrame* frame) {
  if (stream->size() < kHidFrameHeader) return HidFrameTake::kNeedMore;
  const size_t length = static_cast<uint8_t>((*stream)[1]) |
                        static_cast<size_t>(static_cast<uint8_t>((*stream)[2])) << 8;
  if (length > kHidFrameMaxPayload) return HidFrameTake::kMalformed;
  if (stream->size() < kHidFrameHeader + length) return HidFrameTake::kNeedMore;
  frame->type = static_cast<uint8_t>((*stream)[0]);
  frame->payload.assign(*stream, kHidFrameHeader, length);
  stream->erase(0, kHidFrameHeader + length);
  return HidFrameTake::kFrame;
}

}  // namespace gw::posix
