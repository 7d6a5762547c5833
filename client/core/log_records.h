// Terminal forms of the service's log records ("2002/07/15 13:05:09 004" and the status
// records with six measured values).
#pragma once

#include <string>
#include <string_view>

#include "client/core/event_texts.h"

namespace gw {

// The event code of an event record; false when the line is not one.
[[nodiscard]] bool eventRecordCode(std::string_view record, int* code);

// "2002/07/15 13:05:09  UPS power failure." A line that is not an event record is given back
// unchanged, so nothing the service sent is hidden.
std::string formatEventRecord(std::string_view record, const EventTexts& texts);

// The column titles over formatStatusRecord's lines.
std::string statusRecordHeader();

// The time and the six values (input and output voltage, capacity, load, frequency,
// temperature) in their units, in columns under statusRecordHeader. A line that is not a status
// record is given back unchanged.
std::string formatStatusRecord(std::string_view record);

}  // namespace gw
