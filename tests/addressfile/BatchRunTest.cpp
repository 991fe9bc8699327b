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

// The services of a batch, all asking `standin` (the CSV geocoding at `csvUrl` when given), the
// altitudes at `altitudeUrl`, with turns of their own.
struct Services {
    explicit Services(const testing::GeocodingStandin& standin, const QString& csvUrl = {},
                      const QString& altitudeUrl = u"http://127.0.0.1:1/elevation.json"_qs)
        : csv(csvUrl.isEmpty() ? standin.CsvUrl() : csvUrl, "TarnelTest/1")
        , france(standin.SearchUrl(), "TarnelTest/1")
        , world(standin.NominatimUrl(), "TarnelTest/1", {}, 1ms)
        , altitude(altitudeUrl, "TarnelTest/1", AltitudeBatch::Limits(),
                   std::make_shared<RateLimiter>(10ms, 3000ms)) {}
    BatchServices Pointers() { return {&csv, &france, &world, &altitude}; }

    GeoplateformeCsvSearch csv;
    GeoplateformeGeocoder france;
    NominatimGeocoder world;
    AltitudeBatch altitude;
};

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

QList<Row> ReadBack(const QString& path) {
    OpenedTable table = OpenTableFile(path);
    QList<Row> rows;
    Row row;
    while (table.reader && table.reader->NextRow(row)) {
        rows.append(row);
    }
    return rows;
}

BatchEnd Run(const QTemporaryDir& dir, const QString& input, BatchServices services,
             qsizetype chunkRows = kChunkRows,
             const std::function<void(AddressBatch&, const BatchProgress&)>& onProgress = {},
             bool restart = false, ExtraColumns extra = {}) {
    BatchRequest request;
    request.restart = restart;
    request.extra = extra;
    request.input = input;
    request.output = dir.filePath(u"out.csv"_qs);
    request.journal = dir.filePath(u"journal.sqlite"_qs);
    request.chunkRows = chunkRows;
    AddressBatch* running = nullptr;
    AddressBatch batch(request, services, [&](const BatchProgress& progress) {
        if (onProgress) {
            onProgress(*running, progress);
        }
    });
    running = &batch;
    batch.Start();
    return batch.Wait();
}

QByteArray SameRows(const QByteArray& row, int count) {
    QByteArray rows = "Adresse;Code postal;Ville\r\n";
    for (int i = 0; i < count; ++i) {
        rows += row + "\r\n";
    }
    return rows;
}

// Columns added after the input's: latitude, longitude, statut, adresse_trouvee, precision,
// source, remarque.
constexpr qsizetype kAdded = 7;

} // namespace

class BatchRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rows_data();
    void rows();
    void everyRowKeptInOrder();
    void shortAnswerAskedAgain();
    void refusalWaitedOut();
    void networkFailurePauses();
    void resumedWithoutAskingAgain();
    void pausedBetweenChunks();
    void startedAgain_data();
    void startedAgain();
    void timeLeftCountsNominatimTurns();
    void refusedFiles_data();
    void refusedFiles();
    void dialectsKept_data();
    void dialectsKept();
    void extraColumns_data();
    void extraColumns();
    void altitudesBatchedAndResumed();
    void altitudeRefusalWaitedOut();
    void altitudeServiceDownPauses();
    void olderJournalTakenUp();

private:
    testing::GeocodingStandin standin_;
    testing::AltimetryStandin altimetry_;
};

void BatchRunTest::initTestCase() {
    QVERIFY(standin_.Start());
    QVERIFY(altimetry_.Start());
    altimetry_.SetUncovered(49.0317); // 8 Boulevard du Port, Cergy
}

