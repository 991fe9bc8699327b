#include "ui/addressfile/AddressFileWindow.h"
#include "app/BatchServiceSet.h"
#include "places/PlaceStore.h"
#include "tests/addressfile/GeocodingStandin.h"
#include "tests/support/FakePlatform.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
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

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The window on the stand-in's services (made afresh for each run, as the program does, from
// `endpoints`), its journal and places in a folder of its own beside `bytes` written as the file
// the chooser answers.
struct Fixture {
    Fixture(const GeocodingStandin& standin, const QByteArray& bytes)
        : window({[this] { return BatchServiceSet::ForOneRun(endpoints); },
                  dir.filePath(u"journal.sqlite"_qs), dir.filePath(u"places.sqlite"_qs),
                  std::bind_front(&Fixture::Chosen, this)},
                 platform.services) {
        endpoints.franceCsv = standin.CsvUrl();
        endpoints.france = standin.SearchUrl();
        endpoints.world = standin.NominatimUrl();
        QFile file(input);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        window.show();
    }
    QString Chosen(QWidget*) const { return input; }
    template <typename T = QPushButton> T* Find(const char* name) {
        return window.findChild<T*>(name);
    }
    QString Text(const char* label = "message") { return Find<QLabel>(label)->text(); }
    // Opens the file and waits for its rows.
    void Open() {
        window.OpenFile(input);
        QTRY_VERIFY(Text() != u"Lecture du fichier…");
    }
    void Click(const char* button) {
        QVERIFY2(Find(button)->isEnabled() && Find(button)->isVisible(), button);
        QTest::mouseClick(Find(button), Qt::LeftButton);
    }
    bool Ended() { return Find("chooseFile")->isEnabled(); }
    // Clicks `button` and waits for the run to end.
    void Run(const char* button = "start") {
        Click(button);
        QTRY_VERIFY_WITH_TIMEOUT(Ended(), kRunTimeout);
    }

    QTemporaryDir dir;
    const QString input = dir.filePath(u"clients.csv"_qs);
    const QString output = dir.filePath(u"clients-geocode.csv"_qs);
    GeocoderEndpoints endpoints;
    FakePlatform platform;
    AddressFileWindow window;
};

} // namespace

class AddressFileWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(standin_.Start()); }

    // A file chosen and run through the window's controls (its columns recognised): the counts,
    // the result beside it, the points as they come with their lines, the row not found listed,
    // the rows found added to the places, the result saved elsewhere and never over the input.
    // Then that row, its address typed again in the list and asked again: found, the result
    // rewritten for that row only, the counts and the map told.
    void run() {
        Fixture fixture(standin_, kClients);
        QList<qint64> lines;
        bool whileRunning = false; // points came before the end
        connect(&fixture.window, &AddressFileWindow::PointsFound, this,
                [&](const QList<FilePoint>& points) {
                    whileRunning = whileRunning || (lines.isEmpty() && !fixture.Ended());
                    for (const FilePoint& point : points)
                        lines.append(point.line);
                });
        fixture.Click("chooseFile");
        QTRY_COMPARE(fixture.Find<QTableWidget>("preview")->rowCount(), 3);
        fixture.Run();
        QCOMPARE(fixture.Text("counts"),
                 u"Trouvées : 2 — À vérifier : 0 — Introuvables : 1 — Erreurs : 0");
        QCOMPARE(fixture.Text(), u"Résultat écrit dans « %1 »."_qs.arg(fixture.output));
        QCOMPARE(lines, (QList<qint64>{2, 4}));
        QVERIFY(whileRunning);
        auto* review = fixture.Find<QTableWidget>("review");
        QCOMPARE(review->rowCount(), 1);
        QCOMPARE(review->item(0, 2)->text(), u"introuvable");

        fixture.Click("addPlaces");
        QTRY_COMPARE(fixture.Text(), u"2 lieux ont été ajoutés à Mes lieux.");
        QVERIFY(!fixture.Find("addPlaces")->isEnabled());
        PlaceStore store(fixture.dir.filePath(u"places.sqlite"_qs));
        QVERIFY(store.Open().done);
        QCOMPARE(store.List(u"Duhesme"_qs).value(0).note, u"Fichier « clients.csv », ligne 2");

        fixture.platform.saveDialog.answer = fixture.input;
        fixture.Click("save");
        QVERIFY(fixture.Text().startsWith(u"Le résultat ne peut pas remplacer"));
        const QString elsewhere = fixture.dir.filePath(u"copie.csv"_qs);
        fixture.platform.saveDialog.answer = elsewhere;
        fixture.Click("save");
        QCOMPARE(fixture.Text(), u"Résultat enregistré dans « %1 »."_qs.arg(elsewhere));
        QCOMPARE(Read(elsewhere), Read(fixture.output));

        // The address typed again in its cell.
        QVERIFY(review->item(0, 1)->flags() & Qt::ItemIsEditable);
        review->setCurrentCell(0, 1);
        review->item(0, 1)->setText(u"18 rue Duhesme, 75018 Paris"_qs);
        fixture.Click("askAgain");
        QTRY_COMPARE_WITH_TIMEOUT(fixture.Text(),
                                  u"Ligne 3 : trouvée — 18 Rue Duhesme 75018 Paris.", kRunTimeout);
        QCOMPARE(review->item(0, 2)->text(), u"trouvée");
        QCOMPARE(fixture.Text("counts"),
                 u"Trouvées : 3 — À vérifier : 0 — Introuvables : 0 — Erreurs : 0");
        QCOMPARE(lines, (QList<qint64>{2, 4, 3}));
        QList<QByteArray> rows = Read(elsewhere).split('\n');
        rows[2] = "Personne;;;;;48,890787;2,338562;trouvée;18 Rue Duhesme 75018 Paris;numéro;Base "
                  "Adresse Nationale;\r";
        QCOMPARE(Read(fixture.output).split('\n'), rows);
        QCOMPARE(Read(fixture.input), QByteArray(kClients));
    }

    // Runs stopped and taken up again, each on services of its own (a run cancelled cancels
    // its services for good). The service out of reach: the window says why the run paused,
    // « Reprendre » asks again, « Annuler » ends the run, nothing written. « Pause » holds a run
    // after the chunk in flight, the file not opened again meanwhile; the file left so is offered
    // to be started again (all its rows asked) or taken up where it stopped (only those still to
    // do).
    void stoppedAndTakenUp() {
        Fixture fixture(standin_,
                        "Adresse;Code postal;Ville\r\n" +
                            QByteArray("18 rue Duhesme;75018;Paris\r\n").repeated(kChunkRows + 1));
        fixture.Open();
        fixture.endpoints.franceCsv = u"http://127.0.0.1:1/"_qs; // nobody listens
        fixture.Click("start");
        QPushButton* pause = fixture.Find("pause");
        QTRY_COMPARE_WITH_TIMEOUT(pause->text(), u"Reprendre", kRunTimeout);
        QVERIFY(fixture.Text().startsWith(u"Le service de géocodage ne répond pas"));
        fixture.Click("pause");
        QCOMPARE(pause->text(), u"Pause");
        QTRY_COMPARE_WITH_TIMEOUT(pause->text(), u"Reprendre", kRunTimeout);
        fixture.Run("cancel");
        QVERIFY(!QFile::exists(fixture.output));

        fixture.endpoints.franceCsv = standin_.CsvUrl();
        standin_.SetCsvDelay(300ms);
        const auto heldThenLeft = [&](const char* button) {
            fixture.Click(button);
            fixture.Click("pause");
            const QString held = u"1\u202f000 / 1\u202f001 lignes"_qs; // a chunk of kChunkRows
            QTRY_VERIFY_WITH_TIMEOUT(fixture.Text("progressText").startsWith(held), kRunTimeout);
            QTest::qWait(1000);
            QVERIFY(fixture.Text("progressText").startsWith(held));
            fixture.window.OpenFile(fixture.input); // refused while the run goes on
            QVERIFY(fixture.Text().startsWith(u"Un fichier est en cours de géocodage"));
            fixture.Run("cancel");
            QCOMPARE(fixture.Text(), u"Le travail a été interrompu ; il reprendra là où il s'est "
                                     "arrêté.");
            fixture.Open();
            QVERIFY(fixture.Text("unfinished").contains(u"1\u202f000 ligne(s)"));
        };
        heldThenLeft("start");
        // Chunks are sent with the rows' indexes first.
        const int asked = standin_.CsvAsks().value(u"0"_qs);
        heldThenLeft("restart");
        QCOMPARE(standin_.CsvAsks().value(u"0"_qs), asked + 1);
        standin_.SetCsvDelay(0ms);
        fixture.Run("resumeUnfinished");
        QCOMPARE(standin_.CsvAsks().value(u"0"_qs), asked + 1);
        QCOMPARE(fixture.Text("counts"),
                 u"Trouvées : 1\u202f001 — À vérifier : 0 — Introuvables : 0 — Erreurs : 0");
    }

    // Files the window cannot run: the reader's French message, no run offered; columns chosen
    // by hand when none is recognised.
    void badFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << u"Le fichier est vide."_qs;
        QTest::newRow("no address column")
            << QByteArray("Qui;Où\r\nDupont;18 rue Duhesme Paris\r\n")
            << u"Aucune colonne d'adresse n'a été reconnue dans ce fichier : choisissez "
               "ci-dessous les colonnes qui tiennent l'adresse."_qs;
    }
    void badFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        Fixture fixture(standin_, bytes);
        fixture.Open();
        QCOMPARE(fixture.Text(), message);
        QVERIFY(!fixture.Find("start")->isEnabled());
        auto* fullAddress = fixture.Find<QComboBox>("fullAddressColumn");
        fullAddress->setCurrentIndex(fullAddress->count() - 1);
        QCOMPARE(fixture.Find("start")->isEnabled(), fullAddress->count() > 1);
    }

private:
    GeocodingStandin standin_;
};

QTEST_MAIN(AddressFileWindowTest)
#include "AddressFileWindowTest.moc"
