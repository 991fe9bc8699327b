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
    void rows_data();
    void rows();
    void shortAnswers_data();
    void shortAnswers();
};

// Every column found by its name, whatever the separator and the order; the status told from
// what the row holds when the answer gives none.
void GeocodeCsvAnswerTest::rows_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("idColumn"); // holding the one identifier sent, the first field
    // id, status, latitude, longitude, score, label, type, housenumber, street, postcode, city,
    // citycode, context, resultId
    QTest::addColumn<QString>("read");
    QTest::newRow("pipes, latitude first, no status column")
        << Recorded("ban-2019-pipe.csv") << u"address"_qs
        << u"29200|ok|48.406102|-4.498893|0.41|Brest|municipality||Brest|29200|Brest|29019|29, "
           "Finistère, Bretagne|29019"_qs;
    QTest::newRow("every result column empty")
        << Recorded("ban-2019-not-found.csv") << u"address"_qs << u"29200|not-found||||||||||||"_qs;
    QTest::newRow("result columns chosen, no coordinates")
        << Recorded("ban-2020-result-columns.csv") << u"addr_insee"_qs
        << u"94041|ok||||||||||||94041_6170_00067"_qs;
    QTest::newRow("status column, semicolons, CR LF")
        << QByteArray("id;adresse;longitude;latitude;result_label;result_status\r\n"
                      "7;x;2.3;48.8;\"=cmd\";skipped\r\n")
        << u"id"_qs << u"7|skipped|48.8|2.3||=cmd||||||||"_qs;
}

void GeocodeCsvAnswerTest::rows() {
    QFETCH(QByteArray, body);
    QFETCH(QString, idColumn);
    QFETCH(QString, read);
    const QStringList sent = {read.section(u'|', 0, 0)};
    const GeocodeCsvAnswer answer = ReadGeocodeCsvAnswer(body, idColumn, sent);
    QVERIFY2(answer.error.isEmpty(), qPrintable(answer.error));
    QVERIFY(answer.missingIds.isEmpty() && !answer.cutShort);
    QCOMPARE(answer.rows.size(), 1);
    const GeocodedRow& row = answer.rows.front();
    const auto number = [](std::optional<double> value) {
        return value ? QString::number(*value, 'g', 10) : QString();
    };
    QCOMPARE((QStringList{row.id, row.status, number(row.latitude), number(row.longitude),
                          number(row.score), row.label, row.type, row.housenumber, row.street,
                          row.postcode, row.city, row.citycode, row.context, row.resultId}
                  .join(u'|')),
             read);
}

// Rows missing from an answer, or the whole answer no geocoded file: the rows not answered are
// told, to be asked again.
void GeocodeCsvAnswerTest::shortAnswers_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("answered");
    QTest::addColumn<QString>("error");
    const QByteArray recorded = Recorded("geo-api-2020-short.csv");
    QTest::newRow("a row left out") << recorded << kPartners.mid(0, 3) << QString();
    // The same answer cut by the network inside a field of its last row.
    QTest::newRow("cut inside the last field")
        << recorded.left(recorded.size() - 2) << kPartners.mid(0, 2) << QString();
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
    QCOMPARE(answer.rows.size(), answered.size());
    for (qsizetype i = 0; i < answered.size(); ++i)
        QCOMPARE(answer.rows[i].id, answered[i]);
    QCOMPARE(answer.missingIds, kPartners.mid(answered.size()));
    QVERIFY(answer.cutShort);
}

QTEST_GUILESS_MAIN(GeocodeCsvAnswerTest)
#include "GeocodeCsvAnswerTest.moc"
