#include "addressfile/BatchRun.h"
#include "app/CommandLine.h"
#include "tests/addressfile/AltimetryStandin.h"
#include "tests/addressfile/GeocodingStandin.h"
#include "tests/support/ReadBack.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

using namespace tarnel;
using namespace std::chrono_literals;

namespace {

QString Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A run of the built program as a user starts it from a terminal with no display.
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class AddressCommandTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void parse_data();
    void parse();
    void withoutWindows_data();
    void withoutWindows();
    void program_data();
    void program();
    void resumedAfterKill();
    void progressOnTerminal();
    void extraColumns_data();
    void extraColumns();
    void points_data();
    void points();

private:
    QProcessEnvironment Environment() const;
    void Start(QProcess& process, const QStringList& arguments,
               const QProcessEnvironment& environment) const;
    void Start(QProcess& process, const QStringList& arguments) const {
        Start(process, arguments, Environment());
    }
    Run Finish(QProcess& process) const;

    testing::GeocodingStandin standin_;
    testing::AltimetryStandin altimetry_;
    QTemporaryDir home_;
};

void AddressCommandTest::initTestCase() {
    QVERIFY(standin_.Start());
    QVERIFY(altimetry_.Start());
    QVERIFY(home_.isValid());
}

QProcessEnvironment AddressCommandTest::Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QLatin1String(display));
    }
    environment.insert(u"HOME"_qs, home_.path());
    environment.insert(u"XDG_CONFIG_HOME"_qs, home_.filePath(u"config"_qs));
    environment.insert(u"XDG_DATA_HOME"_qs, home_.filePath(u"data"_qs));
    environment.insert(u"TARNEL_GEOCODER_FRANCE_URL"_qs, standin_.SearchUrl());
    environment.insert(u"TARNEL_GEOCODER_FRANCE_CSV_URL"_qs, standin_.CsvUrl());
    environment.insert(u"TARNEL_GEOCODER_WORLD_URL"_qs, standin_.NominatimUrl());
    environment.insert(u"TARNEL_ALTITUDE_URL"_qs, altimetry_.Url());
    return environment;
}

void AddressCommandTest::Start(QProcess& process, const QStringList& arguments,
                               const QProcessEnvironment& environment) const {
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TARNEL_PROGRAM), arguments);
    QVERIFY(process.waitForStarted());
}

Run AddressCommandTest::Finish(QProcess& process) const {
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void AddressCommandTest::parse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("restart");
    QTest::addColumn<QString>("error");

    using Action = CommandLine::Action;
    QTest::newRow("none: the windows")
        << QStringList() << int(Action::Windows) << QString() << QString() << false << QString();
    QTest::newRow("Qt's options: the windows")
        << QStringList{u"-style"_qs, u"fusion"_qs} << int(Action::Windows) << QString() << QString()
        << false << QString();
    QTest::newRow("a file") << QStringList{u"--adresses"_qs, u"a.csv"_qs} << int(Action::Geocode)
                            << u"a.csv"_qs << QString() << false << QString();
    QTest::newRow("every option, with =")
        << QStringList{u"--adresses=a b.xlsx"_qs, u"--sortie"_qs,  u"r.xlsx"_qs,
                       u"--recommencer"_qs,       u"--colonne"_qs, u"rue=Voie 1"_qs}
        << int(Action::Geocode) << u"a b.xlsx"_qs << u"r.xlsx"_qs << true << QString();
    QTest::newRow("help wins") << QStringList{u"--adresses"_qs, u"a.csv"_qs, u"-h"_qs}
                               << int(Action::Help) << u"a.csv"_qs << QString() << false
                               << QString();
    QTest::newRow("version") << QStringList{u"--version"_qs} << int(Action::Version) << QString()
                             << QString() << false << QString();
    QTest::newRow("no file") << QStringList{u"--adresses"_qs} << int(Action::Invalid) << QString()
                             << QString() << false
                             << u"--adresses attend le fichier d'adresses."_qs;
    QTest::newRow("an output without input")
        << QStringList{u"--sortie"_qs, u"r.csv"_qs} << int(Action::Invalid) << QString()
        << QString() << false << u"Indiquez le fichier d'adresses avec --adresses FICHIER."_qs;
    QTest::newRow("an unknown part")
        << QStringList{u"--adresses"_qs, u"a.csv"_qs, u"--colonne"_qs, u"rues=Voie"_qs}
        << int(Action::Invalid) << QString() << QString() << false
        << u"--colonne attend PARTIE=EN-TÊTE, PARTIE étant l'une de : numero, rue, complement, "
           "code-postal, commune, pays, code-insee, adresse."_qs;
    QTest::newRow("an unknown option")
        << QStringList{u"--adresses"_qs, u"a.csv"_qs, u"--address"_qs} << int(Action::Invalid)
        << QString() << QString() << false << u"Option inconnue : « --address »."_qs;
    QTest::newRow("points with no file")
        << QStringList{u"--adresses"_qs, u"a.csv"_qs, u"--points"_qs} << int(Action::Invalid)
        << QString() << QString() << false << u"--points attend le fichier de points à écrire."_qs;
    for (const QString& points : {u"p.csv"_qs, u"p.asc"_qs, u"p"_qs}) {
        QTest::addRow("points as %s", qPrintable(points))
            << QStringList{u"--adresses"_qs, u"a.csv"_qs, u"--points"_qs, points}
            << int(Action::Invalid) << QString() << QString() << false
            << u"--points écrit un fichier GPX, KML ou GeoJSON : son nom doit finir par .gpx, "
               ".kml ou .geojson."_qs;
    }
}

