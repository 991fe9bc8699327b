#pragma once

#include <QString>

namespace tarnel {

// The base URL ("http://<host>/maps?q=") of the map service the windows talk to. This is the
// one place where the program starts its own map service when it was built without a host.
QString StartMapService();

} // namespace tarnel
