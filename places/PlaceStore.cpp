#include "places/PlaceStore.h"

#include "core/GeoPoint.h"
#include "places/StoreProblem.h"
#include "places/TextFolding.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QVariant>

namespace tarnel {

namespace {

// How long a write waits for another program's write before giving up.
constexpr int kBusyMilliseconds = 10000;

const char* const kColumns = "id, name, latitude, longitude, address, note, altitude, added";

QString SearchKey(const SavedPlace& place) {
    return FoldedText(place.name + u'\n' + place.address + u'\n' + place.note);
}

SavedPlace ReadPlace(const QSqlQuery& query) {
    SavedPlace place;
    place.id = query.value(0).toLongLong();
    place.name = query.value(1).toString();
    place.latitude = query.value(2).toDouble();
    place.longitude = query.value(3).toDouble();
    place.address = query.value(4).toString();
    place.note = query.value(5).toString();
    if (!query.value(6).isNull())
        place.altitude = query.value(6).toDouble();
    place.added = QDateTime::fromString(query.value(7).toString(), Qt::ISODateWithMs);
    return place;
}

// A null QString would be bound as NULL.
QString Text(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

QVariant Nullable(const std::optional<double>& value) {
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}

// The files whose whole content was checked in this run, by their absolute path.
QMutex checkedMutex;
QSet<QString> checkedPaths;

bool CheckedThisRun(const QString& path) {
    const QMutexLocker lock(&checkedMutex);
    return checkedPaths.contains(QFileInfo(path).absoluteFilePath());
}

void MarkCheckedThisRun(const QString& path) {
    const QMutexLocker lock(&checkedMutex);
    checkedPaths.insert(QFileInfo(path).absoluteFilePath());
}

} // namespace

QString PlaceStore::DefaultPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("places.sqlite"));
}

PlaceStore::PlaceStore(const QString& path)
    : path_(path) {
    static QAtomicInteger<quint64> count;
    connection_ = QStringLiteral("tarnel-places-%1").arg(count.fetchAndAddRelaxed(1));
}

PlaceStore::~PlaceStore() {
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

StoreOutcome PlaceStore::Open() {
    if (open_)
        return {true, {}};
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder))
        return {false, QStringLiteral("Le dossier de mes lieux « %1 » n'a pas pu être créé.")
                           .arg(QDir::toNativeSeparators(folder))};
    // After a refused Open, the connection is there already and is tried again.
    QSqlDatabase db = QSqlDatabase::contains(connection_)
                          ? QSqlDatabase::database(connection_, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path_);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyMilliseconds));
    if (!db.open())
        return {false, StoreProblemText(db.lastError(), path_)};
    QSqlQuery query(db);
    // A damaged file or one of another kind fails here, before anything is written to it. The
    // check reads the whole file: once a run is enough, not at every store a request opens.
    if (!CheckedThisRun(path_)) {
        if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next())
            return {false, StoreProblemText(query.lastError(), path_)};
        if (query.value(0).toString() != u"ok")
            return {false, DamagedStoreText(path_)};
        MarkCheckedThisRun(path_);
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return {false, StoreProblemText(query.lastError(), path_)};
    const int version = query.value(0).toInt();
    if (version > kSchemaVersion)
        return {false, QStringLiteral("Le fichier de mes lieux « %1 » a été écrit par une version "
                                      "plus récente du programme : il est laissé tel quel.")
                           .arg(QDir::toNativeSeparators(path_))};
    // WAL lets a reader go on while another program writes; a read-only file keeps its mode.
    query.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    open_ = true;
    if (version == kSchemaVersion)
        return {true, {}};
    const StoreOutcome made = Write([&] {
        // Made once, by whichever program gets there first.
        if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS places ("
                                       "id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                       "name TEXT NOT NULL, latitude REAL NOT NULL, "
                                       "longitude REAL NOT NULL, address TEXT NOT NULL, "
                                       "note TEXT NOT NULL, altitude REAL, added TEXT NOT NULL, "
                                       "name_key TEXT NOT NULL, search_key TEXT NOT NULL)")) ||
            !query.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS places_by_name "
                                       "ON places (name_key, id)")) ||
            !query.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)))
            return StoreProblemText(query.lastError(), path_);
        return QString();
    });
    open_ = made.done;
    return made;
}

StoreOutcome PlaceStore::Write(const std::function<QString()>& body) {
    if (!open_)
        return {false, QStringLiteral("Mes lieux ne sont pas ouverts.")};
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return {false, StoreProblemText(query.lastError(), path_)};
    QString problem = body();
    if (problem.isEmpty() && !query.exec(QStringLiteral("COMMIT")))
        problem = StoreProblemText(query.lastError(), path_);
    if (!problem.isEmpty()) {
        query.exec(QStringLiteral("ROLLBACK"));
        return {false, problem};
    }
    return {true, {}};
}

