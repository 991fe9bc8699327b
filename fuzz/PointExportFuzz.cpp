// Fuzz target of the point export formats (PointFileBytes, ReadPlacedPoint, ExportSafeText).
//
// The six boxes of the address window come from the input, the street either through
// windows-1252 or as raw UTF-16 (lone surrogates and characters beyond U+00FF included).
// Checked on every input, besides no crash and no sanitizer report:
// - Generic.ASC is always written, and is GenericAscFileBytes of the boxes;
// - GPX, KML and GeoJSON are either all written or all refused; refused, with the one French
//   sentence of ReadPlacedPoint, which names the latitude or the longitude box;
// - written, the point lies on Earth: latitude in [-90, 90], longitude in [-180, 180);
// - the cleaned name, ExportSafeText of the point's name, holds no control character, U+FEFF,
//   noncharacter or lone surrogate, and cleaning it again changes nothing;
// - the GPX and KML files are well-formed XML; the GPX waypoint's lat/lon and the KML
//   coordinates read back as exactly the point's numbers, and every name as the cleaned name;
// - the GeoJSON file parses, its coordinates are exactly [longitude, latitude] and its name
//   reads back as the cleaned name, the same text as in the XML files.

#include "core/ExportText.h"
#include "core/PlacedPoint.h"
#include "core/PointExport.h"
#include "fuzz/FuzzSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::ConsumeText;
using tarnel::fuzz::ConsumeUtf16;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

namespace {

struct XmlPoint {
    QString latitude;
    QString longitude;
    QString coordinates;
    QStringList names;
};

// The attributes and texts the checks compare; nothing when the XML is not well-formed.
std::optional<XmlPoint> ReadXml(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    XmlPoint point;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == u"wpt") {
            point.latitude = xml.attributes().value(QLatin1String("lat")).toString();
            point.longitude = xml.attributes().value(QLatin1String("lon")).toString();
        } else if (xml.name() == u"name") {
            point.names.append(xml.readElementText());
        } else if (xml.name() == u"coordinates") {
            point.coordinates = xml.readElementText();
        }
    }
    if (xml.hasError()) {
        return std::nullopt;
    }
    return point;
}

bool Exactly(const QString& text, double value) {
    bool ok = false;
    return text.toDouble(&ok) == value && ok;
}

// What ExportSafeText leaves out or blanks, besides lone surrogates.
bool Unwanted(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xFEFF || (c >= 0xFDD0 && c <= 0xFDEF) ||
           (c & 0xFFFE) == 0xFFFE;
}

void CheckName(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i], name[i + 1]);
            ++i;
        }
        Require(!QChar::isSurrogate(c) && !Unwanted(c), "nothing unwanted in the cleaned name",
                Shown(name));
    }
    Require(ExportSafeText(name) == name, "cleaning the name again changes nothing", Shown(name));
}

void CheckXml(const QByteArray& bytes, const QString& name, const PlacedPoint& point, bool gpx) {
    const QString shown = Shown(QString::fromUtf8(bytes));
    const std::optional<XmlPoint> read = ReadXml(bytes);
    Require(read.has_value(), "the XML file is well-formed", shown);
    Require(!read->names.isEmpty(), "the point has a name", shown);
    for (const QString& each : read->names) {
        Require(each == name, "the name reads back as the cleaned name", shown);
    }
    if (gpx) {
        Require(Exactly(read->latitude, point.latitude) &&
                    Exactly(read->longitude, point.longitude),
                "the waypoint's lat and lon read back exactly", shown);
    } else {
        const QStringList parts = read->coordinates.split(u',');
        Require(parts.size() == 2 && Exactly(parts[0], point.longitude) &&
                    Exactly(parts[1], point.latitude),
                "the KML coordinates read back exactly, longitude first", shown);
    }
}

void CheckGeoJson(const QByteArray& bytes, const QString& name, const PlacedPoint& point) {
    const QString shown = Shown(QString::fromUtf8(bytes));
    QJsonParseError error;
    const QJsonObject feature =
        QJsonDocument::fromJson(bytes, &error).object()[u"features"][0].toObject();
    const QJsonArray position = feature[u"geometry"][u"coordinates"].toArray();
    Require(error.error == QJsonParseError::NoError, "the GeoJSON file parses", shown);
    Require(position.size() == 2 && position[0].toDouble() == point.longitude &&
                position[1].toDouble() == point.latitude,
            "the coordinates read back exactly, longitude first", shown);
    Require(feature[u"properties"][u"name"].toString() == name,
            "the name reads back as the cleaned name", shown);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool utf16 = size > 0 && (data[size - 1] & 1) != 0;
    ExportedPoint boxes;
    boxes.longitude = ConsumeText(input);
    boxes.latitude = ConsumeText(input);
    boxes.street = utf16 ? ConsumeUtf16(input) : ConsumeText(input);
    boxes.zipCode = ConsumeText(input);
    boxes.city = ConsumeText(input);
    boxes.state = ConsumeText(input);
    const QString shown = Shown(boxes.latitude + u'|' + boxes.longitude);

    const ExportFile asc = PointFileBytes(ExportFormat::GenericAsc, boxes);
    Require(asc.bytes == GenericAscFileBytes(boxes), "Generic.ASC is written as ever", shown);

    const PlacedPointReading reading = ReadPlacedPoint(boxes);
    const ExportFile gpx = PointFileBytes(ExportFormat::Gpx, boxes);
    const ExportFile kml = PointFileBytes(ExportFormat::Kml, boxes);
    const ExportFile geoJson = PointFileBytes(ExportFormat::GeoJson, boxes);
    if (!reading.point) {
        Require(!gpx.bytes && !kml.bytes && !geoJson.bytes, "all refused together", shown);
        Require(gpx.problem == reading.problem && kml.problem == reading.problem &&
                    geoJson.problem == reading.problem,
                "refused with the reading's sentence", shown);
        Require(reading.problem.startsWith(QStringLiteral("La latitude « ")) ||
                    reading.problem.startsWith(QStringLiteral("La longitude « ")),
                "the sentence names the box", reading.problem);
        return 0;
    }
    const PlacedPoint& point = *reading.point;
    Require(gpx.bytes && kml.bytes && geoJson.bytes, "all written together", shown);
    Require(point.latitude >= -90 && point.latitude <= 90 && point.longitude >= -180 &&
                point.longitude < 180,
            "the point lies on Earth", shown);
    const QString name = ExportSafeText(point.name);
    CheckName(name);
    CheckXml(*gpx.bytes, name, point, true);
    CheckXml(*kml.bytes, name, point, false);
    CheckGeoJson(*geoJson.bytes, name, point);
    return 0;
}
