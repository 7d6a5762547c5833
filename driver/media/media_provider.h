// Creates the driver's byte channels: the pipe link to the service and the media to the UPS.
//
// USB media come from the bridge library, loaded at construction and unloaded at destruction;
// every Media it created must be released before the provider is destroyed. When the library
// or its export is missing, USB media are simply unavailable. Single-threaded.
#pragma once

#include <memory>
#include <string>

#include "driver/media/media.h"
#include "driver/media/pipe_link.h"
#include "driver/media/serial_media.h"
#include "platform/clock.h"
#include "platform/dynamic_library.h"
#include "platform/pipe.h"

namespace gw {

// The bridge library's file name (looked for in the driver's own directory) and its one export,
// a function without arguments that returns a new, closed USB Media or null.
inline constexpr const char* kBridgeLibraryName = "libpmx.so";
inline constexpr const char* kBridgeFactoryExport = "CreatePMXMediaObject";
using BridgeFactoryFn = Media* (*)();

class MediaProvider {
 public:
  // `clock` paces the serial media and must outlive the provider. An empty bridge_library_path
  // means no USB.
  MediaProvider(Clock& clock, const std::string& bridge_library_path,
                SerialPortOpener opener = openComPort);
  MediaProvider(const MediaProvider&) = delete;
  MediaProvider& operator=(const MediaProvider&) = delete;
  virtual ~MediaProvider() = default;

  // A link over the two ends; null when either is missing.
  virtual std::unique_ptr<PipeLink> createLink(std::unique_ptr<Pipe> in, std::unique_ptr<Pipe> out);
  // An opened media: type 2 serial port COM<index>, type 3 USB device <index>. Null for other
  // types, when USB is unavailable, or when open(index) fails (that media is released).
  virtual MediaPtr createMedia(int type, int index);

  bool usbAvailable() const { return bridge_factory_ != nullptr; }

 private:
  Clock& clock_;
  SerialPortOpener opener_;
  std::unique_ptr<DynamicLibrary> bridge_;
  BridgeFactoryFn bridge_factory_ = nullptr;
};

}  // namespace gw
