#include "geocoding/FrenchAddressRule.h"

#include "geocoding/AddressWords.h"

#include <QList>
#include <algorithm>

namespace tarnel {

namespace {

constexpr int kHouseLevel = 4;
constexpr int kStreetLevel = 2;

QString Member(const QJsonObject& properties, const char* name) {
    return properties.value(QLatin1String(name)).toString();
}

bool SameTown(const QJsonObject& properties, const QString& typedKey) {
    QList<const char*> members{"city", "municipality", "oldcity", "district"};
    if (Member(properties, "type") == u"municipality"_qs) {
        members.append("name"); // a town's own feature is named after it
    }
    return std::any_of(members.cbegin(), members.cend(), [&](const char* member) {
        const QString value = Member(properties, member);
        return !value.isEmpty() && TownKey(value) == typedKey;
    });
}

// "75" of "75, Paris, Île-de-France"; from the INSEE code when there is no context.
QString DepartementOf(const QJsonObject& properties) {
    const QString context = Member(properties, "context").section(u',', 0, 0).trimmed();
    if (!context.isEmpty()) {
        return context;
    }
    const QString citycode = Member(properties, "citycode");
    return citycode.left(citycode.startsWith(u"97"_qs) ? 3 : 2);
}

// "12" of the base's "12bis" or "12 B"; numbers are compared as numbers ("08" is 8).
QString LeadingDigits(const QString& housenumber) {
    qsizetype end = 0;
    while (end < housenumber.size() && housenumber.at(end).isDigit()) {
        ++end;
    }
    return housenumber.left(end);
}

QString StreetOf(const QJsonObject& properties) {
    const QString street = Member(properties, "street");
    return street.isEmpty() ? WithoutHouseNumber(Member(properties, "name")) : street;
}

} // namespace

FeatureFit FitFeature(const QJsonObject& properties, const AddressQuery& typed) {
    if (!typed.town.isEmpty() && !SameTown(properties, TownKey(typed.town))) {
        return {};
    }
    const QString postcode = Member(properties, "postcode");
    const bool town = Member(properties, "type") == u"municipality"_qs;
    const bool sameCode = !typed.postcode.isEmpty() && postcode == typed.postcode;
    if (!sameCode && !typed.departement.isEmpty()) {
        // Another code: the same département, the town typed when the feature has a code, and
        // never another arrondissement ("Paris 18e Arrondissement" for 75017).
        const bool otherCode = !typed.postcode.isEmpty() && !postcode.isEmpty();
        const auto namesPart = [](const QString& name) {
            return TownKey(name) != FoldedWords(name).join(u' ');
        };
        const bool arrondissement = town && (namesPart(Member(properties, "city")) ||
                                             namesPart(Member(properties, "name")));
        if (DepartementOf(properties) != typed.departement ||
            (otherCode && (typed.town.isEmpty() || arrondissement))) {
            return {};
        }
    }
    int level = 0;
    if (typed.street.isEmpty() || town) {
        if (!typed.street.isEmpty() || !town) {
            return {};
        }
    } else {
        if (!SameStreet(ReadStreetName(WithoutHouseNumber(typed.street)),
                        ReadStreetName(StreetOf(properties)))) {
            return {};
        }
        level = kStreetLevel;
        const QString number = LeadingHouseNumber(typed.street);
        if (!number.isEmpty() && Member(properties, "type") == u"housenumber"_qs) {
            if (LeadingDigits(Member(properties, "housenumber")).toInt() != number.toInt()) {
                return {};
            }
            level = kHouseLevel;
        }
    }
    return {true, level + (sameCode ? 1 : 0)};
}

} // namespace tarnel
