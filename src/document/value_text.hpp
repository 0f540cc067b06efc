#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrix {

// The text of the document's values. `timeSeparator` goes between hours, minutes and seconds.

// A date serial (days since 1899-12-30 00:00:00, the fraction the time of day) as
// "yyyy-mm-dd-hh:mm:ss". Seconds are cut, not rounded; a serial that is not finite or lies
// beyond any calendar gives every field 0.
std::string saveTimeText(double serial, char timeSeparator);

// A playing time of 60 frames a second as "hhh:mm:ss": at least three digits of hours, whole
// seconds rounded half to even.
std::string playingTimeText(std::int32_t frameCount, char timeSeparator);

// The save slot number in the two characters before a four-character extension
// ("Save03.lsd" gives "3", "Save.7.lsd" gives "0.7"); empty when they hold no number or one
// that rounds to a multiple of 256.
std::string saveSlotId(std::string_view inputFileName);

}  // namespace vantrix
