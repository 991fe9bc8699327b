#include "core/MapQuery.h"

namespace tarnel {

QString MapServiceBaseUrl(const QString& host) {
    return QStringLiteral("http://") + host + QStringLiteral("/maps?q=");
}

QString QueryValueText(const QString& typed) {
    QString text;
    text.reserve(typed.size());
    for (const QChar c : typed) {
        switch (c.unicode()) {
        case u'#':
            text += QLatin1String("%23");
            break;
        case u'&':
            text += QLatin1String("%26");
            break;
        case u'?':
            text += QLatin1String("%3F");
            break;
        default:
            text += c;
            break;
        }
    }
    return text;
}

QString AddressQueryUrl(const QString& baseUrl, const QString& street, const QString& city,
                        const QString& state, const QString& zipCode) {
    QString url = baseUrl;
    for (const QString* part : {&street, &city, &state}) {
        if (!part->isEmpty()) {
            url += QueryValueText(*part) + QStringLiteral(",+");
        }
    }
    if (!zipCode.isEmpty()) {
        url += QueryValueText(zipCode);
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
    return baseUrl + QueryValueText(latitude) + QStringLiteral("%2C") + QueryValueText(longitude);
}

QString CoordinateSavedValue(const QString& latitude, const QString& longitude) {
    return latitude + u',' + longitude;
}

} // namespace tarnel
