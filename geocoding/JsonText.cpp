#include "geocoding/JsonText.h"

namespace tarnel {

QString JsonText(const QJsonObject& object, const char* key) {
    return object.value(QLatin1String(key)).toString().trimmed();
}

} // namespace tarnel
