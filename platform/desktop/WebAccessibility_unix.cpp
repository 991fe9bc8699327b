#include "platform/desktop/WebAccessibility.h"

#include <QAccessible>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QtGlobal>

namespace tarnel {

namespace {

const QString kBusService = QStringLiteral("org.a11y.Bus");
const QString kBusPath = QStringLiteral("/org/a11y/bus");
const QString kStatusInterface = QStringLiteral("org.a11y.Status");
// A start-up waits for this at worst, and only on a desktop whose bus does not answer.
constexpr int kAnswerWaitMs = 300;

bool StatusProperty(const QDBusConnection& bus, const QString& name) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kBusService, kBusPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kStatusInterface << name;
    // Never activated for this question: a desktop without the bus running has no reader on it.
    get.setAutoStartService(false);
    const QDBusMessage reply = bus.call(get, QDBus::Block, kAnswerWaitMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return false;
    }
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

} // namespace

bool AssistiveTechnologyActive() {
    if (qEnvironmentVariableIntValue("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") != 0 ||
        QAccessible::isActive()) {
        return true;
    }
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(kBusService).value()) {
        return false;
    }
    return StatusProperty(bus, QStringLiteral("ScreenReaderEnabled")) ||
           StatusProperty(bus, QStringLiteral("IsEnabled"));
}

void ExposeWebPagesWhenAssisted() {
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY") &&
        AssistiveTechnologyActive()) {
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    }
}

} // namespace tarnel
