#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tarnel::testing {

// The rows of a CSV text (quotes doubled inside quoted fields), the header row first.
QList<QStringList> CsvRows(const QString& text);

// What `program` (GPSBabel, GDAL's ogr2ogr) writes on its standard output as CSV, read as rows;
// nothing when it fails or takes more than 20 s.
QList<QStringList> ReadBack(const QString& program, const QStringList& arguments);

// Column `name` of each row but the header; nothing when the header has none.
QStringList Column(const QList<QStringList>& rows, const QString& name);

} // namespace tarnel::testing
