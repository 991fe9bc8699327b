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

} // namespace

Q_DECLARE_METATYPE(std::optional<Altitudes>)

class AltitudeBatchTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(standin_.Start()); }
    void readAnswer_data();
    void readAnswer();
    void noPointInFrance();

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
}

void AltitudeBatchTest::readAnswer() {
    QFETCH(QByteArray, json);
    QFETCH(qsizetype, count);
    QFETCH(std::optional<Altitudes>, expected);
    QVERIFY(!json.isEmpty());
    QCOMPARE(AltitudeBatch::ReadAnswer(json, count), expected);
}

// Points outside France are answered without asking: no request when no point is French (a
// French point among them: BatchRunTest::everyRow).
void AltitudeBatchTest::noPointInFrance() {
    AltitudeBatch client(standin_.Url(), "TarnelTest/1", AltitudeBatch::Limits(),
                         std::make_shared<RateLimiter>(10ms, 3000ms));
    const int requests = standin_.Requests();
    const PointsAltitudes none = client.Ask({{51.50344, -0.12765}});
    QCOMPARE(none.outcome, HttpAnswer::Outcome::Body);
    QCOMPARE(none.metres, Altitudes{std::nullopt});
    QCOMPARE(standin_.Requests(), requests);
}

QTEST_GUILESS_MAIN(AltitudeBatchTest)
#include "AltitudeBatchTest.moc"
