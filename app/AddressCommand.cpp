#include "app/AddressCommand.h"

#include "addressfile/AddressBatch.h"
#include "addressfile/AddressColumns.h"
#include "addressfile/ProgressText.h"
#include "app/BatchServiceSet.h"
#include "app/GeocoderConfig.h"
#include "core/ProgramInfo.h"
#include "spreadsheet/TableFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <cstdio>
#include <mutex>
#include <optional>
#include <unistd.h>

namespace tarnel {

namespace {

void Say(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
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
                    FrenchNumber(counts[0]), FrenchNumber(counts[1]), FrenchNumber(counts[2]),
                    FrenchNumber(counts[3]),
                    QDir::toNativeSeparators(QFileInfo(output).absoluteFilePath())) +
           pointsLine;
}

// The progress line, rewritten in place on a terminal.
QString ProgressLine(const BatchProgress& progress) {
    return u'\r' + ProgressText(progress) + QStringLiteral("    ");
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
    if (line.extra.altitude && endpoints.altitude.isEmpty()) {
        Say(stderr, QStringLiteral("Tarnel : le service d'altitude est désactivé dans la "
                                   "configuration de Tarnel : --altitude ne peut pas être "
                                   "servie.\n"));
        return kExitRefused;
    }
    const BatchServiceSet services(endpoints, line.extra.altitude);

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
                            .arg(QFileInfo(line.input).fileName(), FrenchNumber(progress.resumed),
                                 FrenchNumber(progress.rows)));
        }
    };
    AddressBatch* running = nullptr;
    AddressBatch batch(request, services.Pointers(), [&](const BatchProgress& progress) {
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
    case CommandLine::Action::AddressWindow:
        break;
    }
    Say(stderr, QStringLiteral("Tarnel : %1\nVoyez « tarnel --help ».\n").arg(line.error));
    return kExitUsage;
}

} // namespace tarnel
