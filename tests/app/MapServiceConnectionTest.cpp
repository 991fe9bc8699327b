#include "app/MapServiceConnection.h"
#include "net/FetchPage.h"

#include <QRegularExpression>
#include <QTest>
#include <memory>

using namespace tarnel;

namespace {

// Short bounds: everything here runs on the loopback interface.
FetchLimits QuickLimits() {
    FetchLimits limits;
    limits.connectTimeout = std::chrono::milliseconds(2000);
    limits.stallTimeout = std::chrono::milliseconds(5000);
    limits.totalTimeout = std::chrono::milliseconds(10000);
    return limits;
}

} // namespace

// The map service a run talks to: the configured host, or the program's own service.
class MapServiceConnectionTest : public QObject {
    Q_OBJECT

private slots:
    void configuredHost_data();
    void configuredHost();
    void ownServiceWithoutHost();
};

void MapServiceConnectionTest::configuredHost_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("baseUrl");
    QTest::newRow("name") << "maps.example"
                          << "http://maps.example/maps?q=";
    QTest::newRow("stand-in on the loopback") << "127.0.0.1:9"
                                              << "http://127.0.0.1:9/maps?q=";
}

void MapServiceConnectionTest::configuredHost() {
    QFETCH(QString, host);
    QFETCH(QString, baseUrl);
    const MapServiceConnection connection(host);
    QVERIFY(connection.Available());
    QCOMPARE(connection.BaseUrl(), baseUrl);
}

void MapServiceConnectionTest::ownServiceWithoutHost() {
    auto connection = std::make_unique<MapServiceConnection>(QString());
    QVERIFY(connection->Available());
    const QString baseUrl = connection->BaseUrl();
    QVERIFY2(QRegularExpression(QStringLiteral("^http://127\\.0\\.0\\.1:[0-9]+/maps\\?q=$"))
                 .match(baseUrl)
                 .hasMatch(),
             qPrintable(baseUrl));
    // A coordinate query needs no geocoder, so the page comes from the service alone.
    const QString url = baseUrl + QStringLiteral("48.8584%2C2.2945");
    QVERIFY(FetchPage(url, QuickLimits()).contains(QStringLiteral("48.8584")));

    connection.reset();
    QVERIFY(FetchPage(url, QuickLimits()).isEmpty());
}

QTEST_GUILESS_MAIN(MapServiceConnectionTest)
#include "MapServiceConnectionTest.moc"