void AddressCommandTest::parse() {
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(bool, restart);
    QFETCH(QString, error);

    const CommandLine line = ParseCommandLine(arguments);
    QCOMPARE(int(line.action), action);
    QCOMPARE(line.input, input);
    QCOMPARE(line.output, output);
    QCOMPARE(line.restart, restart);
    QCOMPARE(line.error, error);
}

void AddressCommandTest::program_data() {
    QTest::addColumn<QByteArray>("file");     // written as clients.csv
    QTest::addColumn<QStringList>("options"); // after --adresses clients.csv
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");   // in the standard error
    QTest::addColumn<QString>("output"); // the file written, empty for none

    const QByteArray clients = "Nom;N°;Voie;CP;Ville\r\n"
                               "Dupont;18;rue Duhesme;75018;Paris\r\n"
                               "Martin;8;bd du port;95000;Cergy\r\n";
    QTest::newRow("written next to the input")
        << clients << QStringList() << 0 << u"Géocodage terminé en "_qs
        << u"clients-geocode.csv"_qs;
    QTest::newRow("written where asked")
        << clients << QStringList{u"--sortie"_qs, u"résultat.csv"_qs} << 0
        << u"2 trouvée(s), 0 à vérifier, 0 introuvable(s), 0 en erreur."_qs << u"résultat.csv"_qs;
    QTest::newRow("columns named by the user")
        << QByteArray("Qui;Où;Cp;Lieu\r\nDupont;18 rue Duhesme;75018;Paris\r\n")
        << QStringList{u"--colonne"_qs,    u"rue=Où"_qs,    u"--colonne"_qs,
                       u"commune=lieu"_qs, u"--colonne"_qs, u"code-postal=CP"_qs}
        << 0 << u"1 trouvée(s)"_qs << u"clients-geocode.csv"_qs;
    QTest::newRow("a column the file lacks")
        << clients << QStringList{u"--colonne"_qs, u"rue=Chemin"_qs} << 1
        << u"Tarnel : Le fichier n'a pas de colonne « Chemin »."_qs << QString();
    QTest::newRow("never over the input")
        << clients << QStringList{u"--sortie"_qs, u"clients.csv"_qs} << 1
        << u"Tarnel : Le résultat ne peut pas remplacer le fichier d'adresses"_qs << QString();
    QTest::newRow("points over the result")
        << clients << QStringList{u"--sortie"_qs, u"r.gpx"_qs, u"--points"_qs, u"r.gpx"_qs} << 1
        << u"Tarnel : Le fichier de points doit être un autre fichier"_qs << QString();
    QTest::newRow("empty") << QByteArray() << QStringList() << 1
                           << u"Tarnel : Le fichier est vide."_qs << QString();
    QTest::newRow("no address column")
        << QByteArray("Nom;Âge\r\nDupont;42\r\n") << QStringList() << 1
        << u"Tarnel : Aucune colonne d'adresse n'a été reconnue"_qs << QString();
    QTest::newRow("binary") << QByteArray("\x7F"
                                          "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0",
                                          16)
                            << QStringList() << 1
                            << u"Tarnel : Ce fichier n'est ni un tableau CSV"_qs << QString();
    QTest::newRow("password-protected")
        << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0')
        << QStringList() << 1 << u"Tarnel : Ce classeur est protégé par un mot de passe"_qs
        << QString();
    QTest::newRow("unreadable") << QByteArray("x")
                                << QStringList{u"--adresses"_qs, u"absent.csv"_qs} << 1
                                << u"Tarnel : Le fichier « absent.csv » ne peut pas être lu"_qs
                                << QString();
}

