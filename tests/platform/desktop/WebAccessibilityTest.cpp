// Whether the map's web engine is opened to assistive technologies, asked as a screen reader's
// desktop answers: Qt's switch, or a stand-in of the accessibility bus's status on a private
// session bus (the test runs under dbus-run-session).

#include "platform/desktop/WebAccessibility.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QtTest>

using namespace tarnel;

namespace {

// The accessibility bus's status object as at-spi2-core publishes it: two properties of
// org.a11y.Status at /org/a11y/bus, under the name org.a11y.Bus.
class StatusStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.Status")
    Q_PROPERTY(bool IsEnabled MEMBER isEnabled)
    Q_PROPERTY(bool ScreenReaderEnabled MEMBER screenReaderEnabled)
public:
    bool isEnabled = false;
    bool screenReaderEnabled = false;
};

} // namespace

class WebAccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void assistedWhen_data();
    void assistedWhen();

private:
    StatusStandIn status_;
};

void WebAccessibilityTest::init() {
    qunsetenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON");
    qunsetenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY");
    QVERIFY2(QDBusConnection::sessionBus().isConnected(),
             "no session bus: run under dbus-run-session");
}

void WebAccessibilityTest::cleanup() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QStringLiteral("/org/a11y/bus"));
    bus.unregisterService(QStringLiteral("org.a11y.Bus"));
}

void WebAccessibilityTest::assistedWhen_data() {
    QTest::addColumn<bool>("qtSwitch");     // QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    QTest::addColumn<bool>("busRunning");   // the accessibility bus is on the session bus
    QTest::addColumn<bool>("isEnabled");    // its status says so
    QTest::addColumn<bool>("screenReader"); // or says a screen reader runs
    QTest::addColumn<bool>("assisted");
    QTest::newRow("nothing at work") << false << false << false << false << false;
    QTest::newRow("bus running, accessibility off") << false << true << false << false << false;
    QTest::newRow("desktop accessibility on") << false << true << true << false << true;
    QTest::newRow("screen reader running") << false << true << false << true << true;
    QTest::newRow("Qt's switch alone") << true << false << false << false << true;
}

void WebAccessibilityTest::assistedWhen() {
    QFETCH(bool, qtSwitch);
    QFETCH(bool, busRunning);
    QFETCH(bool, isEnabled);
    QFETCH(bool, screenReader);
    QFETCH(bool, assisted);
    if (qtSwitch) {
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    }
    if (busRunning) {
        status_.isEnabled = isEnabled;
        status_.screenReaderEnabled = screenReader;
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerObject(QStringLiteral("/org/a11y/bus"), &status_,
                                   QDBusConnection::ExportAllProperties));
        QVERIFY(bus.registerService(QStringLiteral("org.a11y.Bus")));
    }
    QCOMPARE(AssistiveTechnologyActive(), assisted);
    ExposeWebPagesWhenAssisted();
    QCOMPARE(qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"), assisted);
}

QTEST_MAIN(WebAccessibilityTest)
#include "WebAccessibilityTest.moc"