void BatchRunTest::rows_data() {
    QTest::addColumn<QByteArray>("row"); // Nom;Adresse;Code postal;Ville;Pays
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("precision");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("remark"); // its beginning
    QTest::addColumn<QString>("latitude");

    const QString ban = u"Base Adresse Nationale"_qs;
    QTest::newRow("the house, from the CSV answer")
        << QByteArray("A;18 rue Duhesme;75018;Paris;") << u"trouvée"_qs
        << u"18 Rue Duhesme 75018 Paris"_qs << u"numéro"_qs << ban << QString() << u"48,890787"_qs;
    QTest::newRow("another département in the CSV answer, the town asked alone")
        << QByteArray("B;8 bd du port;95000;Cergy;") << u"trouvée"_qs
        << u"8 Boulevard du Port 95000 Cergy"_qs << u"numéro"_qs << ban << QString()
        << u"49,031700"_qs;
    QTest::newRow("five towns alike, none guessed")
        << QByteArray("C;8 bd du port;;;") << u"à vérifier"_qs << QString() << QString() << ban
        << u"Plusieurs lieux correspondent : 8 Boulevard du Port 80000 Amiens ; 8 Boulevard du "
           "Port 95000 Cergy"_qs
        << QString();
    QTest::newRow("issue 2116: another département at 0.63, refused")
        << QByteArray("D;21 LOTISSEMENT CLOS DU PARC;26450;PUY ST MARTIN;") << u"introuvable"_qs
        << QString() << QString() << QString()
        << u"Le lieu proposé par le service, « 21 Lotissement le Clos du Parc 76133 "
           "Saint-Martin du Bec », ne correspond pas"_qs
        << QString();
    QTest::newRow("the town, streets named after it scored alike")
        << QByteArray("E;;;Meaux;") << u"trouvée"_qs << u"Meaux"_qs << u"commune"_qs << ban
        << QString() << u"48,957320"_qs;
    QTest::newRow("nothing found")
        << QByteArray("F;jsajhgsdkfjhsfkjhaldkadjaslgldasd;;Paris;") << u"introuvable"_qs
        << QString() << QString() << QString() << u"Aucun lieu ne correspond"_qs << QString();
    QTest::newRow("abroad, from Nominatim")
        << QByteArray("G;10 Downing Street;;London;Royaume-Uni") << u"trouvée"_qs << QString()
        << u"numéro"_qs << u"OpenStreetMap Nominatim"_qs << QString() << u"51,503440"_qs;
    QTest::newRow("a huge row kept, marked")
        << QByteArray("H;") + QByteArray(100000, 'x') + ";;;" << u"erreur"_qs << QString()
        << QString() << QString() << u"Adresse trop longue (100000 caractères)"_qs << QString();
    QTest::newRow("a byte windows-1252 leaves undefined")
        << QByteArray("I;3 rue \x81;75001;Paris;") << u"erreur"_qs << QString() << QString()
        << QString() << u"La ligne contient des caractères"_qs << QString();
    QTest::newRow("no address") << QByteArray("J;;;;") << u"introuvable"_qs << QString()
                                << QString() << QString() << u"Aucune adresse sur cette ligne"_qs
                                << QString();
}

void BatchRunTest::rows() {
    QFETCH(QByteArray, row);
    QFETCH(QString, status);
    QFETCH(QString, label);
    QFETCH(QString, precision);
    QFETCH(QString, source);
    QFETCH(QString, remark);
    QFETCH(QString, latitude);

    QTemporaryDir dir;
    const QString input =
        Write(dir, u"in.csv"_qs, "Nom;Adresse;Code postal;Ville;Pays\r\n" + row + "\r\n");
    Services services(standin_);
    const BatchEnd end = Run(dir, input, services.Pointers());
    QVERIFY2(end.written, qPrintable(end.error));
    const QList<Row> out = ReadBack(dir.filePath(u"out.csv"_qs));
    QCOMPARE(out.size(), 2);
    const Row& result = out[1];
    QCOMPARE(result.size(), 5 + kAdded);
    QCOMPARE(result[0].text, QString::fromUtf8(row.left(1)));
    QCOMPARE(result[7].text, status);
    if (!label.isEmpty()) {
        QCOMPARE(result[8].text, label);
    }
    QCOMPARE(result[9].text, precision);
    QCOMPARE(result[10].text, source);
    QVERIFY2(result[11].text.startsWith(remark), qPrintable(result[11].text));
    QCOMPARE(result[5].text, latitude);
    QCOMPARE(result[6].text.isEmpty(), latitude.isEmpty());
}

