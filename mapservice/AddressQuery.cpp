#include "mapservice/AddressQuery.h"

#include <QRegularExpression>
#include <algorithm>

namespace tarnel {

namespace {

// Positions of the parts when all four are sent.
constexpr qsizetype FullPartCount = 4;
constexpr qsizetype CountryIndex = 2;
constexpr qsizetype ZipIndex = 3;

bool IsFrance(const QString& part) {
    return part.compare(QLatin1String("france"), Qt::CaseInsensitive) == 0;
}

bool IsFrenchZip(const QString& part) {
    static const QRegularExpression zip(QStringLiteral("^\\d{5}$"));
    return zip.match(part).hasMatch();
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
    } else if (all.size() == FullPartCount) {
        if (all.at(CountryIndex).isEmpty() && IsFrenchZip(all.at(ZipIndex))) {
            query.region = AddressQuery::Region::France;
        }
    } else if (std::any_of(all.cbegin(), all.cend(), IsFrenchZip)) {
        query.region = AddressQuery::Region::LikelyFrance;
    }
    return query;
}

} // namespace tarnel
