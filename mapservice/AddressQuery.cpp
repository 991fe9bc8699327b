#include "mapservice/AddressQuery.h"

#include <QRegularExpression>
#include <algorithm>

namespace tarnel {

namespace {

// Positions of the parts when all four are sent.
constexpr qsizetype kFullPartCount = 4;
constexpr qsizetype kCountryIndex = 2;
constexpr qsizetype kZipIndex = 3;

bool IsFrance(const QString& part) {
    return part.compare(QLatin1String("france"), Qt::CaseInsensitive) == 0;
}

bool IsFrenchZip(const QString& part) {
    static const QRegularExpression kZip(QStringLiteral("^\\d{5}$"));
    return kZip.match(part).hasMatch();
}

} // namespace

QString AddressQuery::WorldText() const {
    return parts.join(QLatin1String(", "));
}

QString AddressQuery::FranceText() const {
    QStringList kept = parts;
    kept.removeIf(IsFrance);
    return kept.join(QLatin1String(", "));
}

AddressQuery ParseAddressQuery(const QString& text) {
    QStringList all = text.split(u',');
    for (QString& part : all) {
        part = part.trimmed();
    }
    AddressQuery query;
    query.parts = all;
    query.parts.removeIf([](const QString& part) { return part.isEmpty(); });

    if (std::any_of(all.cbegin(), all.cend(), IsFrance)) {
        query.region = AddressQuery::Region::France;
    } else if (all.size() == kFullPartCount) {
        if (all.at(kCountryIndex).isEmpty() && IsFrenchZip(all.at(kZipIndex))) {
            query.region = AddressQuery::Region::France;
        }
    } else if (std::any_of(all.cbegin(), all.cend(), IsFrenchZip)) {
        query.region = AddressQuery::Region::LikelyFrance;
    }
    return query;
}

} // namespace tarnel