void BatchRunTest::everyRowKeptInOrder() {
    // Rows of every kind, shorter and longer than the header, in one chunk: each once.
    QTemporaryDir dir;
    const QByteArray file = "Adresse,CP,Ville\n"
                            "18 rue Duhesme,75018,Paris\n"
                            "8 bd du port\n"
                            ",,\n"
                            "10 PL 5 MARTYRS LYCEE BUFFON,75015,PARIS,extra\n"
                            "6 quai de la Tourelle,95000,Cergy\n";
    const QString input = Write(dir, u"in.csv"_qs, file);
    Services services(standin_);
    const QHash<QString, int> before = standin_.CsvAsks();
    const BatchEnd end = Run(dir, input, services.Pointers());
    QVERIFY2(end.written, qPrintable(end.error));
    const QList<Row> out = ReadBack(dir.filePath(u"out.csv"_qs));
    QCOMPARE(out.size(), 6);
    QCOMPARE(out[0][3].text, QString()); // the widest row's extra column gets no name
    QCOMPARE(out[0][4].text, u"latitude"_qs);
    QCOMPARE(out[0].back().text, u"remarque"_qs);
    const QStringList firsts = {u"18 rue Duhesme"_qs, u"8 bd du port"_qs, QString(),
                                u"10 PL 5 MARTYRS LYCEE BUFFON"_qs, u"6 quai de la Tourelle"_qs};
    const QStringList statuses = {u"trouvée"_qs, u"à vérifier"_qs, u"introuvable"_qs, u"trouvée"_qs,
                                  u"trouvée"_qs};
    for (qsizetype i = 0; i < firsts.size(); ++i) {
        QCOMPARE(out[i + 1].size(), 4 + kAdded);
        QCOMPARE(out[i + 1][0].text, firsts[i]);
        QCOMPARE(out[i + 1][6].text, statuses[i]);
    }
    QCOMPARE(out[4][3].text, u"extra"_qs);
    QCOMPARE((std::array<qsizetype, 4>{3, 1, 1, 0}), end.progress.counts);
    const QHash<QString, int> after = standin_.CsvAsks();
    for (const QString& id : {u"0"_qs, u"1"_qs, u"3"_qs, u"4"_qs}) {
        QCOMPARE(after.value(id) - before.value(id), 1);
    }
    QCOMPARE(after.value(u"2"_qs), before.value(u"2"_qs)); // nothing to ask
}

void BatchRunTest::shortAnswerAskedAgain() {
    QTemporaryDir dir;
    const QString input = Write(dir, u"in.csv"_qs, SameRows("18 rue Duhesme;75018;Paris", 5));
    Services services(standin_);
    const QHash<QString, int> before = standin_.CsvAsks();
    const int requests = standin_.CsvRequests();
    standin_.CutNextShort(2);
    const BatchEnd end = Run(dir, input, services.Pointers());
    QVERIFY2(end.written, qPrintable(end.error));
    QCOMPARE(end.progress.counts[0], 5);
    QCOMPARE(standin_.CsvRequests() - requests, 2);
    const QHash<QString, int> after = standin_.CsvAsks();
    const QList<int> asked = {1, 1, 1, 2, 2};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(after.value(QString::number(i)) - before.value(QString::number(i)), asked[i]);
    }
}

void BatchRunTest::refusalWaitedOut() {
    QTemporaryDir dir;
    const QString input = Write(dir, u"in.csv"_qs, SameRows("18 rue Duhesme;75018;Paris", 2));
    Services services(standin_);
    const int refusals = standin_.Refusals();
    standin_.RefuseNext(1, 1);
    QElapsedTimer clock;
    clock.start();
    const BatchEnd end = Run(dir, input, services.Pointers());
    QVERIFY2(end.written, qPrintable(end.error));
    QCOMPARE(standin_.Refusals() - refusals, 1);
    QVERIFY2(clock.elapsed() >= 1000, "the Retry-After was not waited out");
    QCOMPARE(end.progress.counts[0], 2);
}

void BatchRunTest::networkFailurePauses() {
    QTemporaryDir dir;
    const QString input = Write(dir, u"in.csv"_qs, SameRows("18 rue Duhesme;75018;Paris", 2));
    // Nothing listens on port 1 of the loopback interface.
    Services services(standin_, u"http://127.0.0.1:1/geocodage/search/csv"_qs);
    QString pause;
    const BatchEnd end = Run(dir, input, services.Pointers(), kChunkRows,
                             [&](AddressBatch& batch, const BatchProgress& progress) {
                                 if (!progress.pause.isEmpty()) {
                                     pause = progress.pause;
                                     batch.Cancel();
                                 }
                             });
    QVERIFY(!end.written);
    QVERIFY(end.cancelled);
    QVERIFY2(pause.startsWith(u"Le service de géocodage ne répond pas"_qs), qPrintable(pause));
    QCOMPARE(end.error, pause);
    QVERIFY(!QFile::exists(dir.filePath(u"out.csv"_qs)));
}

