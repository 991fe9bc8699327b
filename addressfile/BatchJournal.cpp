#include "addressfile/BatchJournal.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QVariant>
#include <algorithm>
#include <atomic>

namespace tarnel {

namespace {

std::atomic<int> connections{0};

const char* const kSchema[] = {
    "PRAGMA journal_mode=WAL",
    "PRAGMA synchronous=FULL",
    "PRAGMA cache_size=-256",
    "CREATE TABLE IF NOT EXISTS jobs (id INTEGER PRIMARY KEY, input TEXT UNIQUE NOT NULL, "
    "size INTEGER NOT NULL, modified INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS outcomes (job INTEGER NOT NULL, row INTEGER NOT NULL, "
    "status INTEGER NOT NULL, latitude REAL, longitude REAL, label TEXT, precision TEXT, "
    "source TEXT, remark TEXT, PRIMARY KEY (job, row))",
};

// Columns added since the table was first made, added to a journal that lacks them.
const char* const kLaterColumns[][2] = {
    {"citycode", "TEXT"},
    {"altitude", "REAL"},
    {"altitude_asked", "INTEGER NOT NULL DEFAULT 0"}, // the service answered for the row
};

QVariant Optional(const std::optional<double>& value) {
    return value ? QVariant(*value) : QVariant();
}

std::optional<double> Optional(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
}

// Forgets the job `job` and the outcomes of its rows together.
bool ForgetJob(QSqlDatabase& database, qint64 job) {
    database.transaction();
    QSqlQuery forget(database);
    forget.prepare(QStringLiteral("DELETE FROM outcomes WHERE job = ?"));
    forget.addBindValue(job);
    QSqlQuery forgetJob(database);
    forgetJob.prepare(QStringLiteral("DELETE FROM jobs WHERE id = ?"));
    forgetJob.addBindValue(job);
    return forget.exec() && forgetJob.exec() && database.commit();
}

// Runs `statement` once for each of `rows`, bound by `bind`, all in one transaction: nothing
// when all was written, else the error's text, the transaction rolled back.
template <typename Rows, typename Bind>
std::optional<QString> ExecEach(QSqlDatabase& database, const QString& statement, const Rows& rows,
                                const Bind& bind) {
    if (!database.transaction()) {
        return database.lastError().text();
    }
    QSqlQuery query(database);
    query.prepare(statement);
    for (const auto& row : rows) {
        bind(query, row);
        if (!query.exec()) {
            const QString why = query.lastError().text();
            database.rollback();
            return why;
        }
    }
    if (!database.commit()) {
        return database.lastError().text();
    }
    return std::nullopt;
}

} // namespace

BatchJournal::BatchJournal(const QString& path)
    : connection_(QStringLiteral("tarnel-journal-%1").arg(++connections)) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    database.setDatabaseName(path);
    if (!database.open()) {
        Fail(database.lastError().text());
        return;
    }
    for (const char* statement : kSchema) {
        QSqlQuery query(database);
        if (!query.exec(QLatin1String(statement))) {
            Fail(query.lastError().text());
            return;
        }
    }
    QSet<QString> columns;
    QSqlQuery described(database);
    if (!described.exec(QStringLiteral("PRAGMA table_info(outcomes)"))) {
        Fail(described.lastError().text());
        return;
    }
    while (described.next()) {
        columns.insert(described.value(1).toString());
    }
    for (const auto& [name, type] : kLaterColumns) {
        QSqlQuery add(database);
        if (!columns.contains(QLatin1String(name)) &&
            !add.exec(QStringLiteral("ALTER TABLE outcomes ADD COLUMN %1 %2")
                          .arg(QLatin1String(name), QLatin1String(type)))) {
            Fail(add.lastError().text());
            return;
        }
    }
}

