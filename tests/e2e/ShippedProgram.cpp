#include "ShippedProgram.h"

#include "XdoTool.h"

#include <httplib.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace tarnel::testing {

namespace {

const QString kProgram = QStringLiteral(TARNEL_SHIPPED_PROGRAM);
// The browser's remote-debugging port; the stand-in's port, which these runs do not use.
constexpr int kDebugPort = TARNEL_E2E_PORT;
// The browser starts slowly on a busy machine.
constexpr int kFirstPageMs = 90000;

} // namespace

ShippedProgram::~ShippedProgram() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

QString ShippedProgram::Start(const QString& franceUrl, const QString& worldUrl) {
    if (!QFile::exists(kProgram))
        return QStringLiteral("no program at %1").arg(kProgram);
    if (!home_.isValid())
        return QStringLiteral("no temporary folder");
    // The program keeps its last position next to itself: run a copy in a folder of our own.
    const QString copy = home_.filePath(QStringLiteral("tarnel"));
    if (!QFile::copy(kProgram, copy) || !QFile::setPermissions(copy, QFile::permissions(kProgram)))
        return QStringLiteral("could not copy the program");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home_.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home_.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("TARNEL_GEOCODER_FRANCE_URL"), franceUrl);
    environment.insert(QStringLiteral("TARNEL_GEOCODER_WORLD_URL"), worldUrl);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QTWEBENGINE_REMOTE_DEBUGGING"),
                       QStringLiteral("127.0.0.1:%1").arg(kDebugPort));
    // Everything but the loopback address goes to a proxy that is not there: the embedded map
    // cannot load, as offline.
    environment.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                       QStringLiteral("--disable-gpu --disable-background-networking "
                                      "--proxy-server=http://127.0.0.1:1"));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(copy, {});
    return process_.waitForStarted() ? QString() : process_.errorString();
}

ShownPage ShippedProgram::MapViewPage() {
    httplib::Client client("127.0.0.1", kDebugPort);
    client.set_connection_timeout(2, 0);
    const auto result = client.Get("/json/list");
    if (!result || result->status != 200)
        return {};
    for (const QJsonValue& value :
         QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).array()) {
        const QJsonObject target = value.toObject();
        const QString url = target.value(QLatin1String("url")).toString();
        if (target.value(QLatin1String("type")).toString() == QLatin1String("page") &&
            url.contains(QLatin1String("/maps?q=")))
            return {url, target.value(QLatin1String("title")).toString()};
    }
    return {};
}

bool ShippedProgram::FocusMainWindow() {
    const QDeadlineTimer deadline(kFirstPageMs);
    while (MapViewPage().url.isEmpty()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(200);
    }
    const QString window = Xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                                    QStringLiteral("--name"), QStringLiteral("^Tarnel - v")});
    if (window.isEmpty())
        return false;
    // windowfocus prints nothing either way; a focus that failed shows in what is typed next.
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"),
             window.split(QLatin1Char('\n')).first()});
    return true;
}

} // namespace tarnel::testing