void BatchRunTest::resumedWithoutAskingAgain() {
    QTemporaryDir dir;
    const QString input =
        Write(dir, u"in.csv"_qs,
              "Adresse;Code postal;Ville\r\n18 rue Duhesme;75018;Paris\r\n8 bd du port;95000;"
              "Cergy\r\n;;Meaux\r\n10 PL 5 MARTYRS LYCEE BUFFON;75015;PARIS\r\n6 quai de la "
              "Tourelle;95000;Cergy\r\n18 rue Duhesme;75018;Paris\r\n");
    const QHash<QString, int> before = standin_.CsvAsks();
    {
        Services services(standin_);
        const BatchEnd first = Run(dir, input, services.Pointers(), 2,
                                   [](AddressBatch& batch, const BatchProgress& progress) {
                                       if (progress.done >= 2) {
                                           batch.Cancel();
                                       }
                                   });
        QVERIFY(first.cancelled);
        QCOMPARE(first.progress.done, 2);
    }
    Services services(standin_);
    const BatchEnd second = Run(dir, input, services.Pointers(), 2);
    QVERIFY2(second.written, qPrintable(second.error));
    QCOMPARE(second.progress.resumed, 2);
    QCOMPARE(second.progress.counts[0], 6);
    const QHash<QString, int> after = standin_.CsvAsks();
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(after.value(QString::number(i)) - before.value(QString::number(i)), 1);
    }
    const QList<Row> out = ReadBack(dir.filePath(u"out.csv"_qs));
    QCOMPARE(out.size(), 7);
    QCOMPARE(out[6][0].text, u"18 rue Duhesme"_qs);
    QCOMPARE(out[2][6].text, u"8 Boulevard du Port 95000 Cergy"_qs);
}

// An unfinished run is forgotten when asked to, or when the file changed since.
void BatchRunTest::startedAgain_data() {
    QTest::addColumn<bool>("restart");
    QTest::addColumn<bool>("changed");
    QTest::newRow("--recommencer") << true << false;
    QTest::newRow("the file changed") << false << true;
}

void BatchRunTest::startedAgain() {
    QFETCH(bool, restart);
    QFETCH(bool, changed);
    QTemporaryDir dir;
    const QByteArray rows = SameRows("18 rue Duhesme;75018;Paris", 4);
    const QString input = Write(dir, u"in.csv"_qs, rows);
    const QHash<QString, int> before = standin_.CsvAsks();
    {
        Services services(standin_);
        Run(dir, input, services.Pointers(), 2,
            [](AddressBatch& batch, const BatchProgress& progress) {
                if (progress.done >= 2) {
                    batch.Cancel();
                }
            });
    }
    if (changed) {
        Write(dir, u"in.csv"_qs, rows + "6 quai de la Tourelle;95000;Cergy\r\n");
    }
    Services services(standin_);
    const BatchEnd end = Run(dir, input, services.Pointers(), 2, {}, restart);
    QVERIFY2(end.written, qPrintable(end.error));
    QCOMPARE(end.progress.resumed, 0);
    const QHash<QString, int> after = standin_.CsvAsks();
    QCOMPARE(after.value(u"0"_qs) - before.value(u"0"_qs), 2);
    QCOMPARE(after.value(u"3"_qs) - before.value(u"3"_qs), 1);
}

