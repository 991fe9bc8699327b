#include "places/TablePlaces.h"

#include "places/CoordinateReading.h"
#include "places/PlaceColumns.h"
#include "spreadsheet/TableFile.h"

#include <QBuffer>
#include <QStringList>

namespace tarnel {

namespace {

// Row numbers a warning names at most.
constexpr qsizetype kNamedRows = 5;

bool Blank(const Row& row) {
    for (const Cell& cell : row) {
        if (!cell.text.trimmed().isEmpty())
            return false;
    }
    return true;
}

// "lignes 4, 9 et 12".
QString RowNumbers(const QList<qsizetype>& rows) {
    QStringList numbers;
    for (const qsizetype row : rows)
        numbers.append(QString::number(row));
    const QString last = numbers.takeLast();
    if (numbers.isEmpty())
        return QStringLiteral("ligne ") + last;
    return QStringLiteral("lignes %1 et %2").arg(numbers.join(QStringLiteral(", ")), last);
}

QStringList LeftOutWarning(qsizetype count, const QList<qsizetype>& first) {
    if (count == 0)
        return {};
    if (count == 1)
        return {QStringLiteral("1 ligne a été laissée de côté, ses coordonnées n'ayant pas pu être "
                               "lues (%1).")
                    .arg(RowNumbers(first))};
    return {QStringLiteral("%1 lignes ont été laissées de côté, leurs coordonnées n'ayant pas pu "
                           "être lues (%2%3).")
                .arg(count)
                .arg(count > first.size() ? QStringLiteral("les premières : ") : QString())
                .arg(RowNumbers(first))};
}

PlaceFileReading Refusal(const QString& problem) {
    return {{}, {}, problem};
}

QString FormatName(TableFormat format) {
    switch (format) {
    case TableFormat::Xlsx:
        return QStringLiteral("un classeur XLSX");
    case TableFormat::Ods:
        return QStringLiteral("un classeur ODS");
    case TableFormat::Csv:
        break;
    }
    return QStringLiteral("un tableau CSV");
}

} // namespace

PlaceFileReading ReadTablePlaces(const QByteArray& bytes, TableFormat named) {
    auto device = std::make_unique<QBuffer>();
    device->setData(bytes);
    device->open(QIODevice::ReadOnly);
    const OpenedTable table = OpenTable(std::move(device));
    if (!table.reader)
        return Refusal(table.error);
    TableReader& reader = *table.reader;
    if (const TableFormat format = reader.Dialect().format; format != named)
        return Refusal(QStringLiteral("Ce fichier n'est pas %1 comme son nom l'indique : c'est %2.")
                           .arg(FormatName(named), FormatName(format)));
    Row row;
    if (!reader.NextRow(row))
        return Refusal(reader.Error());
    const PlaceColumns columns = FindPlaceColumns(row);
    if (!columns.Located())
        return Refusal(QStringLiteral("Le tableau n'a pas de colonnes de coordonnées : sa "
                                      "première ligne doit nommer une colonne « latitude » et une "
                                      "colonne « longitude », ou une colonne « coordonnées »."));
    PlaceFileReading reading;
    qsizetype number = 1;
    qsizetype leftOut = 0;
    QList<qsizetype> firstLeftOut;
    while (reader.NextRow(row)) {
        ++number;
        if (Blank(row))
            continue;
        const std::optional<GeoPoint> point = columns.PointOf(row);
        if (!point) {
            if (++leftOut <= kNamedRows)
                firstLeftOut.append(number);
            continue;
        }
        SavedPlace place;
        place.latitude = point->latitude;
        place.longitude = point->longitude;
        place.address = PlaceColumns::Text(row, columns.address);
        place.note = PlaceColumns::Text(row, columns.note);
        place.name = PlaceColumns::Text(row, columns.name);
        if (place.name.isEmpty())
            place.name = place.address;
        if (place.name.isEmpty())
            place.name = QStringLiteral("Ligne %1").arg(number);
        // A decimal comma where the table's dialect writes one.
        place.altitude =
            ReadFileNumber(PlaceColumns::Text(row, columns.altitude).replace(u',', u'.'), 1e6);
        reading.places.append(place);
    }
    if (!reader.Error().isEmpty())
        return Refusal(reader.Error());
    reading.warnings = LeftOutWarning(leftOut, firstLeftOut);
    return reading;
}

} // namespace tarnel
