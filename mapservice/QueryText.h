#pragma once

#include <QString>
#include <string_view>

namespace tarnel {

// The query value of a "/maps?q=" request target: everything after "q=", which may itself hold
// "&" or "=" typed by the user, since the program adds nothing after the value. Empty when the
// target has no query or its query does not start with "q=".
std::string_view MapQueryValue(std::string_view target);

// Decodes a raw query value: "+" becomes a blank, "%XX" the byte XX (a "%" not followed by two
// hex digits stays as it is); the bytes are then read as UTF-8 or, when they are not valid
// UTF-8, as windows-1252, so that the map view's UTF-8 escapes and the page fetch's
// windows-1252 escapes (a degree sign as %C2%B0 or as %B0) both come out right.
QString DecodeQueryValue(std::string_view raw);

} // namespace tarnel
