#include "addressfile/RowDecision.h"
#include "addressfile/RowAddress.h"

#include <QTest>

using namespace tarnel;

Q_DECLARE_METATYPE(tarnel::GeocodedRow)

namespace {

// A row of the CSV answer as the service writes it for "18 rue Duhesme" (the recorded answer
// of tests/mapservice/recorded/ban-pass-culture-18-rue-duhesme.json, its best feature).
GeocodedRow Duhesme() {
    GeocodedRow row;
    row.id = u"1"_qs;
    row.status = u"ok"_qs;
    row.latitude = 48.890787;
    row.longitude = 2.338562;
    row.score = 0.9806;
    row.label = u"18 Rue Duhesme 75018 Paris"_qs;
    row.type = u"housenumber"_qs;
    row.housenumber = u"18"_qs;
    row.street = u"Rue Duhesme"_qs;
    row.postcode = u"75018"_qs;
    row.city = u"Paris"_qs;
    row.citycode = u"75118"_qs;
    row.context = u"75, Paris, Île-de-France"_qs;
    return row;
}

Row Cells(const QStringList& texts) {
    Row row;
    for (const QString& text : texts) {
        row.append({text, Cell::Kind::Text});
    }
    return row;
}

} // namespace

class RowDecisionTest : public QObject {
    Q_OBJECT

private slots:
    void csvRow_data();
    void csvRow();
    void rowAddress_data();
    void rowAddress();
};

void RowDecisionTest::csvRow_data() {
    QTest::addColumn<QString>("typed"); // as AddressQuery::Text() writes it
    QTest::addColumn<GeocodedRow>("answer");
    QTest::addColumn<QString>("precision"); // empty: to be asked again alone

    const GeocodedRow duhesme = Duhesme();
    QTest::newRow("everything agrees")
        << u"18 rue Duhesme, Paris, FRANCE, 75018"_qs << duhesme << u"numéro"_qs;
    QTest::newRow("another house number")
        << u"20 rue Duhesme, Paris, FRANCE, 75018"_qs << duhesme << QString();
    QTest::newRow("another town") << u"18 rue Duhesme, Lyon, FRANCE, 69003"_qs << duhesme
                                  << QString();
    QTest::newRow("no town nor postal code typed")
        << u"18 rue Duhesme, , FRANCE, "_qs << duhesme << QString();
    GeocodedRow alike = duhesme;
    alike.scoreNext = 0.97;
    QTest::newRow("a second guess scored alike")
        << u"18 rue Duhesme, Paris, FRANCE, 75018"_qs << alike << QString();
    GeocodedRow street = duhesme;
    street.type = u"street"_qs;
    street.housenumber.clear();
    QTest::newRow("the street for a house it lacks")
        << u"18 rue Duhesme, Paris, FRANCE, 75018"_qs << street << u"rue"_qs;
    GeocodedRow locality = street;
    locality.type = u"locality"_qs;
    QTest::newRow("a locality for a house")
        << u"18 rue Duhesme, Paris, FRANCE, 75018"_qs << locality << QString();
    GeocodedRow notFound;
    notFound.status = u"not-found"_qs;
    QTest::newRow("not found") << u"18 rue Duhesme, Paris, FRANCE, 75018"_qs << notFound
                               << QString();
    GeocodedRow noPoint = duhesme;
    noPoint.latitude.reset();
    QTest::newRow("no coordinates")
        << u"18 rue Duhesme, Paris, FRANCE, 75018"_qs << noPoint << QString();
    // adresse.data.gouv.fr issue #2116: another département scored 0.63.
    GeocodedRow otherDepartement;
    otherDepartement.status = u"ok"_qs;
    otherDepartement.latitude = 49.0;
    otherDepartement.longitude = 1.0;
    otherDepartement.score = 0.63;
    otherDepartement.type = u"housenumber"_qs;
    otherDepartement.housenumber = u"21"_qs;
    otherDepartement.street = u"Lotissement le Clos du Parc"_qs;
    otherDepartement.postcode = u"76133"_qs;
    otherDepartement.city = u"Saint-Martin du Bec"_qs;
    QTest::newRow("another département")
        << u"21 LOTISSEMENT CLOS DU PARC, PUY ST MARTIN, FRANCE, 26450"_qs << otherDepartement
        << QString();
    QTest::newRow("its town typed, another département's code")
        << u"21 Lotissement le Clos du Parc, Saint-Martin du Bec, FRANCE, 26450"_qs
        << otherDepartement << QString();
}

