#include "addressfile/BatchOutput.h"

#include "spreadsheet/TableFile.h"
#include "spreadsheet/TableFileWriting.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <utility>

namespace tarnel {

namespace {

const QStringList kAddedColumns = {u"latitude"_qs,        u"longitude"_qs, u"statut"_qs,
                                   u"adresse_trouvee"_qs, u"precision"_qs, u"source"_qs,
                                   u"remarque"_qs};

Cell NumberCell(const std::optional<double>& value, int decimals) {
    if (!value) {
        return {};
    }
    return {QString::number(*value, 'f', decimals), Cell::Kind::Number};
}

// The service gives altitudes to the centimetre.
constexpr int kAltitudeDecimals = 2;
constexpr int kCoordinateDecimals = 6;

} // namespace

void AppendOutcomeCells(Row& row, const RowOutcome& outcome, const ExtraColumns& extra) {
    const bool found = outcome.status == RowStatus::Found;
    row.append(NumberCell(outcome.latitude, kCoordinateDecimals));
    row.append(NumberCell(outcome.longitude, kCoordinateDecimals));
    row.append({RowStatusText(outcome.status), Cell::Kind::Text});
    row.append({outcome.label, Cell::Kind::ForeignText});
    row.append({outcome.precision, Cell::Kind::Text});
    row.append({outcome.status == RowStatus::Found || outcome.status == RowStatus::ToCheck
                    ? outcome.source
                    : QString(),
                Cell::Kind::Text});
    row.append({outcome.remark, Cell::Kind::ForeignText});
    if (extra.altitude) {
        row.append(NumberCell(found ? outcome.altitude : std::nullopt, kAltitudeDecimals));
    }
    if (extra.cityCode) {
        row.append({found ? outcome.cityCode : QString(), Cell::Kind::ForeignText});
    }
}

QString WriteBatchOutput(const QString& input, const TableDialect& dialect, const QString& output,
                         qsizetype width, const ExtraColumns& extra, BatchJournal& journal,
                         std::array<qsizetype, 4>& counts) {
    OpenedTable table = ReopenTableFile(input, dialect);
    if (!table.reader) {
        return table.error;
    }
    Row header;
    table.reader->NextRow(header);
    header.resize(width);
    QStringList added = kAddedColumns;
    if (extra.altitude) {
        added.append(u"altitude"_qs);
    }
    if (extra.cityCode) {
        added.append(u"code_insee"_qs);
    }
    for (const QString& name : std::as_const(added)) {
        header.append({name, Cell::Kind::Text});
    }
    if (!journal.StartReading()) {
        return journal.Error();
    }
    counts = {};
    std::optional<std::pair<qsizetype, RowOutcome>> next = journal.NextOutcome();
    bool headerWritten = false;
    qsizetype index = -1;
    TableReader& reader = *table.reader;
    const bool written = WriteTableFile(output, reader.Dialect(), [&](Row& row) {
        if (!headerWritten) {
            headerWritten = true;
            row = header;
            return true;
        }
        if (!reader.NextRow(row)) {
            return false;
        }
        ++index;
        while (next && next->first < index) {
            next = journal.NextOutcome();
        }
        const RowOutcome outcome =
            next && next->first == index
                ? next->second
                : RowFailure(RowStatus::Error, QStringLiteral("Ligne non traitée."));
        ++counts[static_cast<std::size_t>(outcome.status)];
        row.resize(std::max(row.size(), width));
        AppendOutcomeCells(row, outcome, extra);
        return true;
    });
    if (!reader.Error().isEmpty()) {
        return reader.Error();
    }
    return written ? QString()
                   : QStringLiteral("Le fichier « %1 » n'a pas pu être écrit.").arg(output);
}

QString DefaultOutputPath(const QString& input) {
    const QFileInfo info(input);
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("csv") : info.suffix();
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("-geocode.") + suffix);
}

} // namespace tarnel
