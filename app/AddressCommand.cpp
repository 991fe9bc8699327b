#include "app/AddressCommand.h"

#include "addressfile/AddressBatch.h"
#include "addressfile/AddressColumns.h"
#include "app/GeocoderConfig.h"
#include "core/ProgramInfo.h"
#include "geocoding/AltitudeBatch.h"
#include "geocoding/GeoplateformeCsvSearch.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "geocoding/NominatimGeocoder.h"
#include "geocoding/NominatimTurns.h"
#include "geocoding/OpenDataUserAgent.h"
#include "spreadsheet/TableFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <unistd.h>

namespace tarnel {

namespace {

void Say(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

QString Number(qsizetype value) {
    return QLocale(QLocale::French, QLocale::France).toString(qint64{value});
}

QString Duration(qint64 seconds) {
    if (seconds < 60) {
        return QStringLiteral("%1 s").arg(seconds);
    }
    if (seconds < 3600) {
        return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    }
    return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

// The address columns the user named, found in the file's header row by their names compared
// as RecogniseAddressColumns compares them.
std::optional<AddressColumns> NamedColumns(const CommandLine& line, QString& error) {
    if (line.columns.isEmpty()) {
        return std::nullopt;
    }
    OpenedTable table = OpenTableFile(line.input);
    Row header;
    if (!table.reader || !table.reader->NextRow(header)) {
        error = table.reader ? table.reader->Error() : table.error;
        return std::nullopt;
    }
    AddressColumns columns;
    qsizetype* partColumns[] = {&columns.number,   &columns.street,     &columns.complement,
                                &columns.postcode, &columns.city,       &columns.country,
                                &columns.cityCode, &columns.fullAddress};
    for (const auto& [part, name] : line.columns) {
        qsizetype at = -1;
        for (qsizetype i = 0; i < header.size() && at < 0; ++i) {
            if (NormalisedHeader(header[i].text) == NormalisedHeader(name)) {
                at = i;
            }
        }
        if (at < 0) {
            error = QStringLiteral("Le fichier n'a pas de colonne « %1 ».").arg(name);
            return std::nullopt;
        }
        *partColumns[ColumnParts().indexOf(part)] = at;
    }
    return columns;
}

QString Summary(const BatchEnd& end, const QString& output, const QString& points) {
    const auto& counts = end.progress.counts;
    const QString pointsLine =
        points.isEmpty() ? QString()
                         : QStringLiteral("Points écrits dans : %1\n")
                               .arg(QDir::toNativeSeparators(QFileInfo(points).absoluteFilePath()));
    return QStringLiteral("Géocodage terminé en %1 : %2 trouvée(s), %3 à vérifier, "
                          "%4 introuvable(s), %5 en erreur.\nRésultat écrit dans : %6\n")
               .arg(QLocale(QLocale::French, QLocale::France).toString(end.seconds, 'f', 1) +
                        QStringLiteral(" s"),
                    Number(counts[0]), Number(counts[1]), Number(counts[2]), Number(counts[3]),
                    QDir::toNativeSeparators(QFileInfo(output).absoluteFilePath())) +
           pointsLine;
}

// The progress line, rewritten in place on a terminal.
QString ProgressLine(const BatchProgress& progress) {
    QString line =
        QStringLiteral("\r%1 / %2 lignes").arg(Number(progress.done), Number(progress.rows));
    if (progress.rowsPerSecond > 0) {
        line += QStringLiteral(" — %1 lignes/s").arg(qRound64(progress.rowsPerSecond));
    }
    if (progress.secondsLeft) {
        line += QStringLiteral(" — reste environ %1").arg(Duration(*progress.secondsLeft));
    }
    return line + QStringLiteral("    ");
}

int Geocode(const CommandLine& line, const QProcessEnvironment& environment) {
    const QString output = line.output.isEmpty() ? DefaultOutputPath(line.input) : line.output;
    QString columnsError;
    const std::optional<AddressColumns> columns = NamedColumns(line, columnsError);
    if (!columnsError.isEmpty()) {
        Say(stderr, QStringLiteral("Tarnel : %1\n").arg(columnsError));
        return kExitRefused;
    }
    QStringList warnings;
    const GeocoderEndpoints endpoints =
        ReadGeocoderConfig(GeocoderConfigFile(), environment, warnings);
    for (const QString& warning : warnings) {
        Say(stderr, warning + u'\n');
    }
    const QByteArray agent = OpenDataUserAgent(endpoints.contact);
    std::unique_ptr<GeoplateformeCsvSearch> csv;
    std::unique_ptr<Geocoder> france;
    std::unique_ptr<Geocoder> world;
    if (!endpoints.franceCsv.isEmpty()) {
        csv = std::make_unique<GeoplateformeCsvSearch>(endpoints.franceCsv, agent);
    }
    if (!endpoints.france.isEmpty()) {
        france = std::make_unique<GeoplateformeGeocoder>(endpoints.france, agent);
    }
    if (!endpoints.world.isEmpty()) {
        world = std::make_unique<NominatimGeocoder>(endpoints.world, agent, NominatimTurns());
    }
    std::unique_ptr<AltitudeBatch> altitude;
    if (line.extra.altitude) {
        if (endpoints.altitude.isEmpty()) {
            Say(stderr, QStringLiteral("Tarnel : le service d'altitude est désactivé dans la "
                                       "configuration de Tarnel : --altitude ne peut pas être "
                                       "servie.\n"));
            return kExitRefused;
        }
        altitude = std::make_unique<AltitudeBatch>(endpoints.altitude, agent);
    }

    const BatchRequest request{line.input, output,     BatchJournalFile(), line.restart,
                               columns,    kChunkRows, line.extra,         line.points};
    const bool terminal = isatty(fileno(stderr)) != 0;
    std::mutex saying;
    bool resumeSaid = false;
    const auto sayResumed = [&](const BatchProgress& progress) {
        if (progress.resumed > 0 && !resumeSaid) {
            resumeSaid = true;
            Say(stderr, QStringLiteral("Reprise de « %1 » là où le travail s'était arrêté : "
                                       "%2 ligne(s) sur %3 étaient déjà faites.\n")
                            .arg(QFileInfo(line.input).fileName(), Number(progress.resumed),
                                 Number(progress.rows)));
        }
    };
    AddressBatch* running = nullptr;
    AddressBatch batch(request, {csv.get(), france.get(), world.get(), altitude.get()},
                       [&](const BatchProgress& progress) {
                           const std::lock_guard lock(saying);
                           sayResumed(progress);
                           if (!progress.pause.isEmpty()) {
                               // No one to resume it here: the next run goes on with it.
                               running->Cancel();
                           } else if (terminal) {
                               Say(stderr, ProgressLine(progress));
                           }
                       });
    running = &batch;
    batch.Start();
    const BatchEnd end = batch.Wait();
    if (terminal && end.progress.done > 0) {
        Say(stderr, QStringLiteral("\n"));
    }
    sayResumed(end.progress);
    if (end.written) {
        Say(stderr, Summary(end, output, line.points));
        return kExitWritten;
    }
    Say(stderr, QStringLiteral("Tarnel : %1\n").arg(end.error));
    if (end.cancelled) {
        Say(stderr, QStringLiteral("Relancez la même commande pour reprendre là où le travail "
                                   "s'est arrêté.\n"));
        return kExitInterrupted;
    }
    return kExitRefused;
}

} // namespace

QString BatchJournalFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("address-batches.sqlite"));
}

int RunCommandLine(const CommandLine& line, const QProcessEnvironment& environment) {
    switch (line.action) {
    case CommandLine::Action::Help:
        Say(stdout, CommandLineHelp());
        return kExitWritten;
    case CommandLine::Action::Version:
        Say(stdout, QStringLiteral("%1 %2\n").arg(kProgramTitle, kVersionText));
        return kExitWritten;
    case CommandLine::Action::Geocode:
        return Geocode(line, environment);
    case CommandLine::Action::Invalid:
    case CommandLine::Action::Windows:
        break;
    }
    Say(stderr, QStringLiteral("Tarnel : %1\nVoyez « tarnel --help ».\n").arg(line.error));
    return kExitUsage;
}

} // namespace tarnel
