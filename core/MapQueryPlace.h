#pragma once

#include <QString>

namespace tarnel {

// The place a map query URL asks for, as a person reads it: the value after its "?q=", with
// "+" read as a blank and percent escapes decoded as UTF-8, the way the map service reads it.
// Empty when the URL carries no such query.
QString MapQueryPlace(const QString& url);

} // namespace tarnel