void BatchRunTest::pausedBetweenChunks() {
    QTemporaryDir dir;
    const QString input = Write(dir, u"in.csv"_qs, SameRows("18 rue Duhesme;75018;Paris", 6));
    Services services(standin_);
    std::thread resumer;
    int whilePaused = -1;
    const BatchEnd end = Run(dir, input, services.Pointers(), 2,
                             [&](AddressBatch& batch, const BatchProgress& progress) {
                                 if (progress.done != 2) {
                                     return;
                                 }
                                 batch.Pause();
                                 const int requests = standin_.CsvRequests();
                                 resumer = std::thread([&batch, &whilePaused, requests, this] {
                                     std::this_thread::sleep_for(300ms);
                                     whilePaused = standin_.CsvRequests() - requests;
                                     batch.Resume();
                                 });
                             });
    resumer.join();
    QVERIFY2(end.written, qPrintable(end.error));
    QCOMPARE(whilePaused, 0);
    QCOMPARE(end.progress.counts[0], 6);
}

void BatchRunTest::timeLeftCountsNominatimTurns() {
    QTemporaryDir dir;
    const QString input = Write(dir, u"in.csv"_qs,
                                "Adresse;Ville;Pays\r\n18 rue Duhesme;Paris;\r\n"
                                "10 Downing Street;London;Royaume-Uni\r\n"
                                "10 Downing Street;London;Royaume-Uni\r\n"
                                "10 Downing Street;London;Royaume-Uni\r\n");
    Services services(standin_);
    QList<qint64> left;
    const BatchEnd end = Run(dir, input, services.Pointers(), kChunkRows,
                             [&](AddressBatch&, const BatchProgress& progress) {
                                 left.append(progress.secondsLeft.value_or(-1));
                             });
    QVERIFY2(end.written, qPrintable(end.error));
    QCOMPARE(left, (QList<qint64>{3, 2, 1, 0}));
    QCOMPARE(end.progress.counts[0], 4);
}

void BatchRunTest::refusedFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty") << QByteArray() << u"Le fichier est vide."_qs;
    QTest::newRow("no address column")
        << QByteArray("Nom;Téléphone\r\nDupont;0102030405\r\n")
        << u"Aucune colonne d'adresse n'a été reconnue dans « in.csv »"_qs;
    QTest::newRow("a header only")
        << QByteArray("Adresse;Ville\r\n") << u"Le fichier « in.csv » n'a aucune ligne"_qs;
    QTest::newRow("a password-protected workbook")
        << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(512, '\0')
        << u"Ce classeur est protégé par un mot de passe"_qs;
}

void BatchRunTest::refusedFiles() {
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QTemporaryDir dir;
    Services services(standin_);
    const BatchEnd end = Run(dir, Write(dir, u"in.csv"_qs, file), services.Pointers());
    QVERIFY(!end.written);
    QVERIFY2(end.error.startsWith(error), qPrintable(end.error));
    QVERIFY(!QFile::exists(dir.filePath(u"out.csv"_qs)));
}

// The real files of the spreadsheet tests (their origin in tests/spreadsheet/data/README.md):
// the result is written in the same format and dialect, every cell of every row kept.
void BatchRunTest::dialectsKept_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"excel-semicolon-windows1252-crlf.csv", "excel-utf8-bom-crlf.csv",
          "libreoffice-comma-utf8-lf.csv", "libreoffice-quote-all-lf.csv",
          "libreoffice-tab-utf8-lf.csv", "libreoffice.xlsx", "libreoffice.ods"}) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

void BatchRunTest::dialectsKept() {
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString input = dir.filePath(name);
    QVERIFY(QFile::copy(QStringLiteral(SPREADSHEET_DATA_DIR "/") + name, input));
    Services services(standin_);
    BatchRequest request;
    request.input = input;
    request.output = dir.filePath(u"out."_qs + QFileInfo(name).suffix());
    request.journal = dir.filePath(u"journal.sqlite"_qs);
    AddressBatch batch(request, services.Pointers(), {});
    batch.Start();
    const BatchEnd end = batch.Wait();
    QVERIFY2(end.written, qPrintable(end.error));

    OpenedTable in = OpenTableFile(input);
    OpenedTable out = OpenTableFile(request.output);
    QVERIFY(in.reader && out.reader);
    Row inRow;
    Row outRow;
    qsizetype rows = 0;
    while (in.reader->NextRow(inRow)) {
        QVERIFY(out.reader->NextRow(outRow));
        QCOMPARE(outRow.size(), 8 + kAdded);
        for (qsizetype i = 0; i < inRow.size(); ++i) {
            QCOMPARE(outRow[i].text, inRow[i].text);
        }
        ++rows;
    }
    QVERIFY(!out.reader->NextRow(outRow));
    QCOMPARE(rows, 6);
    QCOMPARE(out.reader->Dialect().format, in.reader->Dialect().format);
    if (in.reader->Dialect().format == TableFormat::Csv) {
        QCOMPARE(out.reader->Dialect().separator, in.reader->Dialect().separator);
        QCOMPARE(out.reader->Dialect().encoding, in.reader->Dialect().encoding);
        QCOMPARE(out.reader->Dialect().lineEnd, in.reader->Dialect().lineEnd);
    }
}

