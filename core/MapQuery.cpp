#include "core/MapQuery.h"

namespace tarnel {

QString MapServiceBaseUrl(const QString& host) {
    return QStringLiteral("http://") + host + QStringLiteral("/maps?q=");
}

QString AddressQueryUrl(const QString& baseUrl, const QString& street, const QString& city,
                        const QString& state, const QString& zipCode) {
    QString url = baseUrl;
    for (const QString* part : {&street, &city, &state}) {
        if (!part->isEmpty()) {
            url += *part + QStringLiteral(",+");
        }
    }
    if (!zipCode.isEmpty()) {
        url += zipCode;
    }
    return url;
}

QString AddressSavedValue(const QString& street, const QString& city, const QString& state,
                          const QString& zipCode) {
    return street + QStringLiteral(",+") + city + QStringLiteral(",+") + state +
           QStringLiteral(",+") + zipCode;
}

QString CoordinateQueryUrl(const QString& baseUrl, const QString& latitude,
                           const QString& longitude) {
    return baseUrl + latitude + QStringLiteral("%2C") + longitude;
}

QString CoordinateSavedValue(const QString& latitude, const QString& longitude) {
    return latitude + u',' + longitude;
}

} // namespace tarnel
