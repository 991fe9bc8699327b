#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tarnel {

struct ExportedPoint {
    QString longitude;
    QString latitude;
    QString street;
    QString zipCode;
    QString city;
    QString state;
    // The ground's altitude in metres, when known: the exchange formats carry it, Generic.ASC
    // does not.
    std::optional<double> altitude{};
};

// The point's name: street, postal code, town and country joined by single blanks, as typed.
QString ExportedPointName(const ExportedPoint& point);

// longitude "," latitude ", " and the quoted "street zip city state", nothing trimmed.
QString GenericAscLine(const ExportedPoint& point);

// The whole file: the line and CR LF, windows-1252.
QByteArray GenericAscFileBytes(const ExportedPoint& point);

// Writes the file at `path`, replacing any previous one only once the new one is whole (see
// ReplaceFileContents). False when it could not be written; the previous file is then intact.
bool WriteGenericAscFile(const QString& path, const ExportedPoint& point);

} // namespace tarnel
