#pragma once

#include <QByteArray>
#include <QString>

namespace tarnel {

struct ExportedPoint {
    QString longitude;
    QString latitude;
    QString street;
    QString zipCode;
    QString city;
    QString state;
};

// longitude "," latitude ", " and the quoted "street zip city state", nothing trimmed.
QString GenericAscLine(const ExportedPoint& point);

// The whole file: the line and CR LF, windows-1252.
QByteArray GenericAscFileBytes(const ExportedPoint& point);

// Creates or truncates `path` and writes the file. False when it could not be written whole.
bool WriteGenericAscFile(const QString& path, const ExportedPoint& point);

} // namespace tarnel