void RowDecisionTest::csvRow() {
    QFETCH(QString, typed);
    QFETCH(GeocodedRow, answer);
    QFETCH(QString, precision);

    const std::optional<RowOutcome> outcome = DecideCsvRow(answer, ParseAddressQuery(typed));
    QCOMPARE(outcome.has_value(), !precision.isEmpty());
    if (outcome) {
        QCOMPARE(outcome->status, RowStatus::Found);
        QCOMPARE(outcome->precision, precision);
        QCOMPARE(outcome->latitude, answer.latitude);
        QCOMPARE(outcome->source, u"Base Adresse Nationale"_qs);
        QCOMPARE(outcome->cityCode, answer.citycode);
    }
}

void RowDecisionTest::rowAddress_data() {
    QTest::addColumn<QStringList>("cells"); // N°, Rue, CP, Ville, Pays, Adresse complète
    QTest::addColumn<QString>("street");
    QTest::addColumn<QString>("town");
    QTest::addColumn<QString>("postcode");
    QTest::addColumn<bool>("world");
    QTest::addColumn<QString>("problem"); // badRow or nothingToAsk, its beginning

    QTest::newRow("parts") << QStringList{u"18"_qs, u"rue Duhesme"_qs, u"75018"_qs, u"Paris"_qs}
                           << u"18 rue Duhesme"_qs << u"Paris"_qs << u"75018"_qs << false
                           << QString();
    QTest::newRow("a postal code stored as a number")
        << QStringList{{}, u"Grande Rue"_qs, u"1140"_qs, u"Thoissey"_qs} << u"Grande Rue"_qs
        << u"Thoissey"_qs << u"01140"_qs << false << QString();
    QTest::newRow("abroad")
        << QStringList{u"10"_qs, u"Downing Street"_qs, {}, u"London"_qs, u"Royaume-Uni"_qs}
        << u"10 Downing Street"_qs << u"London"_qs << QString() << true << QString();
    QTest::newRow("a full address without a country")
        << QStringList{{}, {}, {}, {}, {}, u"8 bd du port"_qs} << u"8 bd du port"_qs << QString()
        << QString() << false << QString();
    QTest::newRow("a full address completed by its town")
        << QStringList{{}, {}, u"95000"_qs, u"Cergy"_qs, {}, u"8 bd du port"_qs}
        << u"8 bd du port"_qs << u"Cergy"_qs << u"95000"_qs << false << QString();
    QTest::newRow("nothing") << QStringList{{}, {}, {}, {}} << QString() << QString() << QString()
                             << false << u"Aucune adresse sur cette ligne."_qs;
    QTest::newRow("too long") << QStringList{{}, QString(1001, u'a')} << QString() << QString()
                              << QString() << false << u"Adresse trop longue (1001"_qs;
    QTest::newRow("a replacement character")
        << QStringList{{}, u"rue \uFFFD"_qs, u"75001"_qs, u"Paris"_qs} << QString() << QString()
        << QString() << false << u"La ligne contient des caractères"_qs;
    QTest::newRow("a C1 control of windows-1252's undefined bytes")
        << QStringList{{}, u"rue \u0081"_qs} << QString() << QString() << QString() << false
        << u"La ligne contient des caractères"_qs;
}

void RowDecisionTest::rowAddress() {
    QFETCH(QStringList, cells);
    QFETCH(QString, street);
    QFETCH(QString, town);
    QFETCH(QString, postcode);
    QFETCH(bool, world);
    QFETCH(QString, problem);

    AddressColumns columns;
    columns.number = 0;
    columns.street = 1;
    columns.postcode = 2;
    columns.city = 3;
    columns.country = 4;
    columns.fullAddress = 5;
    const RowAddress address = ReadRowAddress(Cells(cells), columns);
    QVERIFY2((address.badRow + address.nothingToAsk).startsWith(problem),
             qPrintable(address.badRow + address.nothingToAsk));
    QCOMPARE(problem.isEmpty(), (address.badRow + address.nothingToAsk).isEmpty());
    if (problem.isEmpty()) {
        QCOMPARE(address.typed.street, street);
        QCOMPARE(address.typed.town, town);
        QCOMPARE(address.typed.postcode, postcode);
        QCOMPARE(address.world, world);
    }
}

QTEST_GUILESS_MAIN(RowDecisionTest)
#include "RowDecisionTest.moc"