void AddressCommandTest::program() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QString, output);

    QTemporaryDir dir;
    const QString input = Write(dir.filePath(u"clients.csv"_qs), file);
    QProcess process;
    process.setWorkingDirectory(dir.path());
    Start(process, QStringList{u"--adresses"_qs, input} + options);
    const Run run = Finish(process);
    QVERIFY2(run.err.contains(said), qPrintable(run.err));
    QVERIFY2(!run.err.contains(u"lignes/s"_qs), "a progress line where no terminal shows it");
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(Read(input), file);
    const QStringList written =
        QDir(dir.path()).entryList(QDir::Files).filter(QRegularExpression(u"^(?!clients.csv$)"_qs));
    QCOMPARE(written, output.isEmpty() ? QStringList() : QStringList{output});
    if (!output.isEmpty()) {
        QVERIFY2(run.err.contains(QDir(dir.path()).filePath(output)), qPrintable(run.err));
        const QString text = QString::fromUtf8(Read(dir.filePath(output)));
        QVERIFY2(text.contains(u";48,890787;2,338562;trouvée;18 Rue Duhesme 75018 Paris;numéro;"
                               "Base Adresse Nationale;\r\n"_qs),
                 qPrintable(text));
    }
}

void AddressCommandTest::withoutWindows_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("help") << QStringList{u"--help"_qs} << 0
                          << u"Utilisation : tarnel [--adresses FICHIER"_qs << QString();
    QTest::newRow("version") << QStringList{u"-v"_qs} << 0 << u"Tarnel "_qs << QString();
    QTest::newRow("a wrong option") << QStringList{u"--carte"_qs, u"--version"_qs} << 2 << QString()
                                    << u"Tarnel : Option inconnue : « --carte ».\nVoyez « tarnel "
                                       "--help »."_qs;
}

// No display at all: the command line never reaches the windows' check for one.
void AddressCommandTest::withoutWindows() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcess process;
    Start(process, arguments);
    const Run run = Finish(process);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.startsWith(out), qPrintable(run.out));
    QVERIFY2(run.err.startsWith(err), qPrintable(run.err));
}

// Killed in the middle of a file, the program goes on with it at the next run: the rows of the
// chunks it had recorded are never asked again, and every row is written once, in order.
void AddressCommandTest::resumedAfterKill() {
    constexpr int kRows = 3 * kChunkRows;
    QTemporaryDir dir;
    QByteArray file = "Id;Adresse;Code postal;Ville\r\n";
    for (int i = 0; i < kRows; ++i) {
        file += QByteArray::number(i) + ";18 rue Duhesme;75018;Paris\r\n";
    }
    const QString input = Write(dir.filePath(u"clients.csv"_qs), file);
    const QHash<QString, int> before = standin_.CsvAsks();
    const int requests = standin_.CsvRequests();
    standin_.SetCsvDelay(500ms);

    QProcess killed;
    Start(killed, {u"--adresses"_qs, input});
    // The second chunk is sent once the first is recorded: kill while it is answered.
    QTRY_VERIFY_WITH_TIMEOUT(standin_.CsvRequests() - requests >= 2, 30000);
    killed.kill();
    QVERIFY(killed.waitForFinished());
    QVERIFY(!QFile::exists(dir.filePath(u"clients-geocode.csv"_qs)));

    QProcess resumed;
    Start(resumed, {u"--adresses"_qs, input});
    const Run run = Finish(resumed);
    standin_.SetCsvDelay(0ms);
    QVERIFY2(run.err.contains(u"Reprise de « clients.csv » là où le travail s'était arrêté"_qs),
             qPrintable(run.err));
    QCOMPARE(run.exitCode, 0);

    const QHash<QString, int> after = standin_.CsvAsks();
    for (int i = 0; i < kRows; ++i) {
        const int asked = after.value(QString::number(i)) - before.value(QString::number(i));
        // The first chunk was recorded before the kill; the second was in flight.
        const int expected = i >= kChunkRows && i < 2 * kChunkRows ? 2 : 1;
        if (asked != expected) {
            QFAIL(qPrintable(u"row %1 asked %2 times"_qs.arg(i).arg(asked)));
        }
    }
    const QList<QByteArray> lines = Read(dir.filePath(u"clients-geocode.csv"_qs)).split('\n');
    QCOMPARE(lines.size(), kRows + 2); // the header, the rows, the end after the last break
    for (int i = 0; i < kRows; ++i) {
        if (!lines[i + 1].startsWith(QByteArray::number(i) + ";18 rue Duhesme;75018;Paris;48,"
                                                             "890787;2,338562;trouvée;")) {
            QFAIL(lines[i + 1].constData());
        }
    }
}

