#include "core/Windows1252.h"

#include <QTest>

using namespace tarnel;

class Windows1252Test : public QObject {
    Q_OBJECT

private slots:
    void everyByteRoundTrips();
    void characters_data();
    void characters();
    void unrepresentable_data();
    void unrepresentable();
};

void Windows1252Test::everyByteRoundTrips() {
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i) {
        all[i] = char(i);
    }
    const QString text = FromWindows1252(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(ToWindows1252(text), all);
}

void Windows1252Test::characters_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("codePoint");
    QTest::newRow("ascii") << 0x41 << 0x41;
    QTest::newRow("euro") << 0x80 << 0x20AC;
    QTest::newRow("undefined 0x81") << 0x81 << 0x81;
    QTest::newRow("low quote") << 0x82 << 0x201A;
    QTest::newRow("OE ligature") << 0x8C << 0x152;
    QTest::newRow("undefined 0x8D") << 0x8D << 0x8D;
    QTest::newRow("undefined 0x8F") << 0x8F << 0x8F;
    QTest::newRow("undefined 0x90") << 0x90 << 0x90;
    QTest::newRow("right single quote") << 0x92 << 0x2019;
    QTest::newRow("trade mark") << 0x99 << 0x2122;
    QTest::newRow("undefined 0x9D") << 0x9D << 0x9D;
    QTest::newRow("Y diaeresis") << 0x9F << 0x178;
    QTest::newRow("no-break space") << 0xA0 << 0xA0;
    QTest::newRow("degree sign") << 0xB0 << 0xB0;
    QTest::newRow("e acute") << 0xE9 << 0xE9;
    QTest::newRow("y diaeresis") << 0xFF << 0xFF;
}

void Windows1252Test::characters() {
    QFETCH(int, byte);
    QFETCH(int, codePoint);
    const QByteArray bytes(1, char(byte));
    const QString text{QChar(char16_t(codePoint))};
    QCOMPARE(FromWindows1252(bytes), text);
    QCOMPARE(ToWindows1252(text), bytes);
}

void Windows1252Test::unrepresentable_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("ohm sign") << u"a\u2126b"_qs << QByteArray("a?b");
    QTest::newRow("C1 control the code page defines") << u"\u0080"_qs << QByteArray("?");
    QTest::newRow("outside 16 bits is one character") << u"x\U0001F600y"_qs << QByteArray("x?y");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
}

void Windows1252Test::unrepresentable() {
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(ToWindows1252(text), expected);
}

QTEST_GUILESS_MAIN(Windows1252Test)
#include "Windows1252Test.moc"
