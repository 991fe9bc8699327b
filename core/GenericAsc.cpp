#include "core/GenericAsc.h"

#include "core/Windows1252.h"

#include <QFile>

namespace tarnel {

QString GenericAscLine(const ExportedPoint& point) {
    return point.longitude + u',' + point.latitude + QStringLiteral(", \"") + point.street + u' ' +
           point.zipCode + u' ' + point.city + u' ' + point.state + u'"';
}

QByteArray GenericAscFileBytes(const ExportedPoint& point) {
    return ToWindows1252(GenericAscLine(point)) + "\r\n";
}

bool WriteGenericAscFile(const QString& path, const ExportedPoint& point) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const QByteArray bytes = GenericAscFileBytes(point);
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace tarnel
