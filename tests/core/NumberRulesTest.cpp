#include "core/NumberRules.h"

#include <QTest>
#include <cfloat>
#include <cmath>

using namespace tarnel;

class NumberRulesTest : public QObject {
    Q_OBJECT

private slots:
    void readNumber_data();
    void readNumber();
    void readNumberOutOfRange_data();
    void readNumberOutOfRange();
    void numberText_data();
    void numberText();
    void toSingle_data();
    void toSingle();
    void trimBlanks_data();
    void trimBlanks();
};

void NumberRulesTest::readNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("whole") << "48" << 48.0;
    QTest::newRow("blanks around") << "  48  " << 48.0;
    QTest::newRow("blanks tabs line feeds inside") << "\t-\n4 8 .5" << -48.5;
    QTest::newRow("negative decimal") << "-2.3522" << -2.3522;
    QTest::newRow("plus sign") << "+5" << 5.0;
    QTest::newRow("no zero before point") << ".5" << 0.5;
    QTest::newRow("point at end") << "5." << 5.0;
    QTest::newRow("lone sign") << "-" << 0.0;
    QTest::newRow("lone point") << "." << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("letters after number") << "12abc" << 12.0;
    QTest::newRow("comma ends") << "48,8566" << 48.0;
    QTest::newRow("second point ends") << "4.5.6" << 4.5;
    QTest::newRow("second sign ends") << "5-3" << 5.0;
    QTest::newRow("double sign") << "--5" << 0.0;
    QTest::newRow("exponent E") << "1E3" << 1000.0;
    QTest::newRow("exponent d") << "1.5d2" << 150.0;
    QTest::newRow("negative exponent") << "25e-2" << 0.25;
    QTest::newRow("exponent without digits") << "1E" << 1.0;
    QTest::newRow("exponent sign without digits") << "1e+" << 1.0;
    QTest::newRow("exponent without mantissa") << "e5" << 0.0;
    QTest::newRow("second exponent ends") << "1e2e3" << 100.0;
    QTest::newRow("largest double") << "1.7976931348623157e308" << DBL_MAX;
    QTest::newRow("many leading zeros") << "0000000000000000000000000000001.25" << 1.25;
    QTest::newRow("zero with huge exponent") << "0e99999999999999999999" << 0.0;
    QTest::newRow("below double range") << "1e-400" << 0.0;
    QTest::newRow("huge negative exponent") << "-7e-99999999999999999" << 0.0;
    QTest::newRow("digits shift the exponent") << "0.0001e312" << 1e308;
}

void NumberRulesTest::readNumber() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(ReadNumber(text), expected);
}

void NumberRulesTest::readNumberOutOfRange_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("1e309") << "1e309";
    QTest::newRow("negative") << "-2e308";
    QTest::newRow("huge exponent") << "1e99999999999999999999";
    QTest::newRow("many digits") << QString(400, u'9');
    QTest::newRow("rounds past the largest double") << "1.7976931348623159e308";
}

void NumberRulesTest::readNumberOutOfRange() {
    QFETCH(QString, text);
    QVERIFY_THROWS_EXCEPTION(NumericRangeError, ReadNumber(text));
}

void NumberRulesTest::numberText_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << 0.0f << " 0";
    QTest::newRow("negative zero") << -0.0f << " 0";
    QTest::newRow("whole") << 48.0f << " 48";
    QTest::newRow("negative whole") << -2.0f << "-2";
    QTest::newRow("hundred") << 100.0f << " 100";
    QTest::newRow("fraction") << 0.85666668f << " .8566667";
    QTest::newRow("half") << 0.5f << " .5";
    QTest::newRow("negative fraction") << -0.35f << "-.35";
    QTest::newRow("seven digits") << 48.8566667f << " 48.85667";
    QTest::newRow("below a tenth") << 0.050277778f << " .05027778";
    QTest::newRow("single precision noise dropped") << 2.3522f << " 2.3522";
    QTest::newRow("rounds up to two") << std::nextafter(2.0f, 0.0f) << " 2";
    QTest::newRow("below one") << 0.99999994f << " .9999999";
    QTest::newRow("largest positional") << 9999999.0f << " 9999999";
    QTest::newRow("ten million") << 1e7f << " 1E+07";
    QTest::newRow("negative ten million") << -1e7f << "-1E+07";
    QTest::newRow("exponent with digits") << 12345678.0f << " 1.234568E+07";
    QTest::newRow("largest float") << FLT_MAX << " 3.402823E+38";
    QTest::newRow("ten thousandth") << 1e-4f << " .0001";
    QTest::newRow("small positional") << 0.00012f << " .00012";
    QTest::newRow("just below 1E-04") << std::nextafter(1e-4f, 0.0f) << " .00009999999";
    QTest::newRow("tenth of a second in degrees") << 2.7777778e-5f << " .00002777778";
    QTest::newRow("hundred thousandth") << 1e-5f << " .00001";
    QTest::newRow("tiny") << 1e-8f << " .00000001";
    QTest::newRow("negative tiny") << -1.5e-5f << "-.000015";
    QTest::newRow("smallest normal float") << FLT_MIN << " ." + QString(37, u'0') + "1175494";
    QTest::newRow("smallest float")
        << std::nextafter(0.0f, 1.0f) << " ." + QString(44, u'0') + "1401298";
}

void NumberRulesTest::numberText() {
    QFETCH(float, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberText(value), expected);
}

void NumberRulesTest::toSingle_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<float>("expected");
    QTest::newRow("ordinary") << 48.8566667 << true << 48.8566667f;
    QTest::newRow("largest float") << double(FLT_MAX) << true << FLT_MAX;
    QTest::newRow("just below rounding to infinity") << 0x1.fffffefffffffp127 << true << FLT_MAX;
    QTest::newRow("halfway to 2^128") << 0x1.ffffffp127 << false << 0.0f;
    QTest::newRow("1e39") << 1e39 << false << 0.0f;
    QTest::newRow("-1e39") << -1e39 << false << 0.0f;
    QTest::newRow("infinity") << HUGE_VAL << false << 0.0f;
    QTest::newRow("below float range") << 1e-50 << true << 0.0f;
}

void NumberRulesTest::toSingle() {
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(float, expected);
    if (fits) {
        QCOMPARE(ToSingle(value), expected);
    } else {
        QVERIFY_THROWS_EXCEPTION(NumericRangeError, ToSingle(value));
    }
}

void NumberRulesTest::trimBlanks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both ends") << "  a b  "
                               << "a b";
    QTest::newRow("only blanks") << "   "
                                 << "";
    QTest::newRow("tabs stay") << "\ta\t"
                               << "\ta\t";
    QTest::newRow("nothing to trim") << "x"
                                     << "x";
}

void NumberRulesTest::trimBlanks() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(TrimBlanks(text), expected);
}

QTEST_GUILESS_MAIN(NumberRulesTest)
#include "NumberRulesTest.moc"
