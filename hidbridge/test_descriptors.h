// Report descriptors shaped like real devices', for the parser and report tests.
#pragma once

#include <cstdint>
#include <vector>

namespace gw::test_descriptors {

// A UPS on the power-device page with three report ids, input report 1 split around report 2.
//   input 1:   0x30 @0 (16 bits), 0x31 @16 (16), 0x32 @32 (8)   -> 6 bytes
//   input 2:   0x35 @0 (8)                                       -> 2 bytes
//   feature 1: 0x40 @0 (8)                                       -> 2 bytes
//   feature 3: 0x41 @0, two 8-bit fields (a value array)         -> 3 bytes
inline const std::vector<uint8_t> kSeveralIds = {
    0x05, 0x84,              // Usage Page (Power Device)
    0x09, 0x04,              // Usage (UPS)
    0xA1, 0x01,              // Collection (Application)
    0x85, 0x01,              //   Report ID (1)
    0x09, 0x30,              //   Usage (Voltage)
    0x09, 0x31,              //   Usage (Current)
    0x75, 0x10,              //   Report Size (16)
    0x95, 0x02,              //   Report Count (2)
    0x15, 0x00,              //   Logical Minimum (0)
    0x27, 0xFF, 0xFF, 0x00, 0x00,  // Logical Maximum (65535)
    0x81, 0x02,              //   Input (Data, Variable, Absolute)
    0x85, 0x02,              //   Report ID (2)
    0x09, 0x35,              //   Usage (Percent Load)
    0x75, 0x08,              //   Report Size (8)
    0x95, 0x01,              //   Report Count (1)
    0x25, 0x64,              //   Logical Maximum (100)
    0x81, 0x02,              //   Input
    0x85, 0x01,              //   Report ID (1) again: continues after its earlier fields
    0x09, 0x32,              //   Usage (Frequency)
    0x81, 0x02,              //   Input
    0x09, 0x40,              //   Usage (Config Voltage)
    0xB1, 0x02,              //   Feature
    0x85, 0x03,              //   Report ID (3)
    0x09, 0x41,              //   Usage (Config Current)
    0x95, 0x02,              //   Report Count (2)
    0x26, 0xFF, 0x00,        //   Logical Maximum (255)
    0xB1, 0x02,              //   Feature
    0xC0,                    // End Collection
};

// A mouse: five buttons as a usage range, padding, and signed X, Y and wheel. Unnumbered.
//   input: buttons 1..5 @0 (1 bit each), X @8, Y @16, wheel @24 (8 bits each) -> 5 bytes
inline const std::vector<uint8_t> kRanges = {
    0x05, 0x01,  // Usage Page (Generic Desktop)
    0x09, 0x02,  // Usage (Mouse)
    0xA1, 0x01,  // Collection (Application)
    0x09, 0x01,  //   Usage (Pointer)
    0xA1, 0x00,  //   Collection (Physical)
    0x05, 0x09,  //     Usage Page (Button)
    0x19, 0x01,  //     Usage Minimum (1)
    0x29, 0x05,  //     Usage Maximum (5)
    0x15, 0x00,  //     Logical Minimum (0)
    0x25, 0x01,  //     Logical Maximum (1)
    0x75, 0x01,  //     Report Size (1)
    0x95, 0x05,  //     Report Count (5)
    0x81, 0x02,  //     Input (Data, Variable, Absolute)
    0x75, 0x03,  //     Report Size (3)
    0x95, 0x01,  //     Report Count (1)
    0x81, 0x01,  //     Input (Constant): padding
    0x05, 0x01,  //     Usage Page (Generic Desktop)
    0x09, 0x30,  //     Usage (X)
    0x09, 0x31,  //     Usage (Y)
    0x09, 0x38,  //     Usage (Wheel)
    0x15, 0x81,  //     Logical Minimum (-127)
    0x25, 0x7F,  //     Logical Maximum (127)
    0x75, 0x08,  //     Report Size (8)
    0x95, 0x03,  //     Report Count (3)
    0x81, 0x06,  //     Input (Data, Variable, Relative)
    0xC0,        //   End Collection
    0xC0,        // End Collection
};

// A keyboard: eight modifier buttons, a reserved byte, six key slots (an array), LED outputs,
// and a vendor array with a usage list inside Push and Pop. Unnumbered.
//   input: modifiers 0xE0..0xE7 @0, reserved @8, keys array @16 (6 x 8 bits),
//          vendor array @64 (2 x 4 bits, selectors 1..3 = usages 0x20, 0x21, 0x22) -> 10 bytes
//   output: LEDs 1..5 @0, padding                                                 -> 2 bytes
inline const std::vector<uint8_t> kArrays = {
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x06,        // Usage (Keyboard)
    0xA1, 0x01,        // Collection (Application)
    0x05, 0x07,        //   Usage Page (Keyboard)
    0x19, 0xE0,        //   Usage Minimum (Left Control)
    0x29, 0xE7,        //   Usage Maximum (Right GUI)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x08,        //   Report Count (8)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x95, 0x01,        //   Report Count (1)
    0x75, 0x08,        //   Report Size (8)
    0x81, 0x01,        //   Input (Constant)
    0x19, 0x00,        //   Usage Minimum (0)
    0x29, 0x65,        //   Usage Maximum (0x65)
    0x25, 0x65,        //   Logical Maximum (0x65)
    0x95, 0x06,        //   Report Count (6)
    0x81, 0x00,        //   Input (Data, Array)
    0xA4,              //   Push
    0x06, 0x00, 0xFF,  //     Usage Page (vendor 0xFF00)
    0x09, 0x20,        //     Usage (0x20)
    0x09, 0x21,        //     Usage (0x21)
    0x09, 0x22,        //     Usage (0x22)
    0x15, 0x01,        //     Logical Minimum (1)
    0x25, 0x03,        //     Logical Maximum (3)
    0x75, 0x04,        //     Report Size (4)
    0x95, 0x02,        //     Report Count (2)
    0x81, 0x00,        //     Input (Data, Array)
    0xB4,              //   Pop: page Keyboard, size 8, count 6, logical 0..0x65 again
    0x05, 0x08,        //   Usage Page (LEDs)
    0x19, 0x01,        //   Usage Minimum (Num Lock)
    0x29, 0x05,        //   Usage Maximum (Kana)
    0x25, 0x01,        //   Logical Maximum (1)
    0x95, 0x05,        //   Report Count (5)
    0x75, 0x01,        //   Report Size (1)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0x95, 0x01,        //   Report Count (1)
    0x75, 0x03,        //   Report Size (3)
    0x91, 0x01,        //   Output (Constant)
    0xC0,              // End Collection
};

}  // namespace gw::test_descriptors
