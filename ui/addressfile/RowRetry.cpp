#include "ui/addressfile/RowRetry.h"

#include "addressfile/BatchOutput.h"
#include "addressfile/RowAddress.h"
#include "addressfile/RowDecision.h"
#include "spreadsheet/TableFile.h"
#include "spreadsheet/TableFileWriting.h"

#include <utility>

namespace tarnel {

namespace {

// The row at `line` of the result and where its added columns start; nullopt when the file
// cannot be read or has no such row (`problem` says why).
std::optional<std::pair<Row, qsizetype>> ResultRow(const QString& output, qsizetype line,
                                                   QString& problem) {
    const OpenedTable table = OpenTableFile(output);
    Row row;
    if (!table.reader || !table.reader->NextRow(row)) {
        problem = table.reader ? table.reader->Error() : table.error;
        return std::nullopt;
    }
    const qsizetype added = row.lastIndexOf(Cell{u"latitude"_qs});
    for (qsizetype at = 2; table.reader->NextRow(row); ++at) {
        if (at == line && added >= 0) {
            return std::pair{row, added};
        }
    }
    problem = QStringLiteral("La ligne %1 n'est plus dans le résultat.").arg(line);
    return std::nullopt;
}

// Looks `address` up alone; nullopt when the service could not be reached (`problem` says so).
std::optional<RowOutcome> Ask(const BatchServices& services, const QString& address,
                              const Cell& country, QString& problem) {
    AddressColumns columns;
    columns.fullAddress = 0;
    columns.country = 1;
    const RowAddress read = ReadRowAddress({{address}, country}, columns);
    if (!read.badRow.isEmpty()) {
        return RowFailure(RowStatus::Error, read.badRow);
    }
    if (!read.nothingToAsk.isEmpty()) {
        return RowFailure(RowStatus::NotFound, read.nothingToAsk);
    }
    Geocoder* geocoder = read.world ? services.world : services.france;
    const QString source = read.world ? WorldSourceName() : FrenchSourceName();
    if (!geocoder) {
        problem = QStringLiteral("Ce géocodeur est désactivé dans la configuration de Tarnel.");
        return std::nullopt;
    }
    const GeocodeResult result = geocoder->Locate(read.typed.Text());
    if (result.outcome == GeocodeResult::Outcome::Unreachable ||
        result.outcome == GeocodeResult::Outcome::Certificates) {
        problem = QStringLiteral("Le service de géocodage ne répond pas (la connexion est-elle "
                                 "coupée ?) : la ligne est restée comme elle était.");
        return std::nullopt;
    }
    return DecideAlone(result, read.typed, source);
}

// Rewrites the result with the row at `line` cut at `added` and given `outcome`'s columns.
bool Rewrite(const QString& output, qsizetype line, qsizetype added, const RowOutcome& outcome) {
    const OpenedTable table = OpenTableFile(output);
    if (!table.reader) {
        return false;
    }
    qsizetype at = 0;
    return WriteTableFile(output, table.reader->Dialect(),
                          [&](Row& row) {
                              if (!table.reader->NextRow(row)) {
                                  return false;
                              }
                              if (++at == line) {
                                  row.resize(added);
                                  AppendOutcomeCells(row, outcome, {});
                              }
                              return true;
                          }) &&
           table.reader->Error().isEmpty();
}

} // namespace

RowRetry::RowRetry(const QString& output, qsizetype line, const QString& address,
                   const AddressColumns& columns, std::shared_ptr<const BatchServices> services,
                   QObject* parent)
    : QObject(parent)
    , services_(std::move(services)) {
    thread_ = std::thread([this, output, line, address, columns] {
        QString problem;
        std::optional<RowOutcome> outcome;
        if (const auto found = ResultRow(output, line, problem)) {
            const Row& row = found->first;
            const Cell country = columns.country >= 0 && columns.country < row.size()
                                     ? row[columns.country]
                                     : Cell{};
            outcome = Ask(*services_, address, country, problem);
            if (outcome && !Rewrite(output, line, found->second, *outcome)) {
                problem = QStringLiteral("Le résultat n'a pas pu être réécrit (disque plein, ou "
                                         "pas le droit d'y écrire ?).");
            }
        }
        const RowOutcome done = problem.isEmpty() ? *outcome : RowOutcome{};
        QMetaObject::invokeMethod(
            this, [this, line, done, problem] { emit Done(line, done, problem); },
            Qt::QueuedConnection);
    });
}

RowRetry::~RowRetry() {
    if (services_->france) {
        services_->france->CancelLookups();
    }
    if (services_->world) {
        services_->world->CancelLookups();
    }
    thread_.join();
}

} // namespace tarnel
