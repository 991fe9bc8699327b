#include "addressfile/AddressBatch.h"
#include "geocoding/GeoplateformeCsvSearch.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "geocoding/NominatimGeocoder.h"
#include "spreadsheet/TableFile.h"
#include "tests/addressfile/AltimetryStandin.h"
#include "tests/addressfile/GeocodingStandin.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

using namespace tarnel;
using namespace std::chrono_literals;

namespace {

using OnProgress = std::function<void(AddressBatch&, const BatchProgress&)>;

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

// The texts of the cells of every row of the table at `path`; its dialect in `dialect`.
QList<QStringList> ReadTable(const QString& path, TableDialect* dialect = nullptr) {
    const OpenedTable table = OpenTableFile(path);
    QList<QStringList> rows;
    Row row;
    while (table.reader && table.reader->NextRow(row)) {
        QStringList& texts = rows.emplace_back();
        for (const Cell& cell : row)
            texts.append(cell.text);
    }
    if (dialect && table.reader)
        *dialect = table.reader->Dialect();
    return rows;
}

QByteArray SameRows(int count) {
    return "Adresse;Code postal;Ville\r\n" +
           QByteArray("18 rue Duhesme;75018;Paris\r\n").repeated(count);
}

} // namespace

class BatchRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(standin_.Start());
        QVERIFY(altimetry_.Start());
        altimetry_.SetUncovered(49.0317); // 8 Boulevard du Port, Cergy
    }

    // Rows of every kind in one file, shorter and longer than the header, with the altitude and
    // the INSEE code: each kept once, in order, decided from the recorded answers; the time left
    // counts the turns of Nominatim. The journal is one an earlier version left, without the
    // columns added since: it gets them.
    void everyRow() {
        QTemporaryDir dir;
        {
            QSqlDatabase older = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"older"_qs);
            older.setDatabaseName(dir.filePath(u"journal.sqlite"_qs));
            QVERIFY(older.open());
            QVERIFY(QSqlQuery(older).exec(
                u"CREATE TABLE outcomes (job INTEGER NOT NULL, row INTEGER NOT NULL, status "
                "INTEGER NOT NULL, latitude REAL, longitude REAL, label TEXT, precision TEXT, "
                "source TEXT, remark TEXT, PRIMARY KEY (job, row))"_qs));
        }
        QSqlDatabase::removeDatabase(u"older"_qs);
        const QString input =
            Write(dir, u"in.csv"_qs,
                  "Nom;Adresse;Code postal;Ville;Pays\r\nA;18 rue Duhesme;75018;Paris;\r\n"
                  "B;8 bd du port;95000;Cergy;\r\nC;8 bd du port\r\n"
                  "D;21 LOTISSEMENT CLOS DU PARC;26450;PUY ST MARTIN;\r\nE;;;Meaux;;extra\r\n"
                  "F;jsajhgsdkfjhsfkjhaldkadjaslgldasd;;Paris;\r\n"
                  "G;10 Downing Street;;London;Royaume-Uni\r\nH;" +
                      QByteArray(100000, 'x') + ";;;\r\nI;;;;\r\n");
        const QHash<QString, int> before = standin_.CsvAsks();
        const qsizetype altitudeRequests = altimetry_.PointsAsked().size();
        QList<qint64> left;
        const BatchEnd end = Run(dir, input, {true, true}, kChunkRows,
                                 [&](AddressBatch&, const BatchProgress& progress) {
                                     left.append(progress.secondsLeft.value_or(-1));
                                 });
        QVERIFY2(end.written, qPrintable(end.error));
        QCOMPARE(left, (QList<qint64>{1, 0, 0})); // London's turn of Nominatim, a second
        QCOMPARE(end.progress.counts, (std::array<qsizetype, 4>{4, 1, 3, 1}));
        QCOMPARE(standin_.CsvAsksSince(before, 9), (QList<int>{1, 1, 1, 1, 1, 1, 0, 0, 0}));
        // One request, London not sent.
        QCOMPARE(altimetry_.PointsAsked().mid(altitudeRequests), QList<int>{3});

        // The header, then by row: latitude, longitude, statut, adresse_trouvee, precision,
        // source, the beginning of remarque, altitude, code_insee.
        const QStringList expected = {
            u"Nom|Adresse|Code postal|Ville|Pays||latitude|longitude|statut|adresse_trouvee|"
            "precision|source|remarque|altitude|code_insee"_qs,
            u"48,890787|2,338562|trouvée|18 Rue Duhesme 75018 Paris|numéro|Base Adresse "
            "Nationale||164,34|75118"_qs,
            // Another département in the CSV answer, the town asked alone; not covered by the
            // altitudes.
            u"49,031700|2,062794|trouvée|8 Boulevard du Port 95000 Cergy|numéro|Base Adresse "
            "Nationale|||95127"_qs,
            // Five towns alike, none guessed.
            u"||à vérifier|||Base Adresse Nationale|Plusieurs lieux correspondent : 8 Boulevard "
            "du Port 80000 Amiens ; 8 Boulevard du Port 95000 Cergy||"_qs,
            // Issue 2116: another département at 0.63, refused.
            u"||introuvable||||Le lieu proposé par le service, « 21 Lotissement le Clos du Parc "
            "76133 Saint-Martin du Bec », ne correspond pas||"_qs,
            // The town, streets named after it scored alike.
            u"48,957320|2,902793|trouvée|Meaux|commune|Base Adresse Nationale||164,34|77284"_qs,
            u"||introuvable||||Aucun lieu ne correspond||"_qs,
            // Abroad, from Nominatim: no altitude, no INSEE code.
            u"51,503440|-0,127708|trouvée|Prime Minister’s Office, 10, Downing Street, "
            "Westminster, London, Greater London, England, SW1A 2AA, United Kingdom|numéro|"
            "OpenStreetMap Nominatim|||"_qs,
            u"||erreur||||Adresse trop longue (100000 caractères)||"_qs,
            u"||introuvable||||Aucune adresse sur cette ligne||"_qs};
        const QList<QStringList> out = ReadTable(dir.filePath(u"out.csv"_qs));
        QCOMPARE(out.size(), expected.size());
        QCOMPARE(out[0], expected[0].split(u'|'));
        for (qsizetype i = 1; i < out.size(); ++i) {
            QCOMPARE(out[i][0], QString(QChar(char16_t(u'A' + i - 1))));
            QStringList added = out[i].mid(6);
            const QStringList wanted = expected[i].split(u'|');
            added[6].truncate(wanted[6].size()); // its beginning
            QCOMPARE(added, wanted);
        }
        QCOMPARE(out[5][5], u"extra"_qs);
    }

    // Stopped after its first chunk, the second in flight, the next run goes on from there
    // without asking the first again, unless the file changed since (the window's tests start
    // again).
    // Nothing of the chunk in flight is kept, and the stop does not wait for its answer.
    void resumed_data() {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("delay"); // of every CSV answer in the first run, ms
        QTest::addColumn<int>("resumed");
        QTest::addColumn<QList<int>>("asked"); // in both runs, by row
        QTest::newRow("the file changed") << true << 0 << 0 << QList<int>{2, 2, 2, 2, 1};
        QTest::newRow("chunk ahead in flight") << false << 1000 << 2 << QList<int>{1, 1, 2, 2};
    }
    void resumed() {
        QFETCH(bool, changed);
        QFETCH(int, delay);
        QFETCH(int, resumed);
        QFETCH(QList<int>, asked);

        QTemporaryDir dir;
        const QString input = Write(dir, u"in.csv"_qs, SameRows(4));
        const QHash<QString, int> before = standin_.CsvAsks();
        const int requests = standin_.CsvRequests();
        QElapsedTimer sinceCancel;
        standin_.SetCsvDelay(std::chrono::milliseconds(delay));
        const BatchEnd first =
            Run(dir, input, {}, 2, [&](AddressBatch& batch, const BatchProgress& progress) {
                if (progress.done >= 2) {
                    AwaitCsvRequests(requests + 2);
                    sinceCancel.start();
                    batch.Cancel();
                }
            });
        standin_.SetCsvDelay(0ms);
        QVERIFY(first.cancelled);
        QCOMPARE(first.progress.done, 2);
        QVERIFY2(sinceCancel.elapsed() < delay / 2 + 200, "the answer in flight was waited for");
        if (changed)
            Write(dir, u"in.csv"_qs, SameRows(5));
        const BatchEnd end = Run(dir, input, {}, 2);
        QVERIFY2(end.written, qPrintable(end.error));
        QCOMPARE(end.progress.resumed, resumed);
        QCOMPARE(end.progress.counts[0], asked.size());
        QCOMPARE(standin_.CsvAsksSince(before, int(asked.size())), asked);
        const QList<QStringList> out = ReadTable(dir.filePath(u"out.csv"_qs));
        QCOMPARE(out.size(), asked.size() + 1);
        QCOMPARE(out[1][6], u"18 Rue Duhesme 75018 Paris"_qs);
    }

    // A short answer has its missing rows asked again; a 429 is waited out as its Retry-After
    // says.
    void faultsOvercome_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("csvRequests");
        QTest::addColumn<int>("altitudeRequests");
        QTest::addColumn<QList<int>>("asked"); // by row
        QTest::newRow("CSV answer short of two rows") << 5 << 2 << 1 << QList<int>{1, 1, 1, 2, 2};
        QTest::newRow("CSV 429") << 2 << 2 << 1 << QList<int>{1, 1};
        QTest::newRow("CSV 429 of a chunk sent ahead") << 3 << 4 << 1 << QList<int>{1, 1, 1};
        QTest::newRow("altitudes 429") << 2 << 1 << 2 << QList<int>{1, 1};
    }
    void faultsOvercome() {
        const QByteArray fault = QTest::currentDataTag();
        QFETCH(int, rows);
        QFETCH(int, csvRequests);
        QFETCH(int, altitudeRequests);
        QFETCH(QList<int>, asked);

        QTemporaryDir dir;
        const QString input = Write(dir, u"in.csv"_qs, SameRows(rows));
        const QHash<QString, int> before = standin_.CsvAsks();
        const int csvBefore = standin_.CsvRequests();
        const int altitudeBefore = altimetry_.Requests();
        if (fault.startsWith("CSV answer short"))
            standin_.CutNextShort(2);
        else if (fault == "CSV 429")
            standin_.RefuseNext();
        else if (fault == "altitudes 429")
            altimetry_.RefuseNext(1, 1);
        // A row a chunk: the first chunk recorded, the second or the third is the one refused,
        // both sent while the chunk before them was weighed.
        const bool ahead = fault.endsWith("ahead");
        QElapsedTimer clock;
        clock.start();
        const BatchEnd end = Run(dir, input, {true, false}, ahead ? 1 : kChunkRows,
                                 [&](AddressBatch&, const BatchProgress& progress) {
                                     if (ahead && progress.done == 1)
                                         standin_.RefuseNext();
                                 });
        QVERIFY2(end.written, qPrintable(end.error));
        QCOMPARE(end.progress.counts[0], rows);
        QCOMPARE(standin_.CsvRequests() - csvBefore, csvRequests);
        QCOMPARE(altimetry_.Requests() - altitudeBefore, altitudeRequests);
        QCOMPARE(standin_.CsvAsksSince(before, rows), asked);
        QVERIFY2(!fault.contains("429") || clock.elapsed() >= 1000,
                 "the Retry-After was not waited out");
        QCOMPARE(ReadTable(dir.filePath(u"out.csv"_qs))[1].back(), u"164,34"_qs);
    }

    void pausedBetweenChunks() {
        QTemporaryDir dir;
        std::jthread resumer; // joined before the batch it resumes is gone
        int whilePaused = -1;
        const int before = standin_.CsvRequests();
        const auto onProgress = [&](AddressBatch& batch, const BatchProgress& progress) {
            if (progress.done == 2) {
                batch.Pause();
                // The second chunk was sent before the pause, the third must wait for the resume.
                AwaitCsvRequests(before + 2);
                resumer = std::jthread([&batch, &whilePaused, this, at = standin_.CsvRequests()] {
                    std::this_thread::sleep_for(300ms);
                    whilePaused = standin_.CsvRequests() - at;
                    batch.Resume();
                });
            } else if (resumer.joinable()) {
                resumer.join();
            }
        };
        const BatchEnd end = Run(dir, Write(dir, u"in.csv"_qs, SameRows(6)), {}, 2, onProgress);
        QVERIFY2(end.written, qPrintable(end.error));
        QCOMPARE(whilePaused, 0);
        QCOMPARE(end.progress.counts[0], 6);
    }

    // Nothing is written from a file that cannot be read. (A service that does not answer
    // pauses the run, nothing written: the window's and the command line's tests.)
    void notWritten_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error"); // its beginning
        QTest::newRow("empty") << QByteArray() << u"Le fichier est vide."_qs;
        QTest::newRow("no address column")
            << QByteArray("Nom\r\nDupont\r\n")
            << u"Aucune colonne d'adresse n'a été reconnue dans « in.csv »"_qs;
        QTest::newRow("a header only")
            << QByteArray("Adresse;Ville\r\n") << u"Le fichier « in.csv » n'a aucune ligne"_qs;
    }
    void notWritten() {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const BatchEnd end = Run(dir, Write(dir, u"in.csv"_qs, file));
        QVERIFY(!end.written);
        QVERIFY2(end.error.startsWith(error), qPrintable(end.error));
        QCOMPARE(end.progress.done, 0);
        QVERIFY(!QFile::exists(dir.filePath(u"out.csv"_qs)));
    }

    // The real files of the spreadsheet tests (their origin in tests/spreadsheet/data/README.md):
    // the result is written in the same format and dialect, every cell of every row kept.
    void dialectsKept_data() {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"excel-semicolon-windows1252-crlf.csv", "excel-utf8-bom-crlf.csv",
              "libreoffice-comma-utf8-lf.csv", "libreoffice-quote-all-lf.csv",
              "libreoffice-tab-utf8-lf.csv", "libreoffice.xlsx", "libreoffice.ods"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }
    void dialectsKept() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString input = dir.filePath(name);
        QVERIFY(QFile::copy(QStringLiteral(SPREADSHEET_DATA_DIR "/") + name, input));
        const BatchEnd end = Run(dir, input);
        QVERIFY2(end.written, qPrintable(end.error));

        TableDialect inDialect, outDialect;
        const QList<QStringList> in = ReadTable(input, &inDialect);
        const QList<QStringList> out =
            ReadTable(dir.filePath(u"out."_qs + QFileInfo(name).suffix()), &outDialect);
        QCOMPARE(in.size(), 6);
        QCOMPARE(out.size(), in.size());
        for (qsizetype i = 0; i < in.size(); ++i) {
            QCOMPARE(out[i].size(), 8 + 7); // the 8 of the file, latitude to remarque
            QCOMPARE(out[i].mid(0, in[i].size()), in[i]);
        }
        QVERIFY(std::tie(outDialect.format, outDialect.separator, outDialect.encoding,
                         outDialect.lineEnd) == std::tie(inDialect.format, inDialect.separator,
                                                         inDialect.encoding, inDialect.lineEnd));
    }

    // 12,000 rows found: their altitudes in three requests of 5,000 points at most; cut short
    // after the first, the run goes on without asking the rows or the altitudes it has again.
    void altitudesBatchedAndResumed() {
        constexpr int kRows = 12000;
        QTemporaryDir dir;
        const QString input = Write(dir, u"in.csv"_qs, SameRows(kRows));
        const qsizetype before = altimetry_.PointsAsked().size();
        const BatchEnd first = Run(dir, input, {true, false}, kChunkRows,
                                   [&](AddressBatch& batch, const BatchProgress&) {
                                       if (altimetry_.PointsAsked().size() > before)
                                           batch.Cancel();
                                   });
        QVERIFY(first.cancelled);
        QCOMPARE(first.progress.done, kRows);
        const int csvRequests = standin_.CsvRequests();
        const BatchEnd second = Run(dir, input, {true, false});
        QVERIFY2(second.written, qPrintable(second.error));
        QCOMPARE(second.progress.resumed, kRows);
        QCOMPARE(standin_.CsvRequests(), csvRequests);
        QCOMPARE(altimetry_.PointsAsked().mid(before), (QList<int>{5000, 5000, 2000}));
        const QList<QStringList> out = ReadTable(dir.filePath(u"out.csv"_qs));
        QCOMPARE(out.size(), kRows + 1);
        QVERIFY2(std::none_of(out.cbegin() + 1, out.cend(),
                              [](const QStringList& row) { return row.back().isEmpty(); }),
                 "a row has no altitude");
    }

