#include "platform/desktop/MapBridge.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <utility>

namespace tarnel {

namespace {

// The longest address part taken: far beyond any real one, short enough for a text box.
constexpr qsizetype kLongestPart = 200;

bool IsDecimalWithin(const QString& text, double bound) {
    static const QRegularExpression kDecimal(QStringLiteral("^-?\\d{1,3}(\\.\\d{1,15})?$"));
    return kDecimal.match(text).hasMatch() && std::abs(text.toDouble()) <= bound;
}

QString Part(const QString& text) {
    return text.simplified().left(kLongestPart);
}

QString PointsJson(const QList<FilePoint>& points) {
    QJsonArray array;
    for (const FilePoint& point : points)
        array.append(QJsonObject{{QStringLiteral("line"), point.line},
                                 {QStringLiteral("lat"), point.latitude},
                                 {QStringLiteral("lng"), point.longitude},
                                 {QStringLiteral("label"), point.label},
                                 {QStringLiteral("status"), point.status}});
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

} // namespace

MapBridge::MapBridge(std::function<bool()> trusted, QObject* parent)
    : QObject(parent)
    , trusted_(std::move(trusted)) {
}

void MapBridge::TakePoint(const QString& latitude, const QString& longitude, const QString& street,
                          const QString& city, const QString& postcode, const QString& country) {
    if (!trusted_() || !IsDecimalWithin(latitude, 90) || !IsDecimalWithin(longitude, 180)) {
        return;
    }
    emit PointTaken(latitude, longitude, Part(street), Part(city), Part(postcode), Part(country));
}

void MapBridge::ExportPlaces(const QString& format, const QString& ids) {
    static const QRegularExpression kFormat(QStringLiteral("^[a-z0-9-]{1,16}$"));
    static const QRegularExpression kIds(QStringLiteral("^(\\d{1,18}(,\\d{1,18})*)?$"));
    if (!trusted_() || !kFormat.match(format).hasMatch() || !kIds.match(ids).hasMatch())
        return;
    const QStringList parts = ids.split(u',', Qt::SkipEmptyParts);
    if (parts.size() > kMostExportedIds)
        return;
    QList<qint64> chosen;
    chosen.reserve(parts.size());
    for (const QString& part : parts)
        chosen.append(part.toLongLong());
    emit PlacesExportAsked(format, chosen);
}

void MapBridge::OpenAddressFile() {
    if (trusted_())
        emit AddressFileAsked();
}

QString MapBridge::FilePoints() const {
    return trusted_() ? PointsJson(filePoints_) : QStringLiteral("[]");
}

void MapBridge::AddFilePoints(const QList<FilePoint>& points) {
    QList<FilePoint> taken;
    for (const FilePoint& point : points) {
        if (filePoints_.size() + taken.size() >= kMostFilePoints)
            break;
        // Written so that NaN fails too.
        if (!(std::abs(point.latitude) <= 90 && std::abs(point.longitude) <= 180))
            continue;
        taken.append(
            {point.line, point.latitude, point.longitude, Part(point.label), Part(point.status)});
    }
    if (taken.isEmpty())
        return;
    filePoints_.append(taken);
    emit FilePointsAdded(PointsJson(taken));
}

void MapBridge::ClearFilePoints() {
    filePoints_.clear();
    emit FilePointsCleared();
}

} // namespace tarnel
