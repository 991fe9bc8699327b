#include "core/DegreeConversion.h"

#include <QTest>

using namespace tarnel;

class DegreeConversionTest : public QObject {
    Q_OBJECT

private slots:
    void dmsToDecimal_data();
    void dmsToDecimal();
    void dmsToDecimalRejected_data();
    void dmsToDecimalRejected();
    void decimalToDms_data();
    void decimalToDms();
    void decimalToDmsFailure_data();
    void decimalToDmsFailure();
    void makePositive_data();
    void makePositive();
    void makeNegative_data();
    void makeNegative();
    void dmsText_data();
    void dmsText();
};

void DegreeConversionTest::dmsToDecimal_data() {
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("negative");
    QTest::newRow("Paris latitude") << "48"
                                    << "51"
                                    << "24"
                                    << "48.8566667" << false;
    QTest::newRow("Paris longitude") << "-2"
                                     << "21"
                                     << "7.92"
                                     << "-2.3522" << true;
    QTest::newRow("minus zero") << "-0"
                                << "30"
                                << ""
                                << "-0.5" << true;
    QTest::newRow("half degree") << "48"
                                 << "30"
                                 << ""
                                 << "48.5" << false;
    QTest::newRow("degrees alone") << "48"
                                   << ""
                                   << ""
                                   << "48" << false;
    QTest::newRow("zero minutes and seconds") << "48"
                                              << "0"
                                              << "0"
                                              << "48" << false;
    QTest::newRow("fraction below a tenth") << "48"
                                            << "3"
                                            << "1"
                                            << "48.05027778" << false;
    QTest::newRow("empty degrees") << ""
                                   << "30"
                                   << ""
                                   << ".5" << false;
    QTest::newRow("leading zero kept") << "048"
                                       << "30"
                                       << ""
                                       << "048.5" << false;
    QTest::newRow("degrees trimmed") << "  48 "
                                     << "30"
                                     << ""
                                     << "48.5" << false;
    QTest::newRow("decimal degrees, nothing appended") << "48.5"
                                                       << "0"
                                                       << ""
                                                       << "48.5" << false;
    QTest::newRow("no range check on degrees") << "200"
                                               << "59"
                                               << ""
                                               << "200.9833333" << false;
    QTest::newRow("tiny fraction written positionally") << "48"
                                                        << "0"
                                                        << "0.1"
                                                        << "48.00002777778" << false;
}

void DegreeConversionTest::dmsToDecimal() {
    QFETCH(QString, degrees);
    QFETCH(QString, minutes);
    QFETCH(QString, seconds);
    QFETCH(QString, text);
    QFETCH(bool, negative);
    ProgramTexts texts;
    texts.decimalText = QStringLiteral("previous");
    const auto result = DmsToDecimal(texts, degrees, minutes, seconds);
    QVERIFY(result);
    QCOMPARE(result->text, text);
    QCOMPARE(result->negative, negative);
    QCOMPARE(texts.decimalText, text);
}

void DegreeConversionTest::dmsToDecimalRejected_data() {
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("seconds");
    QTest::newRow("negative minutes") << "48"
                                      << "-1"
                                      << "";
    QTest::newRow("negative seconds") << "48"
                                      << ""
                                      << "-5";
    QTest::newRow("sixty minutes") << "48"
                                   << "60"
                                   << "";
    QTest::newRow("fraction of exactly one") << "48"
                                             << "59"
                                             << "60";
    QTest::newRow("fraction rounding to one") << "48"
                                              << "59"
                                              << "59.99999";
    QTest::newRow("degrees with a point") << "48.5"
                                          << "30"
                                          << "";
    QTest::newRow("degrees with an exponent") << "1E2"
                                              << "30"
                                              << "";
    QTest::newRow("degrees followed by letters") << "48abc"
                                                 << "30"
                                                 << "";
    QTest::newRow("degrees beyond double range") << "1e309"
                                                 << ""
                                                 << "";
    QTest::newRow("degrees beyond single range") << "1e39"
                                                 << ""
                                                 << "";
    QTest::newRow("minutes beyond double range") << "48"
                                                 << "1e309"
                                                 << "";
    QTest::newRow("minutes beyond single range") << "48"
                                                 << "1e39"
                                                 << "";
    QTest::newRow("seconds beyond single range") << "48"
                                                 << ""
                                                 << "1e39";
}

void DegreeConversionTest::dmsToDecimalRejected() {
    QFETCH(QString, degrees);
    QFETCH(QString, minutes);
    QFETCH(QString, seconds);
    ProgramTexts texts;
    texts.decimalText = QStringLiteral("previous");
    QVERIFY(!DmsToDecimal(texts, degrees, minutes, seconds));
    QCOMPARE(texts.decimalText, QStringLiteral("previous"));
}

