#include "core/GpxPoint.h"

#include "core/ExportText.h"
#include "core/ProgramInfo.h"

#include <QXmlStreamWriter>

namespace tarnel {

QByteArray GpxPointFile(const PlacedPoint& point) {
    const QString ns = QStringLiteral("http://www.topografix.com/GPX/1/1");
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(ns);
    xml.writeStartElement(ns, QStringLiteral("gpx"));
    // Both required by the schema; "creator" names the program that wrote the file.
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), kProgramTitle + u' ' + kVersionText);
    xml.writeStartElement(ns, QStringLiteral("wpt"));
    xml.writeAttribute(QStringLiteral("lat"), DecimalDegreesText(point.latitude));
    xml.writeAttribute(QStringLiteral("lon"), DecimalDegreesText(point.longitude));
    // The schema puts "ele" first among the waypoint's elements.
    if (point.altitude)
        xml.writeTextElement(ns, QStringLiteral("ele"), DecimalDegreesText(*point.altitude));
    xml.writeTextElement(ns, QStringLiteral("name"), ExportSafeText(point.name));
    xml.writeEndDocument();
    return bytes;
}

} // namespace tarnel
