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
    // What is at work: Qt's switch ("qt"), the accessibility bus ("bus") with its status's
    // properties that are true.
    QTest::addColumn<QString>("atWork");
    QTest::addColumn<bool>("assisted");
    QTest::newRow("nothing at work") << u""_qs << false;
    QTest::newRow("bus running, accessibility off") << u"bus"_qs << false;
    QTest::newRow("desktop accessibility on") << u"bus IsEnabled"_qs << true;
    QTest::newRow("screen reader running") << u"bus ScreenReaderEnabled"_qs << true;
    QTest::newRow("Qt's switch alone") << u"qt"_qs << true;
}

void WebAccessibilityTest::assistedWhen() {
    QFETCH(QString, atWork);
    QFETCH(bool, assisted);
    if (atWork == u"qt") {
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    } else if (atWork.startsWith(u"bus")) {
        status_.isEnabled = atWork.contains(u"IsEnabled");
        status_.screenReaderEnabled = atWork.contains(u"ScreenReaderEnabled");
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