// The altitude and the INSEE code, on request, after the other added columns: numbers as the
// coordinates are written, empty where the service has no altitude (-99999, abroad) or the row
// was not found.
void BatchRunTest::extraColumns_data() {
    QTest::addColumn<bool>("altitude");
    QTest::addColumn<bool>("cityCode");
    QTest::addColumn<QStringList>("added"); // the names of the columns after "remarque"
    // By row: Duhesme (CSV answer), Cergy (asked alone, not covered), London (Nominatim gives no
    // INSEE code), not found.
    QTest::addColumn<QList<QStringList>>("cells");

    const QList<QStringList> both = {{u"164,34"_qs, u"75118"_qs},
                                     {QString(), u"95127"_qs},
                                     {QString(), QString()},
                                     {QString(), QString()}};
    QTest::newRow("both") << true << true << QStringList{u"altitude"_qs, u"code_insee"_qs} << both;
    QTest::newRow("neither") << false << false << QStringList() << QList<QStringList>{};
}

void BatchRunTest::extraColumns() {
    QFETCH(bool, altitude);
    QFETCH(bool, cityCode);
    QFETCH(QStringList, added);
    QFETCH(QList<QStringList>, cells);

    QTemporaryDir dir;
    const QString input = Write(dir, u"in.csv"_qs,
                                "Adresse;Code postal;Ville;Pays\r\n18 rue Duhesme;75018;Paris;\r\n"
                                "8 bd du port;95000;Cergy;\r\n"
                                "10 Downing Street;;London;Royaume-Uni\r\n"
                                "jsajhgsdkfjhsfkjhaldkadjaslgldasd;;Paris;\r\n");
    Services services(standin_, {}, altimetry_.Url());
    const int requests = altimetry_.Requests();
    const BatchEnd end =
        Run(dir, input, services.Pointers(), kChunkRows, {}, false, {altitude, cityCode});
    QVERIFY2(end.written, qPrintable(end.error));
    QCOMPARE(altimetry_.Requests() - requests, altitude ? 1 : 0);
    QCOMPARE(altitude ? altimetry_.PointsAsked().back() : 2, 2); // London is not sent
    const QList<Row> out = ReadBack(dir.filePath(u"out.csv"_qs));
    QCOMPARE(out.size(), 5);
    QStringList header;
    for (qsizetype i = 4 + kAdded; i < out[0].size(); ++i) {
        header.append(out[0][i].text);
    }
    QCOMPARE(header, added);
    for (qsizetype row = 0; row < cells.size(); ++row) {
        QCOMPARE(out[row + 1].size(), 4 + kAdded + added.size());
        for (qsizetype i = 0; i < added.size(); ++i) {
            QCOMPARE(out[row + 1][4 + kAdded + i].text, cells[row].value(i));
        }
    }
}

// 12,000 rows found: their altitudes in three requests of 5,000 points at most; cut short after
// the first, the run goes on without asking the rows or the altitudes it has again.
void BatchRunTest::altitudesBatchedAndResumed() {
    constexpr int kRows = 12000;
    QTemporaryDir dir;
    const QString input = Write(dir, u"in.csv"_qs, SameRows("18 rue Duhesme;75018;Paris", kRows));
    const qsizetype before = altimetry_.PointsAsked().size();
    const ExtraColumns extra{true, false};
    {
        Services services(standin_, {}, altimetry_.Url());
        const BatchEnd first = Run(
            dir, input, services.Pointers(), kChunkRows,
            [&](AddressBatch& batch, const BatchProgress&) {
                if (altimetry_.PointsAsked().size() > before) {
                    batch.Cancel();
                }
            },
            false, extra);
        QVERIFY(first.cancelled);
        QCOMPARE(first.progress.done, kRows);
    }
    const int csvRequests = standin_.CsvRequests();
    Services services(standin_, {}, altimetry_.Url());
    const BatchEnd second = Run(dir, input, services.Pointers(), kChunkRows, {}, false, extra);
    QVERIFY2(second.written, qPrintable(second.error));
    QCOMPARE(second.progress.resumed, kRows);
    QCOMPARE(standin_.CsvRequests(), csvRequests);
    QCOMPARE(altimetry_.PointsAsked().mid(before), (QList<int>{5000, 5000, 2000}));
    const QList<Row> out = ReadBack(dir.filePath(u"out.csv"_qs));
    QCOMPARE(out.size(), kRows + 1);
    for (qsizetype i = 1; i <= kRows; ++i) {
        if (out[i].back().text.isEmpty()) {
            QFAIL(qPrintable(u"row %1 has no altitude"_qs.arg(i)));
        }
    }
}

