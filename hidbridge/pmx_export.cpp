// libpmx.so's one export: a closed USB Media over the machine's HID devices with the UPS's
// vendor and product id.
#include "hidbridge/hid_media.h"
#include "hidbridge/ups_usb_ids.h"
#include "platform/clock.h"
#include "platform/hid.h"

// No arguments; null when memory runs out. The object is freed through its own release(), so
// this library's heap frees what it allocated.
extern "C" __attribute__((visibility("default"))) gw::Media* CreatePMXMediaObject() {
  return gw::HidMedia::create(gw::systemClock(), gw::systemHidBus(), gw::UPS_USB_VENDOR_ID,
                              gw::UPS_USB_PRODUCT_ID)
      .release();
}