// On a terminal (util-linux's `script` gives the program one), the progress line is rewritten
// in place before the summary.
void AddressCommandTest::progressOnTerminal() {
    QTemporaryDir dir;
    const QString input =
        Write(dir.filePath(u"a.csv"_qs), "Adresse;CP;Ville\r\n18 rue Duhesme;75018;Paris\r\n");
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.start(u"script"_qs,
                  {u"-qec"_qs,
                   u"'%1' --adresses '%2'"_qs.arg(QStringLiteral(TARNEL_PROGRAM), input),
                   u"/dev/null"_qs});
    QVERIFY(process.waitForStarted());
    const Run run = Finish(process);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith(u"\r1 / 1 lignes — "_qs), qPrintable(run.out));
    QVERIFY2(run.out.contains(u"lignes/s — reste environ 0 s"_qs), qPrintable(run.out));
    QVERIFY2(run.out.contains(u"\r\nGéocodage terminé en "_qs), qPrintable(run.out));
}

void AddressCommandTest::extraColumns_data() {
    QTest::addColumn<QStringList>("options"); // after --adresses clients.csv
    QTest::addColumn<QString>("altitudeUrl"); // empty: the stand-in
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QStringList>("lines"); // of the output, from the header's "remarque"

    QTest::newRow("both") << QStringList{u"--altitude"_qs, u"--insee"_qs} << QString() << 0
                          << u"2 trouvée(s)"_qs
                          << QStringList{u"remarque;altitude;code_insee\r\n"_qs,
                                         u"Base Adresse Nationale;;164,34;75118\r\n"_qs,
                                         u"Base Adresse Nationale;;141,33;95127\r\n"_qs};
    QTest::newRow("the INSEE code alone, no altitude asked")
        << QStringList{u"--insee"_qs} << u"http://127.0.0.1:1/elevation.json"_qs << 0
        << u"2 trouvée(s)"_qs
        << QStringList{u"remarque;code_insee\r\n"_qs, u"Base Adresse Nationale;;75118\r\n"_qs};
    QTest::newRow("the altitude service down: interrupted")
        << QStringList{u"--altitude"_qs} << u"http://127.0.0.1:1/elevation.json"_qs << 3
        << u"Tarnel : Le service d'altitude de l'IGN ne répond pas"_qs << QStringList();
    QTest::newRow("the altitude service turned off")
        << QStringList{u"--altitude"_qs} << u"http://"_qs << 1
        << u"Tarnel : le service d'altitude est désactivé"_qs << QStringList();
}

// The altitude and the INSEE code on request, through the program as users run it.
void AddressCommandTest::extraColumns() {
    QFETCH(QStringList, options);
    QFETCH(QString, altitudeUrl);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QStringList, lines);

    QTemporaryDir dir;
    const QString input = Write(dir.filePath(u"clients.csv"_qs),
                                "Nom;N°;Voie;CP;Ville\r\nDupont;18;rue Duhesme;75018;Paris\r\n"
                                "Martin;8;bd du port;95000;Cergy\r\n");
    QProcessEnvironment environment = Environment();
    if (!altitudeUrl.isEmpty()) {
        environment.insert(u"TARNEL_ALTITUDE_URL"_qs, altitudeUrl);
    }
    QProcess process;
    Start(process, QStringList{u"--adresses"_qs, input, u"--recommencer"_qs} + options,
          environment);
    const Run run = Finish(process);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(said), qPrintable(run.err));
    const QString text = QString::fromUtf8(Read(dir.filePath(u"clients-geocode.csv"_qs)));
    QCOMPARE(text.isEmpty(), lines.isEmpty());
    for (const QString& line : lines) {
        QVERIFY2(text.contains(line), qPrintable(text));
    }
}

