#include "geocoding/AltitudeBatch.h"
#include "tests/addressfile/AltimetryStandin.h"

#include <QFile>
#include <QTest>

using namespace tarnel;
using namespace std::chrono_literals;

namespace {

using Altitudes = QList<std::optional<double>>;

QByteArray Recorded(const QString& name) {
    QFile file(QStringLiteral(POINT_FACTS_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A client with turns of its own, so that one case's 429 holds back no other.
AltitudeBatch Client(const QString& url) {
    return AltitudeBatch(url, "TarnelTest/1", AltitudeBatch::Limits(),
                         std::make_shared<RateLimiter>(10ms, 3000ms));
}

} // namespace

Q_DECLARE_METATYPE(std::optional<Altitudes>)

class AltitudeBatchTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(standin_.Start()); }
    void readAnswer_data();
    void readAnswer();
    void documentedExample();
    void pointsAbroadNotSent();

private:
    testing::AltimetryStandin standin_;
};

void AltitudeBatchTest::readAnswer_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<qsizetype>("count");
    QTest::addColumn<std::optional<Altitudes>>("expected");
    const Altitudes doc{164.34, 141.33};
    QTest::newRow("IGN's example, zonly")
        << Recorded(u"altitude-ign-doc-zonly.json"_qs) << qsizetype{2} << std::optional(doc);
    QTest::newRow("IGN's example, extended")
        << Recorded(u"altitude-ign-doc-extended.json"_qs) << qsizetype{2} << std::optional(doc);
    QTest::newRow("not covered") << Recorded(u"altitude-geocontext-not-covered.json"_qs)
                                 << qsizetype{1} << std::optional(Altitudes{std::nullopt});
    QTest::newRow("fewer than asked") << Recorded(u"altitude-ign-doc-zonly.json"_qs) << qsizetype{3}
                                      << std::optional<Altitudes>();
    QTest::newRow("one value no ground has") << QByteArray(R"({"elevations":[164.34,12000]})")
                                             << qsizetype{2} << std::optional<Altitudes>();
    QTest::newRow("a text for a value")
        << QByteArray(R"({"elevations":["164.34"]})") << qsizetype{1} << std::optional<Altitudes>();
    QTest::newRow("the 429 body") << QByteArray(R"({"code":429,"message":"Too Many Requests"})")
                                  << qsizetype{1} << std::optional<Altitudes>();
}

void AltitudeBatchTest::readAnswer() {
    QFETCH(QByteArray, json);
    QFETCH(qsizetype, count);
    QFETCH(std::optional<Altitudes>, expected);
    QVERIFY(!json.isEmpty());
    QCOMPARE(AltitudeBatch::ReadAnswer(json, count), expected);
}

void AltitudeBatchTest::documentedExample() {
    AltitudeBatch client = Client(standin_.Url());
    const PointsAltitudes answer = client.Ask({{43.54, 1.48}, {43.55, 1.49}});
    QCOMPARE(answer.outcome, HttpAnswer::Outcome::Body);
    QCOMPARE(answer.metres, (Altitudes{164.34, 141.33}));
    QCOMPARE(standin_.PointsAsked().back(), 2);
}

void AltitudeBatchTest::pointsAbroadNotSent() {
    AltitudeBatch client = Client(standin_.Url());
    const int requests = standin_.Requests();
    const PointsAltitudes none = client.Ask({{51.50344, -0.12765}});
    QCOMPARE(none.outcome, HttpAnswer::Outcome::Body);
    QCOMPARE(none.metres, Altitudes{std::nullopt});
    QCOMPARE(standin_.Requests(), requests);
    const PointsAltitudes some = client.Ask({{51.50344, -0.12765}, {48.890787, 2.348}});
    QCOMPARE(some.metres.size(), 2);
    QVERIFY(!some.metres[0] && some.metres[1]);
    QCOMPARE(standin_.PointsAsked().back(), 1);
}

QTEST_GUILESS_MAIN(AltitudeBatchTest)
#include "AltitudeBatchTest.moc"
