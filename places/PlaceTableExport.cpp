#include "places/PlaceTableExport.h"

#include "places/PlaceExport.h"
#include "spreadsheet/TableFileWriting.h"

namespace tarnel {

namespace {

Cell Number(double value) {
    return {QString::number(value, 'g', 15), Cell::Kind::Number};
}

Cell Text(const QString& text) {
    return {text, Cell::Kind::ForeignText};
}

Row PlaceRow(const SavedPlace& place) {
    return {Text(place.name),
            Number(place.latitude),
            Number(place.longitude),
            place.altitude ? Number(*place.altitude) : Cell{},
            Text(place.address),
            Text(place.note),
            {place.added.toUTC().toString(Qt::ISODate)}};
}

} // namespace

TableDialect FrenchExcelCsv() {
    TableDialect dialect;
    dialect.separator = u';';
    dialect.encoding = TextEncoding::Windows1252;
    dialect.lineEnd = LineEnd::CrLf;
    return dialect;
}

TableDialect Utf8Csv() {
    TableDialect dialect;
    dialect.separator = u',';
    dialect.encoding = TextEncoding::Utf8;
    dialect.lineEnd = LineEnd::Lf;
    return dialect;
}

ExportOutcome WritePlacesTable(const QString& path, const TableDialect& dialect,
                               const QList<SavedPlace>& places) {
    qsizetype next = -1;
    const bool written = WriteTableFile(path, dialect, [&](Row& row) {
        if (next == places.size())
            return false;
        row = next < 0 ? Row{{u"nom"_qs},     {u"latitude"_qs}, {u"longitude"_qs}, {u"altitude"_qs},
                             {u"adresse"_qs}, {u"note"_qs},     {u"ajout"_qs}}
                       : PlaceRow(places[next]);
        ++next;
        return true;
    });
    if (!written)
        return PlacesNotWritten(path);
    return {true, {}};
}

} // namespace tarnel
