// Fuzz target of the map service's reading of a request target (MapQueryValue,
// DecodeQueryValue), the bytes any local client can send.
//
// Checked on every input, besides no crash and no sanitizer report:
// - MapQueryValue gives a tail of the target, empty unless the target holds "?q=";
// - the decoded text never holds more characters than the raw value has bytes;
// - a value without "%" or "+" that is valid UTF-8 decodes to itself;
// - any text, percent-encoded whole as a browser would, decodes back to itself, and so does its
//   windows-1252 form for a text the code page can hold (the page fetch's escapes).

#include "core/Windows1252.h"
#include "fuzz/FuzzSupport.h"
#include "mapservice/QueryText.h"

#include <QStringDecoder>
#include <QUrl>
#include <cstdint>
#include <string_view>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view target(reinterpret_cast<const char*>(data), size);

    const std::string_view value = MapQueryValue(target);
    Require(value.empty() || target.ends_with(value), "the query value is a tail of the target");
    Require(value.empty() || target.find("?q=") != std::string_view::npos,
            "a query value comes only after \"?q=\"");

    const QString decoded = DecodeQueryValue(target);
    Require(decoded.size() <= static_cast<qsizetype>(target.size()),
            "decoding never lengthens the text", Shown(decoded));

    const QByteArray bytes(target.data(), static_cast<qsizetype>(target.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError() && !bytes.contains('%') && !bytes.contains('+')) {
        Require(decoded == asUtf8, "plain UTF-8 decodes to itself", Shown(decoded));
    }

    QString text = utf8.hasError() ? FromWindows1252(bytes) : asUtf8;
    // A leading byte-order mark is dropped by the UTF-8 reading, as by any browser.
    while (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    const QByteArray escaped = QUrl::toPercentEncoding(text);
    const QString back = DecodeQueryValue(
        std::string_view(escaped.constData(), static_cast<std::size_t>(escaped.size())));
    Require(back == text, "a percent-encoded text decodes back to itself",
            Shown(text) + QStringLiteral(" came back as ") + Shown(back));

    const QByteArray codePage = ToWindows1252(text);
    if (FromWindows1252(codePage) == text) {
        const QByteArray escaped1252 = codePage.toPercentEncoding();
        const QString back1252 = DecodeQueryValue(std::string_view(
            escaped1252.constData(), static_cast<std::size_t>(escaped1252.size())));
        // Windows-1252 bytes that happen to form UTF-8 are read as UTF-8, as a browser would.
        QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString asUtf8Too = strict.decode(codePage);
        Require(back1252 == (strict.hasError() ? text : asUtf8Too),
                "windows-1252 escapes decode back to the text", Shown(back1252));
    }
    return 0;
}