QString PlaceStore::Insert(const SavedPlace& place) {
    if (!OnEarth({place.latitude, place.longitude}))
        return QStringLiteral("Le lieu « %1 » n'a pas été ajouté : ses coordonnées (%2, %3) ne "
                              "sont pas sur la Terre.")
            .arg(place.name, QString::number(place.latitude), QString::number(place.longitude));
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral("INSERT INTO places (%1, name_key, search_key) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                      .arg(QLatin1String(kColumns)));
    query.addBindValue(place.id > 0 ? QVariant(place.id)
                                    : QVariant(QMetaType(QMetaType::LongLong)));
    query.addBindValue(Text(place.name));
    query.addBindValue(place.latitude);
    query.addBindValue(place.longitude);
    query.addBindValue(Text(place.address));
    query.addBindValue(Text(place.note));
    query.addBindValue(Nullable(place.altitude));
    query.addBindValue(place.added.toUTC().toString(Qt::ISODateWithMs));
    query.addBindValue(FoldedText(place.name));
    query.addBindValue(SearchKey(place));
    return query.exec() ? QString() : StoreProblemText(query.lastError(), path_);
}

StoreOutcome PlaceStore::Add(SavedPlace& place) {
    QList<SavedPlace> one{place};
    const StoreOutcome outcome = AddAll(one);
    if (outcome.done)
        place = one.first();
    return outcome;
}

StoreOutcome PlaceStore::AddAll(QList<SavedPlace>& places,
                                const std::function<bool(qsizetype added)>& progress) {
    QList<SavedPlace> stored = places;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const StoreOutcome outcome = Write([&] {
        QSqlQuery last(QSqlDatabase::database(connection_, false));
        for (qsizetype i = 0; i < stored.size(); ++i) {
            SavedPlace& place = stored[i];
            place.id = 0;
            if (!place.added.isValid())
                place.added = now;
            if (const QString problem = Insert(place); !problem.isEmpty())
                return problem;
            if (!last.exec(QStringLiteral("SELECT last_insert_rowid()")) || !last.next())
                return StoreProblemText(last.lastError(), path_);
            place.id = last.value(0).toLongLong();
            if (progress && !progress(i + 1))
                return QStringLiteral("L'ajout a été annulé : aucun lieu n'a été ajouté.");
        }
        return QString();
    });
    if (outcome.done)
        places = stored;
    return outcome;
}

StoreOutcome PlaceStore::Update(qint64 id, const QString& column, const QString& value) {
    return Write([&] {
        const std::optional<SavedPlace> place = Find(id);
        if (!place)
            return QStringLiteral("Ce lieu n'est plus dans la liste : un autre programme l'a "
                                  "peut-être supprimé.");
        SavedPlace changed = *place;
        (column == u"name" ? changed.name : changed.note) = value;
        QSqlQuery query(QSqlDatabase::database(connection_, false));
        query.prepare(QStringLiteral("UPDATE places SET %1 = ?, name_key = ?, search_key = ? "
                                     "WHERE id = ?")
                          .arg(column));
        query.addBindValue(Text(value));
        query.addBindValue(FoldedText(changed.name));
        query.addBindValue(SearchKey(changed));
        query.addBindValue(id);
        return query.exec() ? QString() : StoreProblemText(query.lastError(), path_);
    });
}

StoreOutcome PlaceStore::Rename(qint64 id, const QString& name) {
    return Update(id, QStringLiteral("name"), name);
}

StoreOutcome PlaceStore::EditNote(qint64 id, const QString& note) {
    return Update(id, QStringLiteral("note"), note);
}

StoreOutcome PlaceStore::Remove(qint64 id) {
    return Write([&] {
        QSqlQuery query(QSqlDatabase::database(connection_, false));
        query.prepare(QStringLiteral("DELETE FROM places WHERE id = ?"));
        query.addBindValue(id);
        return query.exec() ? QString() : StoreProblemText(query.lastError(), path_);
    });
}

StoreOutcome PlaceStore::Restore(const SavedPlace& place) {
    return Write([&] { return Insert(place); });
}

std::optional<SavedPlace> PlaceStore::Find(qint64 id) const {
    if (!open_)
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(
        QStringLiteral("SELECT %1 FROM places WHERE id = ?").arg(QLatin1String(kColumns)));
    query.addBindValue(id);
    if (!query.exec() || !query.next())
        return std::nullopt;
    return ReadPlace(query);
}

QList<SavedPlace> PlaceStore::List(const QString& filter) const {
    if (!open_)
        return {};
    const QStringList words = FoldedText(filter).split(u' ', Qt::SkipEmptyParts);
    QString where;
    for (qsizetype i = 0; i < words.size(); ++i)
        where +=
            QLatin1String(i == 0 ? " WHERE" : " AND") + QLatin1String(" instr(search_key, ?) > 0");
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM places%2 ORDER BY name_key, id")
                      .arg(QLatin1String(kColumns), where));
    for (const QString& word : words)
        query.addBindValue(word);
    QList<SavedPlace> places;
    if (!query.exec())
        return places;
    while (query.next())
        places.append(ReadPlace(query));
    return places;
}

qsizetype PlaceStore::Count() const {
    if (!open_)
        return 0;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    return query.exec(QStringLiteral("SELECT count(*) FROM places")) && query.next()
               ? query.value(0).toLongLong()
               : 0;
}

} // namespace tarnel
