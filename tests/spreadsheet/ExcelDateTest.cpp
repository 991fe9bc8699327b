#include "spreadsheet/ExcelDate.h"

#include <QTest>

using namespace tarnel;

class ExcelDateTest : public QObject {
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void texts_data();
    void texts();
};

// The custom "mm/dd/yy" and "General" formats and plain days are read from the real workbook
// in TableFileTest.
void ExcelDateTest::formats_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("date");
    QTest::newRow("built-in short date") << 14 << QString() << true;
    QTest::newRow("built-in number") << 2 << QString() << false;
    QTest::newRow("custom with locale") << 165 << u"[$-40C]d\\ mmmm\\ yyyy"_qs << true;
    QTest::newRow("quoted letters") << 166 << u"0.00\" days\""_qs << false;
}

void ExcelDateTest::formats() {
    QFETCH(int, id);
    QFETCH(QString, code);
    QFETCH(bool, date);
    QCOMPARE(IsDateFormat(id, code), date);
}

void ExcelDateTest::texts_data() {
    QTest::addColumn<double>("serial");
    QTest::addColumn<bool>("from1904");
    QTest::addColumn<QString>("text");
    QTest::newRow("day and time") << 45356.6041666667 << false << u"05/03/2024 14:30"_qs;
    QTest::newRow("time alone") << 0.6041782407 << false << u"14:30:01"_qs;
    QTest::newRow("1904 system") << 43894.0 << true << u"05/03/2024"_qs;
    QTest::newRow("out of range") << -1.0 << false << QString();
}

void ExcelDateTest::texts() {
    QFETCH(double, serial);
    QFETCH(bool, from1904);
    QFETCH(QString, text);
    QCOMPARE(ExcelDateText(serial, from1904).value_or(QString()), text);
}

QTEST_GUILESS_MAIN(ExcelDateTest)
#include "ExcelDateTest.moc"
