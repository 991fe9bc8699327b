#include "core/GenericAsc.h"

#include "core/FileReplace.h"
#include "core/Windows1252.h"

namespace tarnel {

QString ExportedPointName(const ExportedPoint& point) {
    return point.street + u' ' + point.zipCode + u' ' + point.city + u' ' + point.state;
}

QString GenericAscLine(const ExportedPoint& point) {
    return point.longitude + u',' + point.latitude + QStringLiteral(", \"") +
           ExportedPointName(point) + u'"';
}

QByteArray GenericAscFileBytes(const ExportedPoint& point) {
    return ToWindows1252(GenericAscLine(point)) + "\r\n";
}

bool WriteGenericAscFile(const QString& path, const ExportedPoint& point) {
    return ReplaceFileContents(path, GenericAscFileBytes(point));
}

} // namespace tarnel
