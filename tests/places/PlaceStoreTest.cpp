#include "places/PlaceStore.h"
#include "tests/support/ChildProcess.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarnel;
using tarnel::testing::ChildOutcome;
using tarnel::testing::RunInChild;

namespace {

SavedPlace At(const QString& name, double latitude, double longitude, const QString& note = {}) {
    SavedPlace place;
    place.name = name;
    place.latitude = latitude;
    place.longitude = longitude;
    place.note = note;
    return place;
}

QStringList Names(const QList<SavedPlace>& places) {
    QStringList names;
    for (const SavedPlace& place : places)
        names.append(place.name);
    return names;
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs `body` in a forked child that exits with its verdict; waited for by Wait.
pid_t Start(const std::function<bool()>& body) {
    const pid_t child = fork();
    if (child == 0)
        _exit(body() ? 0 : 1);
    return child;
}

int Wait(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    return status;
}

QList<SavedPlace> Many(int count, const QString& prefix) {
    QList<SavedPlace> places;
    for (int i = 0; i < count; ++i)
        places.append(At(prefix + QString::number(i), 45 + i * 1e-4, 5, QString(200, u'x')));
    return places;
}

// What stops a write: a tiny full tmpfs, a file size limit, a tmpfs made read-only.
enum class Limit { FullDisk, FileSize, ReadOnly };

} // namespace

Q_DECLARE_METATYPE(Limit)

class PlaceStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_.emplace();
        QVERIFY(folder_->isValid());
    }

    // Every edit reaches the file and the next run; the list stays sorted by name.
    void editsLastAcrossRuns() {
        const QString path = folder_->filePath(u"sub/places.sqlite"_qs);
        PlaceStore store(path);
        QVERIFY(store.Open().done);
        QList<SavedPlace> places{At(u"Zoo"_qs, 1, 2), At(u"école"_qs, -90, 180),
                                 At(u"Église"_qs, 3, 4), At(u"abbaye"_qs, 5, -180)};
        places[0].altitude = 812.5;
        places[1].address = u"1 rue de l'École"_qs;
        QVERIFY(store.AddAll(places).done);
        QCOMPARE(Names(store.List()), QStringList({"abbaye", "école", "Église", "Zoo"}));
        QVERIFY(places[0].id > 0 && places[0].added.isValid());
        // Written ahead to its log (WAL), so that another program reads while this one writes.
        QVERIFY(QFile::exists(path + u"-wal"_qs));

        QVERIFY(store.Rename(places[0].id, u"Aven"_qs).done);
        QVERIFY(store.EditNote(places[2].id, u"fermée le lundi"_qs).done);
        QVERIFY(store.Remove(places[1].id).done);
        QCOMPARE(
            store.Rename(places[1].id, u"x"_qs).problem,
            u"Ce lieu n'est plus dans la liste : un autre programme l'a peut-être supprimé."_qs);
        QCOMPARE(store.Count(), 3);
        QVERIFY(store.Restore(places[1]).done);

        PlaceStore nextRun(path);
        QVERIFY(nextRun.Open().done);
        const QList<SavedPlace> read = nextRun.List();
        QCOMPARE(Names(read), QStringList({"abbaye", "Aven", "école", "Église"}));
        QCOMPARE(read[1].altitude, std::optional(812.5));
        QCOMPARE(read[0].altitude, std::nullopt);
        QCOMPARE(read[2].address, places[1].address);
        QCOMPARE(read[2].id, places[1].id);
        QCOMPARE(read[2].added, places[1].added);
        QCOMPARE(read[3].note, u"fermée le lundi"_qs);
        QCOMPARE(nextRun.Find(places[0].id)->name, u"Aven"_qs);
        SavedPlace off = At(u"nulle part"_qs, 91, 0);
        QCOMPARE(nextRun.Add(off).problem,
                 u"Le lieu « nulle part » n'a pas été ajouté : ses coordonnées (91, 0) ne sont pas "
                 "sur la Terre."_qs);
    }

    void filter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("nothing typed") << "" << QStringList({"Cœur", "Église", "Gare"});
        QTest::newRow("accent and case aside") << "EGLI" << QStringList({"Église"});
        QTest::newRow("ligature") << "coeur" << QStringList({"Cœur"});
        QTest::newRow("in the note") << "quai" << QStringList({"Gare"});
        QTest::newRow("in the address, every word") << "  vieux   PORT " << QStringList({"Cœur"});
        QTest::newRow("one word missing") << "vieux gare" << QStringList();
    }
    void filter() {
        QFETCH(QString, typed);
        QFETCH(QStringList, names);
        PlaceStore store(folder_->filePath(u"places.sqlite"_qs));
        QVERIFY(store.Open().done);
        QList<SavedPlace> places{At(u"Gare"_qs, 1, 1, u"quai n° 2"_qs), At(u"Église"_qs, 2, 2),
                                 At(u"Cœur"_qs, 3, 3)};
        places[2].address = u"Vieux-Port"_qs;
        QVERIFY(store.AddAll(places).done);
        QCOMPARE(Names(store.List(typed)), names);
    }

    // A file that is not a list of this program's, or of a later version, is left as it is.
    void refusedFile_data() {
        QTest::addColumn<QByteArray>("bytes"); // written over the file from its 9th KiB on
        QTest::addColumn<int>("version");      // of the store written first, 0 for none
        QTest::addColumn<QString>("problem");
        const QString damaged = u"Le fichier de mes lieux « <path> » est endommagé ou n'est pas "
                                "une liste de lieux : il est laissé tel quel."_qs;
        QTest::newRow("not SQLite") << QByteArray(4096, 'x') << 0 << damaged;
        QTest::newRow("damaged pages") << QByteArray(4096, 'x') << 1 << damaged;
        QTest::newRow("later version") << QByteArray() << 2
                                       << "Le fichier de mes lieux « <path> » a été écrit par une "
                                          "version plus récente du programme : il est laissé tel "
                                          "quel.";
    }
    void refusedFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, version);
        QFETCH(QString, problem);
        const QString path = folder_->filePath(u"places.sqlite"_qs);
        if (version > 0) {
            PlaceStore earlier(path);
            QList<SavedPlace> places = Many(2000, u"lieu "_qs);
            QVERIFY(earlier.Open().done && earlier.AddAll(places).done);
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"earlier"_qs);
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery(u"PRAGMA wal_checkpoint(TRUNCATE)"_qs, db);
            if (version > 1)
                QVERIFY(QSqlQuery(u"PRAGMA user_version = %1"_qs.arg(version), db).isActive());
            db.close();
        }
        QSqlDatabase::removeDatabase(u"earlier"_qs);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(version > 0 ? 8192 : 0) &&
                file.write(bytes) == bytes.size());
        file.close();
        const QByteArray before = Bytes(path);
        PlaceStore store(path);
        QCOMPARE(store.Open().problem, problem.replace(u"<path>"_qs, path));
        SavedPlace place = At(u"x"_qs, 1, 1);
        QVERIFY(!store.Add(place).done);
        QCOMPARE(Bytes(path), before);
    }

    // A full disk or a read-only file: the write is refused with the reason, the list kept.
    void unwritable_data() {
        QTest::addColumn<Limit>("limit");
        QTest::addColumn<QString>("problem");
        const QString full = u"Mes lieux n'ont pas pu être enregistrés : le disque est plein ou le "
                             "fichier « <path> » ne peut plus grandir. La liste reste telle "
                             "qu'elle était."_qs;
        QTest::newRow("full disk") << Limit::FullDisk << full;
        QTest::newRow("file size limit") << Limit::FileSize << full;
        QTest::newRow("read-only") << Limit::ReadOnly
                                   << "Mes lieux n'ont pas pu être enregistrés : le fichier "
                                      "« <path> » ou son dossier est en lecture seule. La liste "
                                      "reste telle qu'elle était.";
    }
    void unwritable() {
        QFETCH(Limit, limit);
        QFETCH(QString, problem);
        const QByteArray mount = folder_->path().toLocal8Bit();
        const QString path = folder_->filePath(u"places.sqlite"_qs);
        problem.replace(u"<path>"_qs, path);
        const ChildOutcome outcome = RunInChild([&] {
            if (limit != Limit::FileSize)
                testing::MountTinyTmpfs(mount.constData(), 512 * 1024);
            {
                PlaceStore first(path);
                QList<SavedPlace> kept = Many(3, u"gardé "_qs);
                if (!first.Open().done || !first.AddAll(kept).done)
                    return false;
            }
            if (limit == Limit::ReadOnly)
                testing::RemountReadOnly(mount.constData());
            if (limit == Limit::FileSize)
                testing::LimitFileSize(256 * 1024);
            const QByteArray before = Bytes(path);
            PlaceStore store(path);
            const StoreOutcome opened = store.Open();
            QList<SavedPlace> more = Many(limit == Limit::ReadOnly ? 1 : 5000, u"de trop "_qs);
            const StoreOutcome added = opened.done ? store.AddAll(more) : opened;
            if (limit == Limit::ReadOnly)
                return added.problem == problem && Bytes(path) == before;
            PlaceStore reread(path);
            return added.problem == problem && reread.Open().done && reread.Count() == 3;
        });
        if (outcome == ChildOutcome::NotAllowed)
            QSKIP("No tmpfs may be mounted here.");
        QCOMPARE(outcome, ChildOutcome::Held);
    }

    // Two programs adding places one by one at the same time: none is lost.
    void twoProgramsAtOnce() {
        const QString path = folder_->filePath(u"places.sqlite"_qs);
        QVERIFY(PlaceStore(path).Open().done);
        const auto writer = [&](const QString& prefix) {
            return Start([=] {
                PlaceStore store(path);
                if (!store.Open().done)
                    return false;
                for (SavedPlace& place : Many(150, prefix)) {
                    if (!store.Add(place).done)
                        return false;
                }
                return true;
            });
        };
        const pid_t first = writer(u"a"_qs);
        const pid_t second = writer(u"b"_qs);
        QCOMPARE(Wait(first), 0);
        QCOMPARE(Wait(second), 0);
        PlaceStore store(path);
        QVERIFY(store.Open().done);
        QCOMPARE(store.Count(), 300);
    }

    // A program killed in the middle of an import leaves the list as it was before it.
    void killedDuringImport() {
        const QString path = folder_->filePath(u"places.sqlite"_qs);
        {
            PlaceStore store(path);
            QList<SavedPlace> kept = Many(3, u"gardé "_qs);
            QVERIFY(store.Open().done && store.AddAll(kept).done);
        }
        const pid_t child = Start([&] {
            PlaceStore store(path);
            QList<SavedPlace> places = Many(10000, u"importé "_qs);
            store.Open();
            store.AddAll(places, [](qsizetype added) {
                if (added == 5000)
                    raise(SIGKILL);
                return true;
            });
            return true;
        });
        const int status = Wait(child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        PlaceStore store(path);
        QVERIFY(store.Open().done);
        QCOMPARE(Names(store.List()), QStringList({"gardé 0", "gardé 1", "gardé 2"}));

        // Stopped by its caller, an import adds nothing either.
        QList<SavedPlace> places = Many(10, u"annulé "_qs);
        QCOMPARE(store.AddAll(places, [](qsizetype added) { return added < 4; }).problem,
                 u"L'ajout a été annulé : aucun lieu n'a été ajouté."_qs);
        QCOMPARE(store.Count(), 3);
    }

private:
    std::optional<QTemporaryDir> folder_;
};

QTEST_GUILESS_MAIN(PlaceStoreTest)
#include "PlaceStoreTest.moc"