private:
    // Runs a batch of `input` into out.csv (or the input's other extension), journalled in
    // journal.sqlite, both in `dir`, asking the stand-ins with services of its own.
    BatchEnd Run(const QTemporaryDir& dir, const QString& input, ExtraColumns extra = {},
                 qsizetype chunkRows = kChunkRows, const OnProgress& onProgress = {}) const {
        BatchRequest request;
        request.extra = extra;
        request.input = input;
        request.output = dir.filePath(u"out."_qs + QFileInfo(input).suffix());
        request.journal = dir.filePath(u"journal.sqlite"_qs);
        request.chunkRows = chunkRows;
        GeoplateformeCsvSearch csv(standin_.CsvUrl(), "TarnelTest/1");
        GeoplateformeGeocoder france(standin_.SearchUrl(), "TarnelTest/1");
        NominatimGeocoder world(standin_.NominatimUrl(), "TarnelTest/1", {}, 1ms);
        AltitudeBatch altitude(altimetry_.Url(), "TarnelTest/1", AltitudeBatch::Limits(),
                               std::make_shared<RateLimiter>(10ms, 3000ms));
        AddressBatch batch(request, {&csv, &france, &world, &altitude},
                           [&](const BatchProgress& progress) {
                               if (onProgress)
                                   onProgress(batch, progress);
                           });
        batch.Start();
        return batch.Wait();
    }
    // Waits, ten seconds at most, until the stand-in has received `count` CSV requests in all:
    // the chunk sent ahead of the one weighed reaches it at a moment of its own.
    void AwaitCsvRequests(int count) const {
        QElapsedTimer clock;
        clock.start();
        while (standin_.CsvRequests() < count && clock.elapsed() < 10000)
            std::this_thread::sleep_for(1ms);
    }

    testing::GeocodingStandin standin_;
    testing::AltimetryStandin altimetry_;
};

QTEST_GUILESS_MAIN(BatchRunTest)
#include "BatchRunTest.moc"
