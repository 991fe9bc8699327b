#pragma once

#include <QJsonObject>
#include <QString>

namespace tarnel {

// The text under `key` in an answer's object, trimmed; empty when missing or not a string.
QString JsonText(const QJsonObject& object, const char* key);

} // namespace tarnel