void BatchRunTest::altitudeRefusalWaitedOut() {
    QTemporaryDir dir;
    const QString input = Write(dir, u"in.csv"_qs, SameRows("18 rue Duhesme;75018;Paris", 2));
    Services services(standin_, {}, altimetry_.Url());
    const int refusals = altimetry_.Refusals();
    altimetry_.RefuseNext(1, 1);
    QElapsedTimer clock;
    clock.start();
    const BatchEnd end = Run(dir, input, services.Pointers(), kChunkRows, {}, false, {true, false});
    QVERIFY2(end.written, qPrintable(end.error));
    QCOMPARE(altimetry_.Refusals() - refusals, 1);
    QVERIFY2(clock.elapsed() >= 1000, "the Retry-After was not waited out");
    QCOMPARE(ReadBack(dir.filePath(u"out.csv"_qs))[1].back().text, u"164,34"_qs);
}

void BatchRunTest::altitudeServiceDownPauses() {
    QTemporaryDir dir;
    const QString input = Write(dir, u"in.csv"_qs, SameRows("18 rue Duhesme;75018;Paris", 2));
    Services services(standin_); // the altitudes at a port where nothing listens
    QString pause;
    const BatchEnd end = Run(dir, input, services.Pointers(), kChunkRows,
                             [&](AddressBatch& batch, const BatchProgress& progress) {
                                 if (!progress.pause.isEmpty()) {
                                     pause = progress.pause;
                                     batch.Cancel();
                                 }
                             },
                             false, {true, true});
    QVERIFY(!end.written);
    QVERIFY(end.cancelled);
    QVERIFY2(pause.startsWith(u"Le service d'altitude de l'IGN ne répond pas"_qs),
             qPrintable(pause));
    QCOMPARE(end.progress.done, 2);
    QVERIFY(!QFile::exists(dir.filePath(u"out.csv"_qs)));
}

// A journal an earlier version left, without the columns added since, gets them.
void BatchRunTest::olderJournalTakenUp() {
    QTemporaryDir dir;
    {
        QSqlDatabase older = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"older"_qs);
        older.setDatabaseName(dir.filePath(u"journal.sqlite"_qs));
        QVERIFY(older.open());
        QSqlQuery make(older);
        QVERIFY(make.exec(u"CREATE TABLE outcomes (job INTEGER NOT NULL, row INTEGER NOT NULL, "
                          "status INTEGER NOT NULL, latitude REAL, longitude REAL, label TEXT, "
                          "precision TEXT, source TEXT, remark TEXT, PRIMARY KEY (job, row))"_qs));
        older.close();
    }
    QSqlDatabase::removeDatabase(u"older"_qs);
    const QString input = Write(dir, u"in.csv"_qs, SameRows("18 rue Duhesme;75018;Paris", 1));
    Services services(standin_, {}, altimetry_.Url());
    const BatchEnd end = Run(dir, input, services.Pointers(), kChunkRows, {}, false, {true, true});
    QVERIFY2(end.written, qPrintable(end.error));
    const Row result = ReadBack(dir.filePath(u"out.csv"_qs))[1];
    QCOMPARE(result.mid(result.size() - 2)[0].text, u"164,34"_qs);
    QCOMPARE(result.back().text, u"75118"_qs);
}

QTEST_GUILESS_MAIN(BatchRunTest)
#include "BatchRunTest.moc"
