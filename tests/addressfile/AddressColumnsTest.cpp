#include "addressfile/AddressColumns.h"

#include <QTest>

using namespace tarnel;

Q_DECLARE_METATYPE(tarnel::AddressColumns)

class AddressColumnsTest : public QObject {
    Q_OBJECT

private slots:
    void recognised_data();
    void recognised();
    void postalCodes_data();
    void postalCodes();
};

void AddressColumnsTest::recognised_data() {
    QTest::addColumn<QStringList>("header");
    // number, street, complement, postcode, city, country, cityCode, fullAddress
    QTest::addColumn<AddressColumns>("expected");
    QTest::newRow("French export")
        << QStringList{u"Nom"_qs,         u"N°"_qs,    u"Rue"_qs, u"Complément"_qs,
                       u"Code postal"_qs, u"Ville"_qs, u"Pays"_qs}
        << AddressColumns{1, 2, 3, 4, 5, 6, -1, -1};
    QTest::newRow("English, case and underscores")
        << QStringList{u"HOUSE_NUMBER"_qs, u"Street"_qs, u"zip_code"_qs, u"City"_qs, u"Country"_qs}
        << AddressColumns{0, 1, -1, 2, 3, 4, -1, -1};
    QTest::newRow("accents and blanks forgotten")
        << QStringList{u"numero"_qs, u"  VOIE "_qs, u"code-postal"_qs, u"COMMUNE"_qs,
                       u"code INSEE"_qs}
        << AddressColumns{0, 1, -1, 2, 3, -1, 4, -1};
    QTest::newRow("one address column is the full address")
        << QStringList{u"Client"_qs, u"Adresse"_qs}
        << AddressColumns{-1, -1, -1, -1, -1, -1, -1, 1};
    QTest::newRow("address beside a town is the street")
        << QStringList{u"Adresse"_qs, u"CP"_qs, u"Ville"_qs}
        << AddressColumns{-1, 0, -1, 1, 2, -1, -1, -1};
    QTest::newRow("longer names") << QStringList{u"Adresse e-mail"_qs, u"Adresse de livraison"_qs,
                                                 u"Adresse 2"_qs, u"Code postal du site"_qs,
                                                 u"Ville de livraison"_qs}
                                  << AddressColumns{-1, 1, 2, 3, 4, -1, -1, -1};
    QTest::newRow("full address named so") << QStringList{u"Adresse complète"_qs, u"Ville"_qs}
                                           << AddressColumns{-1, -1, -1, -1, 1, -1, -1, 0};
    QTest::newRow("first of a kind wins")
        << QStringList{u"ville"_qs, u"city"_qs} << AddressColumns{-1, -1, -1, -1, 0, -1, -1, -1};
    QTest::newRow("nothing of an address")
        << QStringList{u"Nom"_qs, u"Téléphone"_qs, u"N° SIRET"_qs, u"Montant"_qs}
        << AddressColumns{-1, -1, -1, -1, -1, -1, -1, -1};
}

void AddressColumnsTest::recognised() {
    QFETCH(QStringList, header);
    QFETCH(AddressColumns, expected);
    Row row;
    for (const QString& name : header) {
        row.append(Cell{name, Cell::Kind::Text});
    }
    QCOMPARE(RecogniseAddressColumns(row), expected);
}

void AddressColumnsTest::postalCodes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::addColumn<QString>("expected");
    QTest::newRow("stored as a number") << u"1140"_qs << true << u"01140"_qs;
    QTest::newRow("as a decimal") << u"1140.0"_qs << true << u"01140"_qs;
    QTest::newRow("French decimal in a CSV") << u"1140,0"_qs << false << u"01140"_qs;
    QTest::newRow("blanks around") << u" 29200 "_qs << false << u"29200"_qs;
    QTest::newRow("Corsica untouched") << u"20000"_qs << true << u"20000"_qs;
    QTest::newRow("not a postal code") << u"B-1000"_qs << false << u"B-1000"_qs;
    QTest::newRow("too short to be one") << u"75"_qs << true << u"75"_qs;
}

void AddressColumnsTest::postalCodes() {
    QFETCH(QString, text);
    QFETCH(bool, number);
    QFETCH(QString, expected);
    QCOMPARE(PostalCodeText(Cell{text, number ? Cell::Kind::Number : Cell::Kind::Text}), expected);
}

QTEST_GUILESS_MAIN(AddressColumnsTest)
#include "AddressColumnsTest.moc"
