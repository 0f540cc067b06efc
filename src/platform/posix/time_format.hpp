#pragma once

#include <string_view>

namespace vantrix::platform {

// The time separator a locale's time format (strftime's, as nl_langinfo(T_FMT) gives it)
// shows: the one character between its hour and its minute, when that is a printable ASCII
// character other than a letter or a digit ("%H.%M.%S" gives "."). ":" for %T, %R and %r,
// which spell ":" themselves, and for every format without such a character: "%H時%M分%S秒"
// writes its hours as a word, and one byte of that word would be no separator at all.
char timeSeparatorOf(std::string_view format);

}  // namespace vantrix::platform
