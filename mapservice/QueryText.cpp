#include "mapservice/QueryText.h"

#include "core/Windows1252.h"

#include <QByteArray>
#include <QStringDecoder>

namespace tarnel {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::string_view MapQueryValue(std::string_view target) {
    const auto question = target.find('?');
    if (question == std::string_view::npos) {
        return {};
    }
    const std::string_view query = target.substr(question + 1);
    if (!query.starts_with("q=")) {
        return {};
    }
    return query.substr(2);
}

QString DecodeQueryValue(std::string_view raw) {
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(raw.size()));
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '+') {
            bytes.append(' ');
            continue;
        }
        if (c == '%' && i + 2 < raw.size() && HexValue(raw[i + 1]) >= 0 &&
            HexValue(raw[i + 2]) >= 0) {
            bytes.append(static_cast<char>(HexValue(raw[i + 1]) * 16 + HexValue(raw[i + 2])));
            i += 2;
            continue;
        }
        bytes.append(c);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? FromWindows1252(bytes) : text;
}

} // namespace tarnel
