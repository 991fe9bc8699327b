#include "addressfile/BatchRun.h"
#include "app/CommandLine.h"
#include "tests/addressfile/AltimetryStandin.h"
#include "tests/addressfile/GeocodingStandin.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;
using namespace std::chrono_literals;

namespace {

// Two rows the stand-in finds, one with no address between them.
constexpr char kClients[] = "Nom;N°;Voie;CP;Ville\r\nDupont;18;rue Duhesme;75018;Paris\r\n"
                            "Personne;;;;\r\nMartin;8;bd du port;95000;Cergy\r\n";
// The end of the first row in the result.
constexpr char kDuhesmeFound[] =
    ";48,890787;2,338562;trouvée;18 Rue Duhesme 75018 Paris;numéro;Base Adresse Nationale;";

QString Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The exit status of `process` once it ends (killed after a minute), -1 when it crashed.
int Finish(QProcess& process) {
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class AddressCommandTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(standin_.Start());
        QVERIFY(altimetry_.Start());
    }

    // Without an option of its own the command line is left to the windows (Qt's "-style
    // fusion"); with one, --recommencer is kept and the help wins over the rest.
    // --fenetre-adresses starts the windows with the window of a file of addresses, on the file
    // given when there is one.
    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("input");
        const auto row = [](const char* name, const QStringList& arguments,
                            CommandLine::Action action, const QString& input = {}) {
            QTest::newRow(name) << arguments << int(action) << input;
        };
        using enum CommandLine::Action;
        row("Qt's own", {"-style", "fusion"}, Windows);
        row("--recommencer", {"--adresses", "a.csv", "--recommencer"}, Geocode, "a.csv");
        row("the help wins", {"--adresses", "a.csv", "-h"}, Help, "a.csv");
        row("the window alone", {"--fenetre-adresses"}, AddressWindow);
        row("the window, a file", {"--fenetre-adresses", "a b.csv"}, AddressWindow, "a b.csv");
        row("the window, a file after =", {"--fenetre-adresses=a.ods"}, AddressWindow, "a.ods");
        row("the window with --adresses", {"--fenetre-adresses", "--adresses", "a.csv"}, Invalid);
    }
    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, input);
        const CommandLine line = ParseCommandLine(arguments);
        QCOMPARE(std::tuple(int(line.action), line.input, line.restart),
                 std::tuple(action, input, arguments.contains(u"--recommencer"_qs)));
    }

    void program_data() {
        QTest::addColumn<QStringList>("options"); // after --adresses=clients.csv
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");        // in the standard error
        QTest::addColumn<QStringList>("written"); // besides the input, by name
        QTest::addColumn<QString>("line");        // in the last file written
        QTest::addColumn<QString>("altitudeUrl"); // empty: the stand-in
        QTest::addColumn<QByteArray>("file");     // written as clients.csv
        const auto row = [](const char* name, const QStringList& options, int exitCode,
                            const char* said, const QStringList& written = {},
                            const QString& line = {}, const QString& altitudeUrl = {},
                            const QByteArray& file = kClients) {
            QTest::newRow(name) << options << exitCode << QString::fromUtf8(said) << written << line
                                << altitudeUrl << file;
        };
        const QString found = QString::fromUtf8(kDuhesmeFound);
        row("written where asked, with the INSEE code", {"--sortie", "résultat.csv", "--insee"}, 0,
            "2 trouvée(s), 0 à vérifier, 1 introuvable(s), 0 en erreur.", {"résultat.csv"},
            found + u";75118\r\n"_qs);
        row("columns named by the user",
            {"--colonne", "rue=Où", "--colonne", "commune=lieu", "--colonne", "code-postal=CP"}, 0,
            "1 trouvée(s)", {"clients-geocode.csv"}, found + u"\r\n"_qs, {},
            "Qui;Où;Cp;Lieu\r\nDupont;18 rue Duhesme;75018;Paris\r\n");
        row("a column the file lacks", {"--colonne", "rue=Chemin"}, 1,
            "Tarnel : Le fichier n'a pas de colonne « Chemin ».");
        row("never over the input", {"--sortie", "clients.csv"}, 1,
            "Tarnel : Le résultat ne peut pas remplacer le fichier d'adresses");
        row("points over the result", {"--sortie", "r.gpx", "--points", "r.gpx"}, 1,
            "Tarnel : Le fichier de points doit être un autre fichier");
        // The rows found as waypoints (their writer is read back by GPSBabel and GDAL in
        // PlaceExportTest): named with their addresses, described with their lines in the table,
        // with their altitudes; the row not found left out.
        row("points", {"--points", "points.gpx", "--altitude"}, 0,
            "Points écrits dans : ", {"clients-geocode.csv", "points.gpx"},
            "<desc>ligne 2</desc>\n    </wpt>\n    <wpt lat=\"49.0317\" lon=\"2.062794\">\n"
            "        <ele>141.33</ele>\n        <name>8 Boulevard du Port 95000 Cergy</name>\n"
            "        <desc>ligne 4</desc>\n    </wpt>\n</gpx>");
        row("the altitude service down: interrupted", {"--altitude"}, 3,
            "Tarnel : Le service d'altitude de l'IGN ne répond pas", {}, {},
            u"http://127.0.0.1:1/elevation.json"_qs);
        row("the altitude service turned off", {"--altitude"}, 1,
            "Tarnel : le service d'altitude est désactivé", {}, {}, u"http://"_qs);
        row("an unknown part", {"--colonne", "rues=Voie"}, 2,
            "Tarnel : --colonne attend PARTIE=EN-TÊTE, PARTIE étant l'une de : numero, rue, "
            "complement, code-postal, commune, pays, code-insee, adresse.");
        row("a wrong option", {"--carte", "--version"}, 2,
            "Tarnel : Option inconnue : « --carte ».\nVoyez « tarnel --help ».");
    }
    // The program as users run it with no display: the result written or refused in French, the
    // input never changed and no progress line where no terminal shows it.
    void program() {
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QFETCH(QStringList, written);
        QFETCH(QString, line);
        QFETCH(QString, altitudeUrl);
        QFETCH(QByteArray, file);

        QTemporaryDir dir;
        const QString input = Write(dir.filePath(u"clients.csv"_qs), file);
        QProcess process;
        process.setWorkingDirectory(dir.path());
        Start(process, QStringList{u"--adresses="_qs + input} + options, altitudeUrl);
        QCOMPARE(Finish(process), exitCode);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(err.contains(said), qPrintable(err));
        QVERIFY2(!err.contains(u"lignes/s"_qs), qPrintable(err));
        QCOMPARE(Read(input), file);
        QStringList files = QDir(dir.path()).entryList(QDir::Files);
        files.removeOne(u"clients.csv"_qs);
        QCOMPARE(files, written);
        if (!written.isEmpty()) {
            const QString output = dir.filePath(written.last());
            QVERIFY2(err.contains(output), qPrintable(err));
            QVERIFY2(QString::fromUtf8(Read(output)).contains(line), Read(output).constData());
        }
    }

    // Killed in the middle of a file, the program goes on with it at the next run: the rows of
    // the chunks it had recorded are never asked again, and every row is written once, in order.
    // The next run is on a terminal (util-linux's `script` gives it one): its progress line is
    // rewritten in place before the summary.
    void resumedAfterKill() {
        QTemporaryDir dir;
        QByteArray file = "Id;Adresse;Code postal;Ville\r\n";
        QByteArray result = "Id;Adresse;Code postal;Ville;latitude;longitude;statut;"
                            "adresse_trouvee;precision;source;remarque\r\n";
        for (int i = 0; i < 3 * kChunkRows; ++i) {
            const QByteArray row = QByteArray::number(i) + ";18 rue Duhesme;75018;Paris";
            file += row + "\r\n";
            result += row + kDuhesmeFound + "\r\n";
        }
        const QString input = Write(dir.filePath(u"clients.csv"_qs), file);
        const QHash<QString, int> before = standin_.CsvAsks();
        const int requests = standin_.CsvRequests();
        standin_.SetCsvDelay(500ms);

        QProcess killed;
        Start(killed, {u"--adresses"_qs, input});
        // Each chunk is sent once the one before it is answered, and weighed while it is in
        // flight: the third is sent after the first is recorded. Kill while it is answered.
        QTRY_VERIFY_WITH_TIMEOUT(standin_.CsvRequests() - requests >= 3, 30000);
        killed.kill();
        QVERIFY(killed.waitForFinished());
        QVERIFY(!QFile::exists(dir.filePath(u"clients-geocode.csv"_qs)));

        QProcess resumed;
        Start(resumed,
              {u"-qec"_qs, u"'%1' --adresses '%2'"_qs.arg(QStringLiteral(TARNEL_PROGRAM), input),
               u"/dev/null"_qs},
              {}, u"script"_qs);
        QCOMPARE(Finish(resumed), 0);
        standin_.SetCsvDelay(0ms);
        const QString out = QString::fromUtf8(resumed.readAllStandardOutput());
        QVERIFY2(out.startsWith(u"Reprise de « clients.csv » là où le travail s'était arrêté"_qs),
                 qPrintable(out));
        QVERIFY2(out.contains(u"lignes/s — reste environ 0 s    \r\nGéocodage terminé en "_qs),
                 qPrintable(out));
        const QList<int> asked = standin_.CsvAsksSince(before, 3 * kChunkRows);
        // The first chunk was recorded before the kill and the third was in flight; the second,
        // answered, was in flight or recorded as the kill found it: asked again whole or not.
        const int second = asked[kChunkRows];
        QVERIFY(second == 1 || second == 2);
        QCOMPARE(asked, QList<int>(kChunkRows, 1) + QList<int>(kChunkRows, second) +
                            QList<int>(kChunkRows, 2));
        QCOMPARE(Read(dir.filePath(u"clients-geocode.csv"_qs)), result);
    }

private:
    // Starts `program` with no display, the stand-ins as the services, `altitudeUrl` for the
    // altitude when given.
    void Start(QProcess& process, const QStringList& arguments, const QString& altitudeUrl = {},
               const QString& program = QStringLiteral(TARNEL_PROGRAM)) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // The configuration and the journal in a home of its own.
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            environment.remove(QLatin1String(name));
        environment.insert(u"HOME"_qs, home_.path());
        // The files' geocoding follows: the stand-in answers it beside the search.
        environment.insert(u"TARNEL_GEOCODER_FRANCE_URL"_qs, standin_.SearchUrl());
        environment.insert(u"TARNEL_GEOCODER_WORLD_URL"_qs, standin_.NominatimUrl());
        environment.insert(u"TARNEL_ALTITUDE_URL"_qs,
                           altitudeUrl.isEmpty() ? altimetry_.Url() : altitudeUrl);
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        QVERIFY(process.waitForStarted());
    }

    testing::GeocodingStandin standin_;
    testing::AltimetryStandin altimetry_;
    QTemporaryDir home_;
};

QTEST_GUILESS_MAIN(AddressCommandTest)
#include "AddressCommandTest.moc"