void DegreeConversionTest::decimalToDms_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("seconds");
    QTest::newRow("one second lost to single precision") << "48.8566667"
                                                         << " 48"
                                                         << " 51"
                                                         << " 23";
    QTest::newRow("seven digits") << "48.85667"
                                  << " 48"
                                  << " 51"
                                  << " 24";
    QTest::newRow("negative") << "-2.3522"
                              << "-2"
                              << " 21"
                              << " 7";
    QTest::newRow("San Francisco") << "-122.4194"
                                   << "-122"
                                   << " 25"
                                   << " 9";
    QTest::newRow("negative below one degree") << "-0.5"
                                               << "-0"
                                               << " 30"
                                               << " 0";
    QTest::newRow("positive below one degree") << "0.5"
                                               << " 0"
                                               << " 30"
                                               << " 0";
    QTest::newRow("whole") << "45"
                           << " 45"
                           << " 0"
                           << " 0";
    QTest::newRow("empty") << ""
                           << " 0"
                           << " 0"
                           << " 0";
    QTest::newRow("not a number") << "abc"
                                  << " 0"
                                  << " 0"
                                  << " 0";
    QTest::newRow("comma ends the number") << "48,8566"
                                           << " 48"
                                           << " 0"
                                           << " 0";
    QTest::newRow("rounds to 49 in single precision") << "48.999999"
                                                      << " 48"
                                                      << " 60"
                                                      << " 0";
    QTest::newRow("no range check") << "500.5"
                                    << " 500"
                                    << " 30"
                                    << " 0";
}

void DegreeConversionTest::decimalToDms() {
    QFETCH(QString, text);
    QFETCH(QString, degrees);
    QFETCH(QString, minutes);
    QFETCH(QString, seconds);
    const DmsCaptions captions = DecimalToDms(text);
    QVERIFY(captions.complete);
    QCOMPARE(captions.degrees, std::optional<QString>(degrees));
    QCOMPARE(captions.minutes, minutes);
    QCOMPARE(captions.seconds, seconds);
}

void DegreeConversionTest::decimalToDmsFailure_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("beyond double range") << "1e309";
    QTest::newRow("beyond single range") << "-1e39";
}

void DegreeConversionTest::decimalToDmsFailure() {
    QFETCH(QString, text);
    const DmsCaptions captions = DecimalToDms(text);
    QVERIFY(!captions.complete);
    QVERIFY(!captions.degrees);
}

void DegreeConversionTest::makePositive_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("expected");
    QTest::newRow("negative") << "-2.3522"
                              << "2.3522";
    QTest::newRow("rewritten with seven digits") << "48.8566667"
                                                 << "48.85667";
    QTest::newRow("below one") << "-0.5"
                               << ".5";
    QTest::newRow("empty") << ""
                           << "0";
    QTest::newRow("below 1E-04 stays positional") << "-0.00002777778"
                                                  << ".00002777778";
    QTest::newRow("beyond single range stays") << "-1e39"
                                               << "-1e39";
}

void DegreeConversionTest::makePositive() {
    QFETCH(QString, label);
    QFETCH(QString, expected);
    ProgramTexts texts;
    texts.decimalText = QStringLiteral("previous");
    QCOMPARE(MakePositive(texts, label), expected);
    QCOMPARE(texts.decimalText, expected);
}

void DegreeConversionTest::makeNegative_data() {
    QTest::addColumn<QString>("decimalText");
    QTest::addColumn<QString>("expected");
    QTest::newRow("positive") << "48.8566667"
                              << "-48.8566667";
    QTest::newRow("already negative") << "-2.3522"
                                      << "-2.3522";
    QTest::newRow("zero") << "0"
                          << "0";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("not a number") << "abc"
                                  << "abc";
    QTest::newRow("beyond double range") << "1e999"
                                         << "1e999";
}

void DegreeConversionTest::makeNegative() {
    QFETCH(QString, decimalText);
    QFETCH(QString, expected);
    ProgramTexts texts;
    texts.decimalText = decimalText;
    QCOMPARE(MakeNegative(texts), expected);
    QCOMPARE(texts.decimalText, expected);
}

void DegreeConversionTest::dmsText_data() {
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("expected");
    QTest::newRow("captions trimmed") << " 48"
                                      << " 51"
                                      << " 23" << u"48°51'23\""_qs;
    QTest::newRow("negative") << "-2"
                              << " 21"
                              << " 7" << u"-2°21'7\""_qs;
    QTest::newRow("all empty") << ""
                               << ""
                               << "" << u"°'\""_qs;
}

void DegreeConversionTest::dmsText() {
    QFETCH(QString, degrees);
    QFETCH(QString, minutes);
    QFETCH(QString, seconds);
    QFETCH(QString, expected);
    QCOMPARE(DmsText(degrees, minutes, seconds), expected);
}

QTEST_GUILESS_MAIN(DegreeConversionTest)
#include "DegreeConversionTest.moc"
