#include "core/MapQueryPlace.h"

#include <QByteArray>

namespace tarnel {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Decodes "%" and two hexadecimal digits; any other "%" is a character typed as such.
QByteArray DecodeEscapes(const QByteArray& bytes) {
    QByteArray decoded;
    decoded.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '%' && i + 2 < bytes.size()) {
            const int high = HexDigit(bytes[i + 1]);
            const int low = HexDigit(bytes[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded += char(high * 16 + low);
                i += 2;
                continue;
            }
        }
        decoded += bytes[i];
    }
    return decoded;
}

} // namespace

QString MapQueryPlace(const QString& url) {
    // The value runs to the end: the texts go into the URL as typed, so an "&" in an address
    // belongs to the place and starts no other parameter.
    const QLatin1String marker("?q=");
    const qsizetype start = url.indexOf(marker);
    if (start < 0)
        return {};
    QString value = url.mid(start + marker.size());
    value.replace(u'+', u' ');
    return QString::fromUtf8(DecodeEscapes(value.toUtf8()));
}

} // namespace tarnel
