// Fuzz target of the map page (MapPageHtml), whose heading repeats a query any local client
// can send, and which the program's coordinate extraction reads.
//
// Checked on every input, besides no crash and no sanitizer report:
// - the query plants no markup: the page holds exactly as many "<", ">" and double quotes as
//   the page for a plain query, so nothing the query holds can open or close a script;
// - the page data (the JSON the map's script reads) parses and gives the query back whole;
// - the query plants no coordinates: without a place, the extraction finds nothing; with one
//   off the zero lines (the extraction takes 0 for nothing), it finds that place's;
// - the page is valid UTF-8.

#include "core/Geocoding.h"
#include "core/NumberRules.h"
#include "fuzz/FuzzSupport.h"
#include "mapservice/MapPage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <cmath>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool withPlace = input.ConsumeBool();
    const Place place{input.ConsumeFloatingPointInRange(-90.0, 90.0),
                      input.ConsumeFloatingPointInRange(-180.0, 180.0)};
    const std::string source = input.ConsumeRandomLengthString(64);
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QString query = QString::fromUtf8(rest.data(), static_cast<qsizetype>(rest.size()));
    const std::optional<Place> shown = withPlace ? std::optional<Place>(place) : std::nullopt;
    const QString sourceName = QString::fromUtf8(source.data(), qsizetype(source.size()));

    const QByteArray page = MapPageHtml({.query = query, .place = shown, .source = sourceName});
    const QByteArray plain =
        MapPageHtml({.query = query.trimmed().isEmpty() ? QString() : QStringLiteral("x"),
                     .place = shown,
                     .source = sourceName});
    for (const char markup : {'<', '>', '"'}) {
        Require(page.count(markup) == plain.count(markup), "the query plants no markup",
                Shown(query));
    }
    const QByteArray opening = "<script type=\"application/json\" id=\"tarnel-place\">";
    const qsizetype start = page.indexOf(opening) + opening.size();
    const QJsonDocument pageData =
        QJsonDocument::fromJson(page.mid(start, page.indexOf("</script>", start) - start));
    Require(pageData.object().value(QStringLiteral("query")).toString() == query,
            "the page data gives the query back", Shown(query));

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8.decode(page);
    Require(!utf8.hasError(), "the page is UTF-8", Shown(query));

    const std::optional<ExtractedCoordinates> found = ExtractCoordinates(page);
    Require(withPlace || !found, "no coordinates without a place", Shown(query));
    const bool offZero = std::abs(place.latitude) >= 1e-6 && std::abs(place.longitude) >= 1e-6;
    if (withPlace && offZero) {
        Require(found && std::abs(ReadNumber(found->latitude) - place.latitude) < 1e-6 &&
                    std::abs(ReadNumber(found->longitude) - place.longitude) < 1e-6,
                "the coordinates found are the place's", Shown(query));
    }
    return 0;
}
