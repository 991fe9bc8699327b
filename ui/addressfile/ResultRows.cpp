#include "ui/addressfile/ResultRows.h"

#include "spreadsheet/TableFile.h"

#include <QStringList>

namespace tarnel {

namespace {

QString CellText(const Row& row, qsizetype column) {
    return column >= 0 && column < row.size() ? row[column].text.trimmed() : QString();
}

// A number as the result writes it: a decimal comma in a ";"-separated file, a full stop
// elsewhere.
std::optional<double> Coordinate(const QString& text) {
    bool ok = false;
    const double value = QString(text).replace(u',', u'.').toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QString Address(const Row& row, const AddressColumns& columns) {
    if (columns.fullAddress >= 0) {
        return CellText(row, columns.fullAddress);
    }
    const QString postcode = columns.postcode >= 0 && columns.postcode < row.size()
                                 ? PostalCodeText(row[columns.postcode])
                                 : QString();
    QStringList parts = {
        (CellText(row, columns.number) + u' ' + CellText(row, columns.street)).trimmed(),
        CellText(row, columns.complement),
        (postcode + u' ' + CellText(row, columns.city)).trimmed(), CellText(row, columns.country)};
    parts.removeAll(QString());
    return parts.join(QStringLiteral(", "));
}

} // namespace

QList<ResultRow> ReadResultRows(const QString& output, const AddressColumns& columns,
                                QString& error) {
    QList<ResultRow> rows;
    const OpenedTable table = OpenTableFile(output);
    Row row;
    if (!table.reader || !table.reader->NextRow(row)) {
        error = table.reader ? table.reader->Error() : table.error;
        return rows;
    }
    // The added columns come last: an input column of the same name stays before them.
    const auto added = [&row](const char* name) {
        for (qsizetype i = row.size() - 1; i >= 0; --i) {
            if (row[i].text == QLatin1String(name)) {
                return i;
            }
        }
        return qsizetype{-1};
    };
    const qsizetype latitude = added("latitude");
    const qsizetype longitude = added("longitude");
    const qsizetype status = added("statut");
    const qsizetype label = added("adresse_trouvee");
    const qsizetype remark = added("remarque");
    qsizetype line = 1;
    while (table.reader->NextRow(row)) {
        rows.append({++line, Address(row, columns), CellText(row, status),
                     Coordinate(CellText(row, latitude)), Coordinate(CellText(row, longitude)),
                     CellText(row, label), CellText(row, remark)});
    }
    error = table.reader->Error();
    return rows;
}

} // namespace tarnel
