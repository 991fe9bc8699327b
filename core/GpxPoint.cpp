#include "core/GpxPoint.h"

#include "core/ExportText.h"
#include "core/ProgramInfo.h"

#include <QXmlStreamWriter>

namespace tarnel {

QByteArray GpxWaypointsFile(const QList<PlacedPoint>& points) {
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
    for (const PlacedPoint& point : points) {
        xml.writeStartElement(ns, QStringLiteral("wpt"));
        xml.writeAttribute(QStringLiteral("lat"), DecimalDegreesText(point.latitude));
        xml.writeAttribute(QStringLiteral("lon"), DecimalDegreesText(point.longitude));
        if (point.altitude)
            xml.writeTextElement(ns, QStringLiteral("ele"), DecimalDegreesText(*point.altitude));
        if (point.time.isValid())
            xml.writeTextElement(ns, QStringLiteral("time"),
                                 point.time.toUTC().toString(Qt::ISODate));
        xml.writeTextElement(ns, QStringLiteral("name"), ExportSafeText(point.name));
        if (!point.description.isEmpty())
            xml.writeTextElement(ns, QStringLiteral("desc"), ExportSafeText(point.description));
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return bytes;
}

QByteArray GpxPointFile(const PlacedPoint& point) {
    return GpxWaypointsFile({point});
}

} // namespace tarnel
