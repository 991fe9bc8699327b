// Fuzz target of the Generic.ASC export line (GenericAscLine, GenericAscFileBytes).
//
// Checked on every input, besides no crash and no sanitizer report, for six fields taken from
// the input either through windows-1252 or as raw UTF-16 (characters the code page cannot hold
// then become "?"):
// - the file ends with CR LF, and holds exactly one CR and one LF more than the fields do
//   (exactly one of each when the fields have none);
// - it starts with the windows-1252 bytes of the longitude;
// - its length is the sum of the field lengths in characters (a surrogate pair is one
//   character and becomes one "?") + 10: the constant separators "," and ", ", the
//   two double quotes and three blanks (8) and CR LF (2); the 64-byte worked example
//   (12 + 12 + 14 + 5 + 5 + 6 = 54 characters of fields) is checked at start;
// - it is, byte for byte, longitude "," latitude ", " quote street blank zip blank city blank
//   state quote CR LF, nothing trimmed or escaped, and GenericAscLine is the same text;
// - with windows-1252 fields the bytes decode back to GenericAscLine and CR LF.

#include "core/GenericAsc.h"
#include "fuzz/FuzzSupport.h"

#include <QList>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::ConsumeText;
using tarnel::fuzz::ConsumeUtf16;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

namespace {

// Characters, a surrogate pair counting as one: each becomes one byte.
qsizetype Length(const QString& text) {
    return text.toUcs4().size();
}

qsizetype FieldLengths(const ExportedPoint& point) {
    return Length(point.longitude) + Length(point.latitude) + Length(point.street) +
           Length(point.zipCode) + Length(point.city) + Length(point.state);
}

qsizetype FieldCount(const ExportedPoint& point, QChar c) {
    return point.longitude.count(c) + point.latitude.count(c) + point.street.count(c) +
           point.zipCode.count(c) + point.city.count(c) + point.state.count(c);
}

QByteArray Expected(const ExportedPoint& p) {
    return ToWindows1252(p.longitude) + ',' + ToWindows1252(p.latitude) + ", \"" +
           ToWindows1252(p.street) + ' ' + ToWindows1252(p.zipCode) + ' ' + ToWindows1252(p.city) +
           ' ' + ToWindows1252(p.state) + "\"\r\n";
}

void CheckWorkedExample() {
    const ExportedPoint example{QStringLiteral("2.3522000000"),   QStringLiteral("48.856614000"),
                                QStringLiteral("Rue de la cité"), QStringLiteral("75004"),
                                QStringLiteral("PARIS"),          QStringLiteral("FRANCE")};
    const QByteArray bytes = GenericAscFileBytes(example);
    Require(bytes.size() == 64 && FieldLengths(example) + 10 == 64 &&
                bytes == "2.3522000000,48.856614000, \"Rue de la cit\xE9 75004 PARIS FRANCE\"\r\n",
            "the worked example is 64 bytes", FromWindows1252(bytes));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool exampleChecked = (CheckWorkedExample(), true);
    Q_UNUSED(exampleChecked);

    FuzzedDataProvider input(data, size);
    const bool utf16 = size > 0 && (data[size - 1] & 1) != 0;
    if (utf16) {
        input.ConsumeIntegral<std::uint8_t>();
    }
    auto next = [&input, utf16] {
        return utf16 ? ConsumeUtf16(input) : ConsumeText(input);
    };
    ExportedPoint point;
    point.longitude = next();
    point.latitude = next();
    point.street = next();
    point.zipCode = next();
    point.city = next();
    point.state = next();

    const QByteArray bytes = GenericAscFileBytes(point);
    const QString shown = Shown(FromWindows1252(bytes));
    Require(bytes.endsWith("\r\n"), "the file ends with CR LF", shown);
    Require(bytes.count('\r') == FieldCount(point, u'\r') + 1 &&
                bytes.count('\n') == FieldCount(point, u'\n') + 1,
            "one CR and one LF beyond those of the fields", shown);
    Require(bytes.startsWith(ToWindows1252(point.longitude)), "the file starts with the longitude",
            shown);
    Require(bytes.size() == FieldLengths(point) + 10, "the fields and 10 constant bytes", shown);
    Require(bytes == Expected(point), "the fields in order with their separators", shown);
    Require(ToWindows1252(GenericAscLine(point)) + "\r\n" == bytes, "the line is the file's text",
            shown);
    if (!utf16) {
        Require(FromWindows1252(bytes) == GenericAscLine(point) + QStringLiteral("\r\n"),
                "windows-1252 fields come back unchanged", shown);
    }
    return 0;
}
