#include "platform/desktop/MapBridge.h"

#include <QRegularExpression>
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

} // namespace tarnel
