// The terminal form of schedule items ("2 2 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00").
#pragma once

#include <string>
#include <string_view>

namespace gw {

// The column titles over formatScheduleItem's lines.
std::string scheduleHeader();

// "daily    2002/11/05 Tue 22:30:00  shut down, UPS output back on 2002/11/06 Wed 07:00:00".
// A line that is not an item is given back unchanged.
std::string formatScheduleItem(std::string_view item);

}  // namespace gw
