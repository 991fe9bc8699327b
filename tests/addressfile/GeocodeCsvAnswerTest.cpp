#include "addressfile/GeocodeCsvAnswer.h"

#include <QFile>
#include <QTest>

using namespace tarnel;

namespace {

// A recorded answer of data/ (sources in data/README.md).
QByteArray Recorded(const char* name) {
    QFile file(QStringLiteral(ANSWER_DATA_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("missing recorded answer %s", name);
    }
    return file.readAll();
}

const QStringList kPartners = {
    u"1caa1a3b-77a5-11ea-a72e-0242ac090103"_qs, u"1caefa09-77a5-11ea-a72e-0242ac090103"_qs,
    u"1cb03302-77a5-11ea-a72e-0242ac090103"_qs, u"1cbac441-77a5-11ea-a72e-0242ac090103"_qs};

} // namespace

class GeocodeCsvAnswerTest : public QObject {
    Q_OBJECT

private slots:
    void byColumnName();
    void rows_data();
    void rows();
    void shortAnswers_data();
    void shortAnswers();
};

void GeocodeCsvAnswerTest::byColumnName() {
    // Pipe-separated, latitude first, no status column: found by name all the same.
    const GeocodeCsvAnswer answer =
        ReadGeocodeCsvAnswer(Recorded("ban-2019-pipe.csv"), u"address"_qs, {u"29200"_qs});
    QCOMPARE(answer.rows.size(), 1);
    const GeocodedRow& row = answer.rows.front();
    QCOMPARE((QStringList{row.id, row.status, row.label, row.type, row.street, row.postcode,
                          row.citycode, row.context}),
             (QStringList{u"29200"_qs, u"ok"_qs, u"Brest"_qs, u"municipality"_qs, u"Brest"_qs,
                          u"29200"_qs, u"29019"_qs, u"29, Finistère, Bretagne"_qs}));
    QCOMPARE((QList<std::optional<double>>{row.latitude, row.longitude, row.score}),
             (QList<std::optional<double>>{48.406102, -4.498893, 0.41}));
    QVERIFY(answer.missingIds.isEmpty());
    QVERIFY(!answer.cutShort);
}

void GeocodeCsvAnswerTest::rows_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("idColumn");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("hasCoordinates");
    QTest::addColumn<QString>("resultId");
    QTest::newRow("every result column empty")
        << Recorded("ban-2019-not-found.csv") << u"address"_qs << QStringList{u"29200"_qs}
        << u"not-found"_qs << false << QString();
    QTest::newRow("result columns chosen, no coordinates")
        << Recorded("ban-2020-result-columns.csv") << u"addr_insee"_qs << QStringList{u"94041"_qs}
        << u"ok"_qs << false << u"94041_6170_00067"_qs;
    QTest::newRow("status column left empty")
        << QByteArray("id,latitude,longitude,result_status\n7,48.8,2.3,\n") << u"id"_qs
        << QStringList{u"7"_qs} << u"ok"_qs << true << QString();
    QTest::newRow("status column, semicolons, CR LF")
        << QByteArray("id;adresse;longitude;latitude;result_label;result_status\r\n"
                      "7;x;2.3;48.8;\"=cmd\";skipped\r\n")
        << u"id"_qs << QStringList{u"7"_qs} << u"skipped"_qs << true << QString();
}

void GeocodeCsvAnswerTest::rows() {
    QFETCH(QByteArray, body);
    QFETCH(QString, idColumn);
    QFETCH(QStringList, sent);
    QFETCH(QString, status);
    QFETCH(bool, hasCoordinates);
    QFETCH(QString, resultId);
    const GeocodeCsvAnswer answer = ReadGeocodeCsvAnswer(body, idColumn, sent);
    QVERIFY2(answer.error.isEmpty(), qPrintable(answer.error));
    QCOMPARE(answer.rows.size(), 1);
    QCOMPARE(answer.rows.front().status, status);
    QCOMPARE(answer.rows.front().latitude.has_value(), hasCoordinates);
    QCOMPARE(answer.rows.front().resultId, resultId);
}

// Rows missing from an answer, or the whole answer no geocoded file: the rows not answered are
// told, to be asked again.
void GeocodeCsvAnswerTest::shortAnswers_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("answered");
    QTest::addColumn<QString>("error");
    const QByteArray recorded = Recorded("geo-api-2020-short.csv");
    QTest::newRow("a row left out") << recorded << kPartners.mid(0, 3) << QString();
    // The same answer cut by the network inside its last row, then inside a field of it.
    const qsizetype lastRow = recorded.lastIndexOf("01140");
    QTest::newRow("cut inside the last row")
        << recorded.left(lastRow + 30) << kPartners.mid(0, 2) << QString();
    QTest::newRow("cut inside the last field")
        << recorded.left(recorded.size() - 2) << kPartners.mid(0, 2) << QString();
    QTest::newRow("headers only") << recorded.left(recorded.indexOf('\n') + 1) << QStringList()
                                  << QString();
    // The service's refusals are JSON {code, message} (livingdata-co/gpf-geocodeur,
    // tests/recette/batch-sync.js: "Too many rows in CSV file").
    QTest::newRow("refusal") << QByteArray(R"({"code":400,"message":"Too many rows in CSV file"})")
                             << QStringList()
                             << u"Le service de géocodage a refusé le fichier : Too many rows in "
                                "CSV file"_qs;
    QTest::newRow("the file sent back as it was")
        << QByteArray("partner_id,city\n1caa1a3b-77a5-11ea-a72e-0242ac090103,YTRAC\n")
        << QStringList() << u"La réponse du service n'est pas un fichier géocodé."_qs;
}

void GeocodeCsvAnswerTest::shortAnswers() {
    QFETCH(QByteArray, body);
    QFETCH(QStringList, answered);
    QFETCH(QString, error);
    const GeocodeCsvAnswer answer = ReadGeocodeCsvAnswer(body, u"partner_id"_qs, kPartners);
    QCOMPARE(answer.error, error);
    QStringList ids;
    for (const GeocodedRow& row : answer.rows) {
        ids.append(row.id);
    }
    QCOMPARE(ids, answered);
    QCOMPARE(answer.missingIds, kPartners.mid(answered.size()));
    QVERIFY(answer.cutShort);
}

QTEST_GUILESS_MAIN(GeocodeCsvAnswerTest)
#include "GeocodeCsvAnswerTest.moc"
