// Media provider: serial media made here, USB media made by the bridge library.
#include "driver/media/media_provider.h"

namespace gw {

MediaProvider::MediaProvider(Clock& clock, const std::string& bridge_library_path,
                             SerialPortOpener opener)
    : clock_(clock), opener_(std::move(opener)) {
  if (bridge_library_path.empty()) return;
  std::unique_ptr<DynamicLibrary> lib;
  if (DynamicLibrary::load(bridge_library_path, &lib) != RC_OK) return;
  auto factory = reinterpret_cast<BridgeFactoryFn>(lib->symbol(kBridgeFactoryExport));
  if (!factory) return;  // not our bridge: unload it again
  bridge_ = std::move(lib);
  bridge_factory_ = factory;
}

std::unique_ptr<PipeLink> MediaProvider::createLink(std::unique_ptr<Pipe> in,
                                                    std::unique_ptr<Pipe> out) {
  if (!in || !out) return nullptr;
  return std::make_unique<PipeLink>(std::move(in), std::move(out));
}

MediaPtr MediaProvider::createMedia(int type, int index) {
  MediaPtr media;
  if (type == kMediaSerial) {
    media = SerialMedia::create(clock_, opener_);
  } else if (type == kMediaUsb && bridge_factory_) {
    media.reset(bridge_factory_());
  }
  if (!media || !media->open(index)) return nullptr;
  return media;
}

}  // namespace gw
