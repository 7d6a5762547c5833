// The licence the Software License Agreement page shows.
#pragma once

namespace gw::setup {

inline constexpr const char* kLicenceText =
    "GRIDWATCH PLUS SOFTWARE LICENSE AGREEMENT\n"
    "\n"
    "Please read this agreement carefully before installing the software.\n"
    "\n"
    "1. Grant. Norvane grants you the right to install and use Gridwatch Plus on the computers\n"
    "   that are powered by an uninterruptible power supply you own or manage.\n"
    "\n"
    "2. Copies. You may copy the distribution folder for backup and for installation on those\n"
    "   computers. Every copy keeps this agreement.\n"
    "\n"
    "3. Shutdowns. Gridwatch Plus shuts computers down when the power supply tells it to, by\n"
    "   the policy you set. Save your work often; Norvane is not liable for data lost in a\n"
    "   shutdown or in a power failure.\n"
    "\n"
    "4. No warranty. The software is provided as it is, without warranty of any kind, to the\n"
    "   extent the law allows.\n"
    "\n"
    "5. End. This agreement ends when you remove the software from your computers.\n"
    "\n"
    "Do you accept all the terms of this agreement? If you choose No, Setup will close. To\n"
    "install Gridwatch Plus, you must accept this agreement.\n";

}  // namespace gw::setup
