#include "mapservice/StaticFiles.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtGlobal>

// Resources of a static library register only when asked to, from the global namespace.
static void RegisterPageResources() {
    Q_INIT_RESOURCE(page);
}

namespace tarnel {

namespace {

constexpr auto kPageFolder = ":/page/";

QByteArray TypeOf(const QString& name) {
    if (name.endsWith(QLatin1String(".js"))) {
        return "text/javascript; charset=utf-8";
    }
    if (name.endsWith(QLatin1String(".css"))) {
        return "text/css; charset=utf-8";
    }
    if (name.endsWith(QLatin1String(".png"))) {
        return "image/png";
    }
    return {};
}

// A plain file name, or one in "images/": nothing that climbs out of the folder.
bool Servable(const QString& name) {
    static const QRegularExpression allowed(
        QStringLiteral(R"(^(images/)?[A-Za-z0-9][A-Za-z0-9_-]*(\.[A-Za-z0-9]+)+$)"));
    return allowed.match(name).hasMatch() && !TypeOf(name).isEmpty();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

// Whether the Accept-Encoding header lists `coding` without refusing it (q=0).
bool Accepts(const QByteArray& acceptEncoding, const QByteArray& coding) {
    for (const QByteArray& item : acceptEncoding.split(',')) {
        const QList<QByteArray> parts = item.split(';');
        if (parts.first().trimmed().toLower() != coding) {
            continue;
        }
        for (const QByteArray& parameter : parts.mid(1)) {
            const QByteArray text = parameter.trimmed().toLower();
            if (text.startsWith("q=") && text.mid(2).toDouble() <= 0) {
                return false;
            }
        }
        return true;
    }
    return false;
}

QByteArray Tag(const QByteArray& body) {
    return '"' + QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex().left(16) + '"';
}

} // namespace

StaticFile PageFile(const QString& name) {
    RegisterPageResources();
    if (!Servable(name) || name.contains(u'/')) {
        return {};
    }
    const QByteArray body = ReadAll(QLatin1String(kPageFolder) + name);
    if (body.isEmpty()) {
        return {};
    }
    return {.status = 200,
            .body = body,
            .type = TypeOf(name),
            .cacheControl = "no-cache",
            .etag = Tag(body)};
}

StaticFile LeafletFile(const QString& name, const QByteArray& acceptEncoding,
                       const QString& folder) {
    if (!Servable(name)) {
        return {};
    }
    const QString path = QDir(folder).filePath(name);
    StaticFile file{
        .status = 200, .type = TypeOf(name), .cacheControl = "public, max-age=31536000, immutable"};
    if (!name.endsWith(QLatin1String(".png"))) {
        // Debian names its Brotli files ".brotli", not ".br".
        for (const auto& [coding, suffix] :
             {std::pair{QByteArray("br"), ".brotli"}, std::pair{QByteArray("gzip"), ".gz"}}) {
            if (Accepts(acceptEncoding, coding) &&
                QFileInfo(path + QLatin1String(suffix)).isFile()) {
                file.body = ReadAll(path + QLatin1String(suffix));
                if (!file.body.isEmpty()) {
                    file.encoding = coding;
                    file.etag = Tag(file.body);
                    return file;
                }
            }
        }
    }
    file.body = ReadAll(path);
    file.etag = Tag(file.body);
    return file.body.isEmpty() ? StaticFile{} : file;
}

QString LeafletVersionTag(const QString& folder) {
    const QFileInfo script(QDir(folder).filePath(QStringLiteral("leaflet.min.js")));
    if (!script.isFile()) {
        return {};
    }
    // The marker clusters come in a package of their own, upgraded apart from Leaflet.
    QByteArray stamp;
    for (const QFileInfo& file :
         {script,
          QFileInfo(QDir(folder).filePath(QStringLiteral("leaflet.markercluster.min.js")))}) {
        stamp += QByteArray::number(file.size()) + '-' +
                 QByteArray::number(file.lastModified().toSecsSinceEpoch()) + ';';
    }
    return QString::fromLatin1(
        QCryptographicHash::hash(stamp, QCryptographicHash::Sha1).toHex().left(12));
}

QString PageTemplate() {
    // Compiled in, so read once; every page of the run is filled from it.
    static const QString kTemplate = [] {
        RegisterPageResources();
        return QString::fromUtf8(ReadAll(QLatin1String(kPageFolder) + QLatin1String("map.html")));
    }();
    return kTemplate;
}

} // namespace tarnel
