#include "core/ExportText.h"

#include <QTest>

using namespace tarnel;

class ExportTextTest : public QObject {
    Q_OBJECT

private slots:
    void cleaned_data();
    void cleaned();
};

void ExportTextTest::cleaned_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const QString& text, const QString& expected) {
        QTest::newRow(name) << text << expected;
    };
    const QString french = u"Œuvre « Hôtel-de-Ville », 2e à côté 75004 PARIS FRANCE"_qs;
    row("accented French unchanged", french, french);
    row("byte-order mark first and in the middle", u"\uFEFFRue\uFEFFde"_qs, u"Ruede"_qs);
    row("U+FFFE and U+FFFF", u"a\uFFFEb\uFFFF"_qs, u"ab"_qs);
    row("U+FDD0 to U+FDEF, not their neighbours", u"\uFDCF\uFDD0\uFDE5\uFDEF\uFDF0"_qs,
        u"\uFDCF\uFDF0"_qs);
    row("last two of the other planes", u"\U0001FFFE\U0001FFFD\U0010FFFF|\U000EFFFE"_qs,
        u"\U0001FFFD|"_qs);
    row("emoji pair and U+FFFD kept", u"Café \U0001F600\uFFFD"_qs, u"Café \U0001F600\uFFFD"_qs);
    row("lone surrogates", u"x"_qs + QChar(0xDE00) + QChar(0xD83D) + u'y' + QChar(0xD83D),
        u"xy"_qs);
    row("pair cut by a byte-order mark", QString(QChar(0xD83D)) + QChar(0xFEFF) + QChar(0xDE00),
        QString());
    row("controls blanked, not a no-break space",
        u"a\tb\r\nc"_qs + QChar(0) + u"\u007F\u0085\u009F\u00A0"_qs, u"a b  c    \u00A0"_qs);
}

void ExportTextTest::cleaned() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ExportSafeText(text), expected);
}

QTEST_GUILESS_MAIN(ExportTextTest)
#include "ExportTextTest.moc"
