#include "ui/addressfile/AddressFileWindow.h"
#include "addressfile/BatchJournal.h"
#include "geocoding/GeoplateformeCsvSearch.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "geocoding/NominatimGeocoder.h"
#include "places/PlaceStore.h"
#include "tests/addressfile/GeocodingStandin.h"
#include "tests/support/FakePlatform.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;
using namespace tarnel::testing;
using namespace std::chrono_literals;

namespace {

// Two rows the stand-in finds, one with no address between them.
constexpr char kClients[] = "Nom;N°;Voie;CP;Ville\r\nDupont;18;rue Duhesme;75018;Paris\r\n"
                            "Personne;;;;\r\nMartin;8;bd du port;95000;Cergy\r\n";

constexpr int kRunTimeout = 30000;

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

template <typename Control> Control* Find(QWidget& window, const char* name) {
    auto* control = window.findChild<Control*>(QLatin1String(name));
    if (!control)
        qFatal("no control %s", name);
    return control;
}

// The services of one run on the stand-in (its CSV geocoding at `csvUrl` when given).
struct RunServices {
    RunServices(const GeocodingStandin& standin, const QString& csvUrl)
        : csv(csvUrl.isEmpty() ? standin.CsvUrl() : csvUrl, "TarnelTest/1")
        , france(standin.SearchUrl(), "TarnelTest/1")
        , world(standin.NominatimUrl(), "TarnelTest/1", {}, 1ms) {}
    GeoplateformeCsvSearch csv;
    GeoplateformeGeocoder france;
    NominatimGeocoder world;
    BatchServices pointers{&csv, &france, &world, nullptr};
};

// The window on the stand-in's services, its journal and places in `dir`, the file chooser
// answering `chosen`.
struct Fixture {
    Fixture(const GeocodingStandin& standin, const QTemporaryDir& dir, const QString& chosen,
            const QString& csvUrl = {})
        : window({[&standin, csvUrl] {
                      const auto services = std::make_shared<const RunServices>(standin, csvUrl);
                      return std::shared_ptr<const BatchServices>(services, &services->pointers);
                  },
                  dir.filePath(u"journal.sqlite"_qs), dir.filePath(u"places.sqlite"_qs),
                  [chosen](QWidget*) {
                      return chosen;
                  }},
                 platform.services) {
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.show();
    }
    QString Message() { return Find<QLabel>(window, "message")->text(); }
    // Opens `path` and waits for its rows.
    void Open(const QString& path) {
        window.OpenFile(path);
        QTRY_VERIFY(Message() != u"Lecture du fichier…");
    }
    void Click(const char* button) {
        QPushButton* control = Find<QPushButton>(window, button);
        QVERIFY2(control->isEnabled() && control->isVisible(), button);
        QTest::mouseClick(control, Qt::LeftButton);
    }
    bool Ended() { return Find<QPushButton>(window, "chooseFile")->isEnabled(); }

    FakePlatform platform;
    AddressFileWindow window;
};

} // namespace

class AddressFileWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(standin_.Start()); }

    // A file chosen and run through the window's controls: its columns recognised, the counts,
    // the result beside it, the points as they come with their lines, the row not found listed,
    // the rows found added to the places, the result saved elsewhere and never over the input.
    void run() {
        QTemporaryDir dir;
        const QString input = Write(dir.filePath(u"clients.csv"_qs), kClients);
        Fixture fixture(standin_, dir, input);
        QList<qint64> lines;
        bool whileRunning = false; // points came before the end
        connect(&fixture.window, &AddressFileWindow::PointsFound, this,
                [&](const QList<FilePoint>& points) {
                    whileRunning = whileRunning || (lines.isEmpty() && !fixture.Ended());
                    for (const FilePoint& point : points)
                        lines.append(point.line);
                });
        fixture.Click("chooseFile");
        QTRY_COMPARE(Find<QTableWidget>(fixture.window, "preview")->rowCount(), 3);
        QCOMPARE(Find<QComboBox>(fixture.window, "streetColumn")->currentText(), u"Voie");
        QCOMPARE(Find<QComboBox>(fixture.window, "fullAddressColumn")->currentText(), u"(aucune)");
        fixture.Click("start");
        QTRY_VERIFY_WITH_TIMEOUT(fixture.Ended(), kRunTimeout);

        QCOMPARE(Find<QLabel>(fixture.window, "counts")->text(),
                 u"Trouvées : 2 — À vérifier : 0 — Introuvables : 1 — Erreurs : 0");
        const QString output = dir.filePath(u"clients-geocode.csv"_qs);
        QCOMPARE(fixture.Message(), u"Résultat écrit dans « %1 »."_qs.arg(output));
        QVERIFY(Read(output).contains("Dupont;18;rue Duhesme;75018;Paris;48,890787;2,338562;"));
        QCOMPARE(lines, (QList<qint64>{2, 4}));
        QVERIFY(whileRunning);
        auto* review = Find<QTableWidget>(fixture.window, "review");
        QCOMPARE(review->rowCount(), 1);
        QCOMPARE(review->item(0, 0)->text(), u"3");
        QCOMPARE(review->item(0, 2)->text(), u"introuvable");

        fixture.Click("addPlaces");
        QTRY_COMPARE(fixture.Message(), u"2 lieux ont été ajoutés à Mes lieux.");
        QVERIFY(!Find<QPushButton>(fixture.window, "addPlaces")->isEnabled());
        PlaceStore store(dir.filePath(u"places.sqlite"_qs));
        QVERIFY(store.Open().done);
        const QList<SavedPlace> places = store.List(u"Duhesme"_qs);
        QCOMPARE(places.size(), 1);
        QCOMPARE(places[0].note, u"Fichier « clients.csv », ligne 2");

        fixture.platform.saveDialog.answer = input;
        fixture.Click("save");
        QVERIFY(fixture.Message().startsWith(u"Le résultat ne peut pas remplacer"));
        QCOMPARE(Read(input), QByteArray(kClients));
        const QString elsewhere = dir.filePath(u"copie.csv"_qs);
        fixture.platform.saveDialog.answer = elsewhere;
        fixture.Click("save");
        QCOMPARE(fixture.Message(), u"Résultat enregistré dans « %1 »."_qs.arg(elsewhere));
        QCOMPARE(Read(elsewhere), Read(output));
    }

    // A row not found, its address typed again in the list and asked again: found, the result
    // rewritten for that row only, the counts and the map told.
    void askAgain() {
        QTemporaryDir dir;
        const QString input = Write(dir.filePath(u"clients.csv"_qs), kClients);
        Fixture fixture(standin_, dir, input);
        fixture.Open(input);
        fixture.Click("start");
        QTRY_VERIFY_WITH_TIMEOUT(fixture.Ended(), kRunTimeout);
        const QString output = dir.filePath(u"clients-geocode.csv"_qs);
        const QByteArray before = Read(output);
        QList<FilePoint> points;
        connect(&fixture.window, &AddressFileWindow::PointsFound, this,
                [&](const QList<FilePoint>& found) { points += found; });

        auto* review = Find<QTableWidget>(fixture.window, "review");
        review->setFocus();
        review->setCurrentCell(0, 1);
        QTest::keyClick(review, Qt::Key_F2);
        auto* editor = review->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, "18 rue Duhesme, 75018 Paris");
        QTest::keyClick(editor, Qt::Key_Return);
        fixture.Click("askAgain");
        QTRY_VERIFY_WITH_TIMEOUT(fixture.Message().startsWith(u"Ligne 3 :"), kRunTimeout);

        QCOMPARE(fixture.Message(), u"Ligne 3 : trouvée — 18 Rue Duhesme 75018 Paris.");
        QCOMPARE(review->item(0, 2)->text(), u"trouvée");
        QCOMPARE(Find<QLabel>(fixture.window, "counts")->text(),
                 u"Trouvées : 3 — À vérifier : 0 — Introuvables : 0 — Erreurs : 0");
        QCOMPARE(points.size(), 1);
        QCOMPARE(points[0].line, 3);
        const QByteArray after = Read(output);
        QCOMPARE(after.split('\n').size(), before.split('\n').size());
        QCOMPARE(after.split('\n')[2],
                 QByteArray("Personne;;;;;48,890787;2,338562;trouvée;18 Rue Duhesme 75018 "
                            "Paris;numéro;Base Adresse Nationale;\r"));
        QCOMPARE(after.split('\n')[3], before.split('\n')[3]);
        QCOMPARE(Read(input), QByteArray(kClients));
    }

    // « Pause » holds the run after the chunk in flight; « Reprendre » takes it to its end.
    void userPause() {
        QTemporaryDir dir;
        QByteArray rows = "Adresse;Code postal;Ville\r\n";
        for (int i = 0; i <= kChunkRows; ++i)
            rows += "18 rue Duhesme;75018;Paris\r\n";
        const QString input = Write(dir.filePath(u"clients.csv"_qs), rows);
        Fixture fixture(standin_, dir, input);
        fixture.Open(input);
        standin_.SetCsvDelay(300ms);
        fixture.Click("start");
        fixture.Click("pause");
        QCOMPARE(Find<QPushButton>(fixture.window, "pause")->text(), u"Reprendre");
        auto* progress = Find<QLabel>(fixture.window, "progressText");
        const QLocale french(QLocale::French, QLocale::France);
        const QString held =
            u"%1 / %2 lignes"_qs.arg(french.toString(kChunkRows), french.toString(kChunkRows + 1));
        QTRY_VERIFY_WITH_TIMEOUT(progress->text().startsWith(held), kRunTimeout);
        QTest::qWait(1000);
        QVERIFY(!fixture.Ended());
        QVERIFY(progress->text().startsWith(held));
        standin_.SetCsvDelay(0ms);
        fixture.Click("pause");
        QTRY_VERIFY_WITH_TIMEOUT(fixture.Ended(), kRunTimeout);
        QCOMPARE(Find<QLabel>(fixture.window, "counts")->text(),
                 u"Trouvées : %1 — À vérifier : 0 — Introuvables : 0 — Erreurs : 0"_qs.arg(
                     french.toString(kChunkRows + 1)));
    }

    // The service out of reach: the window says why the run paused; « Reprendre » asks again,
    // « Annuler » ends the run, nothing written.
    void networkPause() {
        QTemporaryDir dir;
        const QString input = Write(dir.filePath(u"clients.csv"_qs), kClients);
        Fixture fixture(standin_, dir, input, u"http://127.0.0.1:1/"_qs); // nobody listens
        fixture.Open(input);
        fixture.Click("start");
        auto* pause = Find<QPushButton>(fixture.window, "pause");
        QTRY_COMPARE_WITH_TIMEOUT(pause->text(), u"Reprendre", kRunTimeout);
        QVERIFY(fixture.Message().startsWith(u"Le service de géocodage ne répond pas"));
        fixture.Click("pause");
        QCOMPARE(pause->text(), u"Pause");
        QTRY_COMPARE_WITH_TIMEOUT(pause->text(), u"Reprendre", kRunTimeout);
        fixture.Click("cancel");
        QTRY_VERIFY_WITH_TIMEOUT(fixture.Ended(), kRunTimeout);
        QVERIFY(fixture.Message().startsWith(u"Le service de géocodage ne répond pas"));
        QVERIFY(!QFile::exists(dir.filePath(u"clients-geocode.csv"_qs)));
    }

    // A run cancelled with its request in flight, then run again: the second one is written.
    void cancelledThenRunAgain() {
        QTemporaryDir dir;
        const QString input = Write(dir.filePath(u"clients.csv"_qs), kClients);
        Fixture fixture(standin_, dir, input);
        fixture.Open(input);
        standin_.SetCsvDelay(3s);
        fixture.Click("start");
        QTRY_VERIFY(standin_.CsvRequests() > 0);
        fixture.window.OpenFile(input); // refused while the run goes on
        QVERIFY(fixture.Message().startsWith(u"Un fichier est en cours de géocodage"));
        fixture.Click("cancel");
        QTRY_VERIFY_WITH_TIMEOUT(fixture.Ended(), 2000);
        standin_.SetCsvDelay(0ms);
        QCOMPARE(fixture.Message(), u"Le travail a été interrompu ; il reprendra là où il s'est "
                                    "arrêté.");
        fixture.Click("start");
        QTRY_VERIFY_WITH_TIMEOUT(fixture.Ended(), kRunTimeout);
        QCOMPARE(Find<QLabel>(fixture.window, "counts")->text(),
                 u"Trouvées : 2 — À vérifier : 0 — Introuvables : 1 — Erreurs : 0");
    }

    // A file left unfinished: « Reprendre » asks only the rows still to do, « Recommencer » all.
    void unfinished_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("dupontAsked");
        QTest::newRow("resumed") << QByteArray("resumeUnfinished") << 0;
        QTest::newRow("started again") << QByteArray("restart") << 1;
    }
    void unfinished() {
        QFETCH(QByteArray, button);
        QFETCH(int, dupontAsked);
        QTemporaryDir dir;
        const QString input = Write(dir.filePath(u"clients.csv"_qs), kClients);
        {
            const QFileInfo info(input);
            BatchJournal journal(dir.filePath(u"journal.sqlite"_qs));
            QVERIFY(journal.Begin(info.canonicalFilePath(), info.size(),
                                  info.lastModified().toMSecsSinceEpoch(), false));
            QVERIFY(journal.Record({{0, RowFailure(RowStatus::NotFound, u"vu"_qs)}}));
        }
        Fixture fixture(standin_, dir, input);
        fixture.Open(input);
        QVERIFY(Find<QLabel>(fixture.window, "unfinished")->text().contains(u"1 ligne(s)"));
        QVERIFY(!Find<QPushButton>(fixture.window, "start")->isVisible());
        // Chunks are sent with the rows' indexes first.
        const int before = standin_.CsvAsks().value(u"0"_qs);
        fixture.Click(button.constData());
        QTRY_VERIFY_WITH_TIMEOUT(fixture.Ended(), kRunTimeout);
        QCOMPARE(standin_.CsvAsks().value(u"0"_qs) - before, dupontAsked);
    }

    // Files the window cannot run: the reader's French message, no run offered; columns chosen
    // by hand when none is recognised.
    void badFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << u"Le fichier est vide."_qs;
        QTest::newRow("binary")
            << QByteArray("\x7f"
                          "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0",
                          16)
            << u"Ce fichier n'est ni un tableau CSV ni un classeur XLSX ou ODS : "
               "il contient des données binaires."_qs;
        QTest::newRow("no address column")
            << QByteArray("Qui;Où\r\nDupont;18 rue Duhesme Paris\r\n")
            << u"Aucune colonne d'adresse n'a été reconnue dans ce fichier : choisissez "
               "ci-dessous les colonnes qui tiennent l'adresse."_qs;
    }
    void badFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString input = Write(dir.filePath(u"clients.csv"_qs), bytes);
        Fixture fixture(standin_, dir, input);
        fixture.Open(input);
        QCOMPARE(fixture.Message(), message);
        auto* start = Find<QPushButton>(fixture.window, "start");
        QVERIFY(!start->isEnabled());
        auto* fullAddress = Find<QComboBox>(fixture.window, "fullAddressColumn");
        fullAddress->setCurrentIndex(fullAddress->count() - 1);
        QCOMPARE(start->isEnabled(), fullAddress->count() > 1);
    }

private:
    GeocodingStandin standin_;
};

QTEST_MAIN(AddressFileWindowTest)
#include "AddressFileWindowTest.moc"