void AddressCommandTest::points_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("gpsbabelFormat");
    QTest::addColumn<QStringList>("ogrLayer");
    QTest::addColumn<QString>("ogrHeight");  // the column of ogr2ogr's CSV
    QTest::addColumn<QString>("nameColumn"); // of ogr2ogr's CSV
    QTest::addColumn<bool>("altitude");      // --altitude asked

    QTest::newRow("GPX") << u"points.gpx"_qs << u"gpx"_qs << QStringList{u"waypoints"_qs}
                         << u"ele"_qs << u"name"_qs << true;
    QTest::newRow("KML") << u"points.kml"_qs << u"kml"_qs << QStringList() << u"Z"_qs << u"Name"_qs
                         << true;
    QTest::newRow("GeoJSON") << u"points.geojson"_qs << u"geojson"_qs << QStringList() << u"Z"_qs
                             << u"name"_qs << true;
    QTest::newRow("GeoJSON, no altitude asked")
        << u"points.geojson"_qs << u"geojson"_qs << QStringList() << u"Z"_qs << u"name"_qs << false;
}

// The rows found as points, read back by GPSBabel and GDAL: the row not found left out.
void AddressCommandTest::points() {
    QFETCH(QString, fileName);
    QFETCH(QString, gpsbabelFormat);
    QFETCH(QStringList, ogrLayer);
    QFETCH(QString, ogrHeight);
    QFETCH(QString, nameColumn);
    QFETCH(bool, altitude);

    QTemporaryDir dir;
    const QString input = Write(dir.filePath(u"clients.csv"_qs),
                                "Nom;N°;Voie;CP;Ville\r\nDupont;18;rue Duhesme;75018;Paris\r\n"
                                "Personne;;;;\r\nMartin;8;bd du port;95000;Cergy\r\n");
    const QString path = dir.filePath(fileName);
    QProcess process;
    Start(process, QStringList{u"--adresses"_qs, input, u"--recommencer"_qs, u"--points"_qs, path} +
                       (altitude ? QStringList{u"--altitude"_qs} : QStringList()));
    const Run run = Finish(process);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains(u"Points écrits dans : "_qs + path), qPrintable(run.err));

    const QStringList names = {u"18 Rue Duhesme 75018 Paris"_qs,
                               u"8 Boulevard du Port 95000 Cergy"_qs};
    const QList<QStringList> babel = testing::ReadBack(
        u"gpsbabel"_qs, {"-i", gpsbabelFormat, "-f", path, "-o", "unicsv", "-F", "-"});
    QCOMPARE(testing::Column(babel, u"Name"_qs), names);
    QCOMPARE(testing::Column(babel, u"Latitude"_qs), QStringList({"48.890787", "49.031700"}));
    QCOMPARE(testing::Column(babel, u"Longitude"_qs), QStringList({"2.338562", "2.062794"}));
    // Their lines in the table, the header its first.
    QCOMPARE(testing::Column(babel, u"Description"_qs), QStringList({"ligne 2", "ligne 4"}));

    const QList<QStringList> gdal = testing::ReadBack(
        u"ogr2ogr"_qs,
        QStringList{"-f", "CSV", "/vsistdout/", path, "-lco", "GEOMETRY=AS_XYZ"} + ogrLayer);
    QCOMPARE(testing::Column(gdal, nameColumn), names);
    const QStringList heights = testing::Column(gdal, ogrHeight);
    if (altitude) {
        QCOMPARE(heights, QStringList({"164.34", "141.33"}));
    } else {
        QVERIFY2(heights.isEmpty() || heights == QStringList({"", ""}) ||
                     heights == QStringList({"0", "0"}),
                 qPrintable(heights.join(u'|')));
    }
}

QTEST_GUILESS_MAIN(AddressCommandTest)
#include "AddressCommandTest.moc"
