#include "addressfile/BatchRun.h"

#include "addressfile/BatchOutput.h"
#include "addressfile/BatchPoints.h"
#include "addressfile/GeocodeCsvAnswer.h"
#include "addressfile/RowAddress.h"
#include "addressfile/RowDecision.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "spreadsheet/TableFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <utility>

namespace tarnel {

namespace {

// Times a chunk whose answer leaves rows out is sent again, for those rows only.
constexpr int kMostShortAnswers = 2;
// Times a row asked alone and refused is asked again, after the documented 5-second block.
constexpr int kMostAloneRefusals = 2;
constexpr std::chrono::seconds kRefusalPause{5};
// Nominatim's usage policy: a request a second at most.
constexpr qsizetype kWorldSecondsPerRow = 1;

QString Unreachable() {
    return QStringLiteral("Le service de géocodage ne répond pas (la connexion est-elle "
                          "coupée ?) : le travail est en pause ; il reprendra là où il s'est "
                          "arrêté.");
}

QString Refusing() {
    return QStringLiteral("Le service de géocodage refuse les demandes (limite d'usage "
                          "dépassée) : le travail est en pause ; il reprendra là où il s'est "
                          "arrêté.");
}

QString AltitudeTrouble(HttpAnswer::Outcome outcome) {
    const QString why = outcome == HttpAnswer::Outcome::Refused
                            ? QStringLiteral("refuse les demandes (limite d'usage dépassée)")
                        : outcome == HttpAnswer::Outcome::Failed
                            ? QStringLiteral("a donné une réponse illisible")
                            : QStringLiteral("ne répond pas (la connexion est-elle coupée ?)");
    return QStringLiteral("Le service d'altitude de l'IGN %1 : le travail est en pause ; il "
                          "reprendra là où il s'est arrêté.")
        .arg(why);
}

QString Disabled(const QString& which) {
    return QStringLiteral("Le géocodeur %1 est désactivé dans la configuration de Tarnel.")
        .arg(which);
}

} // namespace

BatchRun::BatchRun(const BatchRequest& request, const BatchServices& services,
                   BatchControl& control, BatchProgressHandler onProgress)
    : request_(request)
    , services_(services)
    , control_(control)
    , onProgress_(std::move(onProgress)) {
}

BatchEnd BatchRun::Execute() {
    clock_.start();
    BatchEnd end;
    end.written = Prepare() && Geocode() && AddAltitudes() && Write();
    end.cancelled = control_.Cancelled();
    end.error = error_;
    if (end.cancelled && end.error.isEmpty()) {
        end.error = control_.PauseReason().isEmpty()
                        ? QStringLiteral("Le travail a été interrompu ; il reprendra là où il "
                                         "s'est arrêté.")
                        : control_.PauseReason();
    }
    end.progress = progress_;
    end.seconds = static_cast<double>(clock_.nsecsElapsed()) / 1e9;
    return end;
}

bool BatchRun::Fail(const QString& message) {
    if (error_.isEmpty()) {
        error_ = message;
    }
    return false;
}

bool BatchRun::Prepare() {
    const QFileInfo input(request_.input);
    const QFileInfo output(request_.output);
    if (output.exists() && output.canonicalFilePath() == input.canonicalFilePath()) {
        return Fail(QStringLiteral("Le résultat ne peut pas remplacer le fichier d'adresses "
                                   "lui-même : choisissez un autre fichier de sortie."));
    }
    if (!request_.points.isEmpty()) {
        const QFileInfo points(request_.points);
        const std::optional<ExportFormat> format = FormatOfFileName(request_.points);
        if (!format || *format == ExportFormat::GenericAsc) {
            return Fail(QStringLiteral("Les points s'enregistrent en GPX, KML ou GeoJSON : "
                                       "donnez au fichier de points l'extension .gpx, .kml "
                                       "ou .geojson."));
        }
        if (points.absoluteFilePath() == output.absoluteFilePath() ||
            (points.exists() && points.canonicalFilePath() == input.canonicalFilePath())) {
            return Fail(QStringLiteral("Le fichier de points doit être un autre fichier que "
                                       "le fichier d'adresses et le résultat."));
        }
    }
    OpenedTable table = OpenTableFile(request_.input);
    if (!table.reader) {
        return Fail(table.error);
    }
    Row row;
    if (!table.reader->NextRow(row)) {
        return Fail(table.reader->Error());
    }
    columns_ = request_.columns ? *request_.columns : RecogniseAddressColumns(row);
    if (!columns_.Usable()) {
        return Fail(
            QStringLiteral(
                "Aucune colonne d'adresse n'a été reconnue dans « %1 » : nommez les colonnes "
                "(par exemple « Adresse », « Code postal », « Ville ») ou indiquez-les avec "
                "--colonne.")
                .arg(input.fileName()));
    }
    width_ = row.size();
    dialect_ = table.reader->Dialect();
    while (table.reader->NextRow(row)) {
        ++progress_.rows;
        width_ = std::max(width_, row.size());
    }
    if (!table.reader->Error().isEmpty()) {
        return Fail(table.reader->Error());
    }
    if (progress_.rows == 0) {
        return Fail(QStringLiteral("Le fichier « %1 » n'a aucune ligne d'adresse sous ses "
                                   "en-têtes.")
                        .arg(input.fileName()));
    }
    journal_ = std::make_unique<BatchJournal>(request_.journal);
    if (!journal_->Begin(input.canonicalFilePath(), input.size(),
                         input.lastModified().toMSecsSinceEpoch(), request_.restart)) {
        return Fail(journal_->Error());
    }
    done_ = journal_->DoneRows();
    progress_.resumed = done_.size();
    progress_.done = done_.size();
    return journal_->Error().isEmpty() || Fail(journal_->Error());
}

bool BatchRun::Geocode() {
    OpenedTable table = ReopenTableFile(request_.input, dialect_);
    if (!table.reader) {
        return Fail(table.error);
    }
    Row row;
    table.reader->NextRow(row);
    const qsizetype chunkRows = std::min(request_.chunkRows, progress_.rows);
    QList<FrenchRow> french;
    french.reserve(chunkRows);
    Chunk ahead; // in flight while the rows after it are read
    qsizetype index = -1;
    while (table.reader->NextRow(row)) {
        ++index;
        if (done_.contains(index)) {
            continue;
        }
        const RowAddress address = ReadRowAddress(row, columns_);
        if (!address.badRow.isEmpty()) {
            Decide(index, RowFailure(RowStatus::Error, address.badRow));
        } else if (!address.nothingToAsk.isEmpty()) {
            Decide(index, RowFailure(RowStatus::NotFound, address.nothingToAsk));
        } else if (address.world) {
            world_.append({index, address.typed});
        } else {
            const QString cityCode = columns_.cityCode >= 0 && columns_.cityCode < row.size()
                                         ? row[columns_.cityCode].text.trimmed()
                                         : QString();
            french.append({index,
                           address.typed,
                           {index, GeoplateformeGeocoder::QueryText(address.typed), cityCode}});
        }
        if (french.size() >= request_.chunkRows) {
            if (!AskChunk(ahead, std::exchange(french, {}))) {
                return false;
            }
            french.reserve(chunkRows);
        }
    }
    if (!table.reader->Error().isEmpty()) {
        return Fail(table.reader->Error());
    }
    // The last rows sent, then their answer weighed; the rows decided without a service kept.
    if (!AskChunk(ahead, std::move(french)) || !AskChunk(ahead, {}) || !Commit()) {
        return false;
    }
    for (const auto& [worldIndex, typed] : std::as_const(world_)) {
        const std::optional<RowOutcome> outcome =
            AskAlone(services_.world, typed, WorldSourceName(), {});
        ++worldDone_;
        if (!outcome) {
            return false;
        }
        Decide(worldIndex, *outcome);
        if (!Commit() || !control_.WaitWhilePaused()) {
            return false;
        }
    }
    return !control_.Cancelled();
}

// Sends `rows` as soon as the chunk `ahead` is answered, then weighs that answer and commits
// it; `ahead` becomes the chunk of `rows`, in flight.
bool BatchRun::AskChunk(Chunk& ahead, QList<FrenchRow> rows) {
    const auto tooShort = [](const FrenchRow& row) {
        return row.sent.query.isEmpty();
    };
    for (const FrenchRow& row : std::as_const(rows)) {
        if (tooShort(row)) {
            Decide(row.index, RowFailure(RowStatus::NotFound,
                                         QStringLiteral("L'adresse est trop courte pour être "
                                                        "cherchée.")));
        }
    }
    rows.removeIf(tooShort);
    Chunk chunk = std::exchange(ahead, Chunk{std::move(rows), {}});
    if (chunk.rows.isEmpty()) {
        SendAhead(ahead); // the first chunk: nothing answered yet
        return true;
    }
    QList<std::pair<FrenchRow, QString>> alone;
    if (!SendChunk(chunk, ahead, alone)) {
        return false;
    }
    SendAhead(ahead);
    for (const auto& [row, rejected] : std::as_const(alone)) {
        const std::optional<RowOutcome> outcome =
            AskAlone(services_.france, row.typed, FrenchSourceName(), rejected);
        if (!outcome) {
            return false;
        }
        Decide(row.index, *outcome);
    }
    // A pause sends nothing more, but what was answered before it is kept.
    if (!Commit() || !control_.WaitWhilePaused()) {
        return false;
    }
    SendAhead(ahead);
    return true;
}

bool BatchRun::SendChunk(Chunk& chunk, Chunk& next, QList<std::pair<FrenchRow, QString>>& alone) {
    QList<FrenchRow>& toSend = chunk.rows;
    int shortAnswers = 0;
    while (!toSend.isEmpty()) {
        if (!services_.csv || shortAnswers > kMostShortAnswers) {
            break;
        }
        if (!chunk.answer.valid()) {
            chunk.answer = Send(toSend);
        }
        const HttpAnswer answer = chunk.answer.get();
        if (control_.Cancelled()) {
            return false;
        }
        if (answer.outcome == HttpAnswer::Outcome::Unreachable ||
            answer.outcome == HttpAnswer::Outcome::Certificates ||
            answer.outcome == HttpAnswer::Outcome::Refused) {
            const bool refused = answer.outcome == HttpAnswer::Outcome::Refused;
            if (!PauseBecause(refused ? Refusing() : Unreachable())) {
                return false;
            }
            continue;
        }
        if (answer.outcome != HttpAnswer::Outcome::Body) {
            break;
        }
        SendAhead(next);
        QStringList ids;
        QHash<QString, qsizetype> byId;
        for (qsizetype i = 0; i < toSend.size(); ++i) {
            ids.append(QString::number(toSend[i].index));
            byId.insert(ids.back(), i);
        }
        const GeocodeCsvAnswer read = ReadGeocodeCsvAnswer(answer.body, kChunkIdColumn, ids);
        if (!read.error.isEmpty()) {
            break;
        }
        for (const GeocodedRow& geocoded : read.rows) {
            const FrenchRow& row = toSend[byId.value(geocoded.id)];
            const std::optional<RowOutcome> outcome = DecideCsvRow(geocoded, row.typed);
            if (outcome) {
                Decide(row.index, *outcome);
            } else {
                alone.append({row, geocoded.status == u"ok"_qs ? geocoded.label : QString()});
            }
        }
        QList<FrenchRow> missing;
        for (const QString& id : read.missingIds) {
            missing.append(toSend[byId.value(id)]);
        }
        toSend = missing;
        ++shortAnswers;
    }
    for (const FrenchRow& row : std::as_const(toSend)) {
        alone.append({row, QString()});
    }
    return true;
}

// Sends `next` unless it is sent already, has nothing to send or the batch is paused: the
// service never has more than the chunk weighed and the one after it.
void BatchRun::SendAhead(Chunk& next) {
    if (!next.answer.valid() && !next.rows.isEmpty() && services_.csv && !control_.Paused()) {
        next.answer = Send(next.rows);
    }
}

std::future<HttpAnswer> BatchRun::Send(const QList<FrenchRow>& rows) const {
    QList<ChunkRow> sent;
    sent.reserve(rows.size());
    bool withCityCode = false;
    for (const FrenchRow& row : rows) {
        sent.append(row.sent);
        withCityCode = withCityCode || !row.sent.cityCode.isEmpty();
    }
    return std::async(std::launch::async, [csv = services_.csv, body = ChunkCsv(sent, withCityCode),
                                           withCityCode] {
        return csv->Send(body, {kChunkQueryColumn},
                         withCityCode ? QByteArray(kChunkCityCodeColumn) : QByteArray());
    });
}

std::optional<RowOutcome> BatchRun::AskAlone(Geocoder* geocoder, const AddressQuery& typed,
                                             const QString& source, const QString& rejected) {
    if (!geocoder) {
        return RowFailure(RowStatus::Error,
                          Disabled(source == FrenchSourceName() ? QStringLiteral("français")
                                                                : QStringLiteral("mondial")));
    }
    int refusals = 0;
    while (true) {
        const GeocodeResult result = geocoder->Locate(typed.Text());
        if (control_.Cancelled()) {
            return std::nullopt;
        }
        using Outcome = GeocodeResult::Outcome;
        if (result.outcome == Outcome::Unreachable || result.outcome == Outcome::Certificates) {
            if (!PauseBecause(Unreachable())) {
                return std::nullopt;
            }
            continue;
        }
        if (result.outcome == Outcome::Refused && ++refusals <= kMostAloneRefusals) {
            if (!control_.SleepFor(kRefusalPause)) {
                return std::nullopt;
            }
            continue;
        }
        return DecideAlone(result, typed, source, rejected);
    }
}

void BatchRun::Decide(qsizetype index, const RowOutcome& outcome) {
    decided_.append({index, outcome});
    ++progress_.counts[static_cast<std::size_t>(outcome.status)];
}

bool BatchRun::Commit() {
    if (decided_.isEmpty()) {
        return true;
    }
    if (!journal_->Record(decided_)) {
        return Fail(journal_->Error());
    }
    progress_.done += decided_.size();
    doneThisRun_ += decided_.size();
    unreported_.append(decided_);
    decided_.clear();
    Report();
    return true;
}

void BatchRun::Report() {
    const double seconds = static_cast<double>(clock_.nsecsElapsed()) / 1e9;
    progress_.rowsPerSecond = seconds > 0 ? static_cast<double>(doneThisRun_) / seconds : 0;
    // Rows abroad wait for Nominatim's turns, asked after the others: a second each.
    const qsizetype worldLeft = world_.size() - worldDone_;
    const qsizetype othersLeft = progress_.rows - progress_.done - worldLeft;
    progress_.secondsLeft.reset();
    if (othersLeft == 0 || progress_.rowsPerSecond > 0) {
        const double others =
            othersLeft > 0 ? static_cast<double>(othersLeft) / progress_.rowsPerSecond : 0;
        progress_.secondsLeft = static_cast<qint64>(
            others + static_cast<double>(worldLeft * kWorldSecondsPerRow) + 0.5);
    }
    progress_.pause = control_.PauseReason();
    for (auto& [index, outcome] : unreported_) {
        progress_.decided.append({index + 2, std::move(outcome)}); // the header is line 1
    }
    unreported_.clear();
    if (onProgress_) {
        onProgress_(progress_);
    }
    progress_.decided.clear();
}

bool BatchRun::PauseBecause(const QString& reason) {
    control_.PauseBecause(reason);
    Report();
    const bool resumed = control_.WaitWhilePaused();
    progress_.pause.clear();
    return resumed;
}

bool BatchRun::AddAltitudes() {
    if (!request_.extra.altitude || !services_.altitude) {
        return true;
    }
    while (true) {
        const QList<std::pair<qsizetype, Place>> points =
            journal_->PointsWithoutAltitude(AltitudeBatch::kMostPoints);
        if (!journal_->Error().isEmpty()) {
            return Fail(journal_->Error());
        }
        if (points.isEmpty()) {
            return true;
        }
        QList<Place> places;
        places.reserve(points.size());
        for (const auto& [index, place] : points) {
            places.append(place);
        }
        const PointsAltitudes answer = services_.altitude->Ask(places);
        if (control_.Cancelled()) {
            return false;
        }
        if (answer.outcome != HttpAnswer::Outcome::Body) {
            if (!PauseBecause(AltitudeTrouble(answer.outcome))) {
                return false;
            }
            continue;
        }
        QList<std::pair<qsizetype, std::optional<double>>> altitudes;
        altitudes.reserve(points.size());
        for (qsizetype i = 0; i < points.size(); ++i) {
            altitudes.append({points[i].first, answer.metres[i]});
        }
        if (!journal_->RecordAltitudes(altitudes)) {
            return Fail(journal_->Error());
        }
        Report();
    }
}

bool BatchRun::Write() {
    const QString error = WriteBatchOutput(request_.input, dialect_, request_.output, width_,
                                           request_.extra, *journal_, progress_.counts);
    if (!error.isEmpty()) {
        return Fail(error);
    }
    if (!request_.points.isEmpty()) {
        const QString pointsError =
            WriteBatchPoints(request_.points, *FormatOfFileName(request_.points),
                             request_.extra.altitude, *journal_);
        if (!pointsError.isEmpty()) {
            return Fail(pointsError);
        }
    }
    return journal_->Finish() || Fail(journal_->Error());
}

} // namespace tarnel