BatchJournal::~BatchJournal() {
    reading_.reset();
    {
        QSqlDatabase database = QSqlDatabase::database(connection_, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool BatchJournal::Fail(const QString& what) {
    if (error_.isEmpty()) {
        error_ = QStringLiteral("Le journal de reprise ne peut pas être tenu : %1").arg(what);
    }
    return false;
}

bool BatchJournal::Begin(const QString& input, qint64 size, qint64 modified, bool restart) {
    if (!error_.isEmpty()) {
        return false;
    }
    QSqlDatabase database = QSqlDatabase::database(connection_);
    QSqlQuery find(database);
    find.prepare(QStringLiteral("SELECT id, size, modified FROM jobs WHERE input = ?"));
    find.addBindValue(input);
    if (!find.exec()) {
        return Fail(find.lastError().text());
    }
    if (find.next()) {
        const qint64 id = find.value(0).toLongLong();
        if (!restart && find.value(1).toLongLong() == size &&
            find.value(2).toLongLong() == modified) {
            job_ = id;
            return true;
        }
        if (!ForgetJob(database, id)) {
            return Fail(database.lastError().text());
        }
    }
    QSqlQuery add(database);
    add.prepare(QStringLiteral("INSERT INTO jobs (input, size, modified) VALUES (?, ?, ?)"));
    add.addBindValue(input);
    add.addBindValue(size);
    add.addBindValue(modified);
    if (!add.exec()) {
        return Fail(add.lastError().text());
    }
    job_ = add.lastInsertId().toLongLong();
    return true;
}

qsizetype BatchJournal::RowsLeftDone(const QString& input, qint64 size, qint64 modified) {
    if (!error_.isEmpty()) {
        return 0;
    }
    QSqlQuery query(QSqlDatabase::database(connection_));
    query.prepare(QStringLiteral("SELECT COUNT(*) FROM outcomes JOIN jobs ON jobs.id = job "
                                 "WHERE input = ? AND size = ? AND modified = ?"));
    query.addBindValue(input);
    query.addBindValue(size);
    query.addBindValue(modified);
    if (!query.exec() || !query.next()) {
        Fail(query.lastError().text());
        return 0;
    }
    return query.value(0).toLongLong();
}

QSet<qsizetype> BatchJournal::DoneRows() {
    QSet<qsizetype> done;
    QSqlQuery query(QSqlDatabase::database(connection_));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT row FROM outcomes WHERE job = ?"));
    query.addBindValue(job_);
    if (!query.exec()) {
        Fail(query.lastError().text());
        return done;
    }
    while (query.next()) {
        done.insert(query.value(0).toLongLong());
    }
    return done;
}

bool BatchJournal::Record(const QList<std::pair<qsizetype, RowOutcome>>& rows) {
    if (!error_.isEmpty()) {
        return false;
    }
    QSqlDatabase database = QSqlDatabase::database(connection_);
    const std::optional<QString> failure = ExecEach(
        database,
        QStringLiteral("INSERT OR REPLACE INTO outcomes (job, row, status, latitude, longitude, "
                       "label, precision, source, remark, citycode) VALUES (?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?)"),
        rows, [this](QSqlQuery& insert, const std::pair<qsizetype, RowOutcome>& entry) {
            const auto& [row, outcome] = entry;
            insert.bindValue(0, job_);
            insert.bindValue(1, qint64{row});
            insert.bindValue(2, static_cast<int>(outcome.status));
            insert.bindValue(3, Optional(outcome.latitude));
            insert.bindValue(4, Optional(outcome.longitude));
            insert.bindValue(5, outcome.label);
            insert.bindValue(6, outcome.precision);
            insert.bindValue(7, outcome.source);
            insert.bindValue(8, outcome.remark);
            insert.bindValue(9, outcome.cityCode);
        });
    return !failure || Fail(*failure);
}

QList<std::pair<qsizetype, Place>> BatchJournal::PointsWithoutAltitude(qsizetype most) {
    QList<std::pair<qsizetype, Place>> points;
    QSqlQuery query(QSqlDatabase::database(connection_));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT row, latitude, longitude FROM outcomes WHERE job = ? AND "
                                 "status = ? AND latitude IS NOT NULL AND longitude IS NOT NULL "
                                 "AND altitude_asked = 0 ORDER BY row LIMIT ?"));
    query.addBindValue(job_);
    query.addBindValue(static_cast<int>(RowStatus::Found));
    query.addBindValue(qint64{most});
    if (!query.exec()) {
        Fail(query.lastError().text());
        return points;
    }
    while (query.next()) {
        points.append({query.value(0).toLongLong(),
                       Place{query.value(1).toDouble(), query.value(2).toDouble()}});
    }
    return points;
}

bool BatchJournal::RecordAltitudes(const QList<std::pair<qsizetype, std::optional<double>>>& rows) {
    if (!error_.isEmpty()) {
        return false;
    }
    QSqlDatabase database = QSqlDatabase::database(connection_);
    const std::optional<QString> failure = ExecEach(
        database,
        QStringLiteral(
            "UPDATE outcomes SET altitude = ?, altitude_asked = 1 WHERE job = ? AND row = ?"),
        rows, [this](QSqlQuery& update, const std::pair<qsizetype, std::optional<double>>& entry) {
            update.bindValue(0, Optional(entry.second));
            update.bindValue(1, job_);
            update.bindValue(2, qint64{entry.first});
        });
    return !failure || Fail(*failure);
}

bool BatchJournal::StartReading() {
    reading_.emplace(QSqlDatabase::database(connection_));
    reading_->setForwardOnly(true);
    reading_->prepare(
        QStringLiteral("SELECT row, status, latitude, longitude, label, precision, source, remark, "
                       "citycode, altitude FROM outcomes WHERE job = ? ORDER BY row"));
    reading_->addBindValue(job_);
    return reading_->exec() || Fail(reading_->lastError().text());
}

std::optional<std::pair<qsizetype, RowOutcome>> BatchJournal::NextOutcome() {
    if (!reading_ || !reading_->next()) {
        return std::nullopt;
    }
    RowOutcome outcome;
    outcome.status = static_cast<RowStatus>(
        std::clamp(reading_->value(1).toInt(), 0, static_cast<int>(RowStatus::Error)));
    outcome.latitude = Optional(reading_->value(2));
    outcome.longitude = Optional(reading_->value(3));
    outcome.label = reading_->value(4).toString();
    outcome.precision = reading_->value(5).toString();
    outcome.source = reading_->value(6).toString();
    outcome.remark = reading_->value(7).toString();
    outcome.cityCode = reading_->value(8).toString();
    outcome.altitude = Optional(reading_->value(9));
    return std::pair{static_cast<qsizetype>(reading_->value(0).toLongLong()), outcome};
}

bool BatchJournal::Finish() {
    reading_.reset();
    QSqlDatabase database = QSqlDatabase::database(connection_);
    return ForgetJob(database, job_) || Fail(database.lastError().text());
}

} // namespace tarnel
