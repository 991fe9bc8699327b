#include "addressfile/RowDecision.h"
#include "addressfile/RowAddress.h"

#include <QTest>

using namespace tarnel;

Q_DECLARE_METATYPE(tarnel::GeocodedRow)

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

    // The CSV answer's rows for "18 rue Duhesme" (the best feature of the recorded answer
    // tests/mapservice/recorded/ban-pass-culture-18-rue-duhesme.json) and for the address of
    // adresse.data.gouv.fr issue #2116, another département scored 0.63 (as the thread quotes it).
    const QList<GeocodedRow> answers =
        ReadGeocodeCsvAnswer("id,latitude,longitude,result_score,result_label,result_type,"
                             "result_housenumber,result_street,result_postcode,result_city,"
                             "result_citycode,result_context\n"
                             "1,48.890787,2.338562,0.9806,18 Rue Duhesme 75018 Paris,housenumber,"
                             "18,Rue Duhesme,75018,Paris,75118,\"75, Paris, Île-de-France\"\n"
                             "2,49.0,1.0,0.63,,housenumber,21,Lotissement le Clos du Parc,76133,"
                             "Saint-Martin du Bec,,\n",
                             u"id"_qs, {u"1"_qs, u"2"_qs})
            .rows;
    const GeocodedRow duhesme = answers.value(0);
    const GeocodedRow otherDepartement = answers.value(1);
    const QString typed = u"18 rue Duhesme, Paris, FRANCE, 75018"_qs;
    QTest::newRow("everything agrees") << typed << duhesme << u"numéro"_qs;
    QTest::newRow("another house number")
        << u"20 rue Duhesme, Paris, FRANCE, 75018"_qs << duhesme << QString();
    QTest::newRow("no town nor postal code typed")
        << u"18 rue Duhesme, , FRANCE, "_qs << duhesme << QString();
    GeocodedRow alike = duhesme;
    alike.scoreNext = 0.97;
    QTest::newRow("a second guess scored alike") << typed << alike << QString();
    GeocodedRow street = duhesme;
    street.type = u"street"_qs;
    street.housenumber.clear();
    QTest::newRow("the street for a house it lacks") << typed << street << u"rue"_qs;
    GeocodedRow locality = street;
    locality.type = u"locality"_qs;
    QTest::newRow("a locality for a house") << typed << locality << QString();
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
        QCOMPARE(std::tuple(outcome->status, outcome->precision, outcome->latitude,
                            outcome->longitude, outcome->label, outcome->source, outcome->cityCode),
                 std::tuple(RowStatus::Found, precision, answer.latitude, answer.longitude,
                            answer.label, u"Base Adresse Nationale"_qs, answer.citycode));
    }
}

void RowDecisionTest::rowAddress_data() {
    QTest::addColumn<QStringList>("cells"); // N°, Rue, CP, Ville, Pays, Adresse complète
    // street, town, postal code; or the beginning of what is wrong
    QTest::addColumn<QStringList>("read");

    QTest::newRow("a postal code stored as a number")
        << QStringList{{}, u"Grande Rue"_qs, u"1140"_qs, u"Thoissey"_qs}
        << QStringList{u"Grande Rue"_qs, u"Thoissey"_qs, u"01140"_qs};
    QTest::newRow("a full address completed by its town")
        << QStringList{{}, {}, u"95000"_qs, u"Cergy"_qs, {}, u"8 bd du port"_qs}
        << QStringList{u"8 bd du port"_qs, u"Cergy"_qs, u"95000"_qs};
    QTest::newRow("a replacement character")
        << QStringList{{}, u"rue \uFFFD"_qs, u"75001"_qs, u"Paris"_qs}
        << QStringList{u"La ligne contient des caractères"_qs};
    QTest::newRow("a C1 control of windows-1252's undefined bytes")
        << QStringList{{}, u"rue \u0081"_qs} << QStringList{u"La ligne contient des caractères"_qs};
}

void RowDecisionTest::rowAddress() {
    QFETCH(QStringList, cells);
    QFETCH(QStringList, read);

    Row row;
    for (const QString& text : cells) {
        row.append({text, Cell::Kind::Text});
    }
    const RowAddress address = ReadRowAddress(row, AddressColumns{0, 1, -1, 2, 3, 4, -1, 5});
    const QString problem = address.badRow + address.nothingToAsk;
    if (read.size() == 1) {
        QVERIFY2(problem.startsWith(read[0]), qPrintable(problem));
    } else {
        QCOMPARE(problem, QString());
        QCOMPARE((QStringList{address.typed.street, address.typed.town, address.typed.postcode}),
                 read);
    }
}

QTEST_GUILESS_MAIN(RowDecisionTest)
#include "RowDecisionTest.moc"
