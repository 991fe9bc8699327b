#include "places/PlaceStore.h"
#include "tests/support/ChildProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarnel;
using tarnel::testing::ChildOutcome;

namespace {

SavedPlace At(const QString& name, double latitude, double longitude, const QString& note = {}) {
    return {0, name, latitude, longitude, {}, note, {}, {}};
}

QList<SavedPlace> Many(int count, const QString& prefix) {
    QList<SavedPlace> places;
    for (int i = 0; i < count; ++i)
        places.append(At(prefix + QString::number(i), 45 + i * 1e-4, 5, QString(200, u'x')));
    return places;
}

// Name, address, note and altitude of each place, to compare whole lists at once.
QStringList Rows(const QList<SavedPlace>& places) {
    QStringList rows;
    for (const SavedPlace& place : places)
        rows.append(QStringList{place.name, place.address, place.note,
                                place.altitude ? QString::number(*place.altitude) : QString()}
                        .join(u'|'));
    return rows;
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

// What stops a write besides the bytes of the file: a tiny full tmpfs, a tmpfs made read-only.
enum class Limit { None, FullDisk, ReadOnly };

} // namespace

Q_DECLARE_METATYPE(Limit)

class PlaceStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_.emplace();
        QVERIFY(folder_->isValid());
        path_ = folder_->filePath(u"places.sqlite"_qs);
    }

    // Every edit reaches the file and the next run; the list stays sorted by name and is
    // filtered by every typed word, accents, case and ligatures aside.
    void editsLastAcrossRuns() {
        const QString path = folder_->filePath(u"sub/places.sqlite"_qs);
        PlaceStore store(path);
        QVERIFY(store.Open().done);
        QList<SavedPlace> places{At(u"Zoo"_qs, 1, 2), At(u"école"_qs, -90, 180),
                                 At(u"Église"_qs, 3, 4), At(u"abbaye"_qs, 5, -180),
                                 At(u"Cœur"_qs, 6, 6)};
        places[0].altitude = 812.5;
        places[1].address = u"1 quai du Vieux-Port"_qs;
        QVERIFY(store.AddAll(places).done);
        QVERIFY(places[0].id > 0 && places[0].added.isValid());
        QVERIFY(store.Rename(places[0].id, u"Aven"_qs).done);
        QVERIFY(store.EditNote(places[2].id, u"fermée le lundi"_qs).done);
        QVERIFY(store.Remove(places[1].id).done);
        QCOMPARE(
            store.Rename(places[1].id, u"x"_qs).problem,
            u"Ce lieu n'est plus dans la liste : un autre programme l'a peut-être supprimé."_qs);
        QCOMPARE(store.Count(), 4);
        QVERIFY(store.Restore(places[1]).done);

        PlaceStore nextRun(path);
        QVERIFY(nextRun.Open().done);
        const QStringList all = Rows(nextRun.List());
        QCOMPARE(all,
                 QStringList({"abbaye|||", "Aven|||812.5", u"Cœur|||"_qs,
                              u"école|1 quai du Vieux-Port||"_qs, u"Église||fermée le lundi|"_qs}));
        QList<QStringList> found;
        for (const char* typed : {"coeur", "LUNDI", "  vieux   PORT ", "vieux aven"})
            found.append(Rows(nextRun.List(QString::fromUtf8(typed))));
        QCOMPARE(found, (QList<QStringList>{{all[2]}, {all[4]}, {all[3]}, {}}));
        SavedPlace off = At(u"nulle part"_qs, 91, 0);
        QCOMPARE(nextRun.Add(off).problem,
                 u"Le lieu « nulle part » n'a pas été ajouté : ses coordonnées (91, 0) ne sont pas "
                 "sur la Terre."_qs);
    }

    // A file that is not a list of this program's or is of a later version, a full disk, a
    // read-only file: refused with the reason, the list kept.
    void refused_data() {
        QTest::addColumn<Limit>("limit");
        QTest::addColumn<qint64>("offset"); // where `bytes` are written over the stored list
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        const QString damaged = u"Le fichier de mes lieux « <path> » est endommagé ou n'est pas "
                                "une liste de lieux : il est laissé tel quel."_qs;
        const QByteArray garbage(4096, 'x');
        QTest::newRow("not SQLite") << Limit::None << qint64(0) << garbage << damaged;
        QTest::newRow("damaged pages") << Limit::None << qint64(8192) << garbage << damaged;
        // SQLite's header holds the user version, big-endian, at byte 60.
        QTest::newRow("later version")
            << Limit::None << qint64(60) << QByteArray("\0\0\0\2", 4)
            << "Le fichier de mes lieux « <path> » a été écrit par une version plus récente du "
               "programme : il est laissé tel quel.";
        QTest::newRow("full disk")
            << Limit::FullDisk << qint64(0) << QByteArray()
            << "Mes lieux n'ont pas pu être enregistrés : le disque est plein "
               "ou le fichier « <path> » ne peut plus grandir. La liste reste "
               "telle qu'elle était.";
        QTest::newRow("read-only") << Limit::ReadOnly << qint64(0) << QByteArray()
                                   << "Mes lieux n'ont pas pu être enregistrés : le fichier "
                                      "« <path> » ou son dossier est en lecture seule. La liste "
                                      "reste telle qu'elle était.";
    }
    void refused() {
        QFETCH(Limit, limit);
        QFETCH(qint64, offset);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        const QByteArray mount = folder_->path().toLocal8Bit();
        problem.replace(u"<path>"_qs, path_);
        // Run apart, so that the limits and mounts stay in the child.
        const ChildOutcome outcome = testing::RunInChild([&] {
            if (limit == Limit::FullDisk || limit == Limit::ReadOnly)
                testing::MountTinyTmpfs(mount.constData(), 512 * 1024);
            {
                PlaceStore first(path_);
                QList<SavedPlace> kept = Many(3, u"gardé "_qs);
                if (!first.Open().done || !first.AddAll(kept).done)
                    return false;
            }
            QFile file(path_);
            if (!file.open(QIODevice::ReadWrite) || !file.seek(offset) || file.write(bytes) < 0)
                return false;
            file.close();
            if (limit == Limit::ReadOnly)
                testing::RemountReadOnly(mount.constData());
            const QByteArray before = Bytes(path_);
            PlaceStore store(path_);
            const StoreOutcome opened = store.Open();
            QList<SavedPlace> more = Many(limit == Limit::ReadOnly ? 1 : 5000, u"de trop "_qs);
            const StoreOutcome added = store.AddAll(more);
            if ((opened.done ? added : opened).problem != problem)
                return false;
            if (limit == Limit::FullDisk) {
                PlaceStore reread(path_);
                return reread.Open().done && reread.Count() == 3;
            }
            return Bytes(path_) == before;
        });
        if (outcome == ChildOutcome::NotAllowed)
            QSKIP("No tmpfs may be mounted here.");
        QCOMPARE(outcome, ChildOutcome::Held);
    }

    // Programs at once: two add places one by one while a third is killed in the middle of an
    // import. None of the two's places is lost, none of the import's is kept.
    void programsAtOnce() {
        QVERIFY(PlaceStore(path_).Open().done);
        const pid_t importer = Start([this] {
            PlaceStore store(path_);
            QList<SavedPlace> places = Many(10000, u"importé "_qs);
            store.Open();
            store.AddAll(places, [](qsizetype added) {
                if (added == 5000)
                    raise(SIGKILL);
                return true;
            });
            return true;
        });
        const auto writer = [this](const QString& prefix) {
            return Start([=, this] {
                PlaceStore store(path_);
                bool done = store.Open().done;
                for (SavedPlace& place : Many(150, prefix))
                    done = done && store.Add(place).done;
                return done;
            });
        };
        const pid_t first = writer(u"a"_qs);
        const pid_t second = writer(u"b"_qs);
        const int killed = Wait(importer);
        QVERIFY(WIFSIGNALED(killed) && WTERMSIG(killed) == SIGKILL);
        QCOMPARE(Wait(first), 0);
        QCOMPARE(Wait(second), 0);
        PlaceStore store(path_);
        QVERIFY(store.Open().done);
        QCOMPARE(store.Count(), 300);

        // Stopped by its caller, an import adds nothing either.
        QList<SavedPlace> places = Many(10, u"annulé "_qs);
        QCOMPARE(store.AddAll(places, [](qsizetype added) { return added < 4; }).problem,
                 u"L'ajout a été annulé : aucun lieu n'a été ajouté."_qs);
        QCOMPARE(store.Count(), 300);
    }

private:
    std::optional<QTemporaryDir> folder_;
    QString path_;
};

QTEST_GUILESS_MAIN(PlaceStoreTest)
#include "PlaceStoreTest.moc"
