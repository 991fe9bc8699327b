#include "core/KmlPoint.h"

#include "core/ExportText.h"

#include <QXmlStreamWriter>

namespace tarnel {

QByteArray KmlPlacemarksFile(const QString& documentName, const QList<PlacedPoint>& points) {
    const QString ns = QStringLiteral("http://www.opengis.net/kml/2.2");
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(ns);
    xml.writeStartElement(ns, QStringLiteral("kml"));
    xml.writeStartElement(ns, QStringLiteral("Document"));
    xml.writeTextElement(ns, QStringLiteral("name"), ExportSafeText(documentName));
    for (const PlacedPoint& point : points) {
        xml.writeStartElement(ns, QStringLiteral("Placemark"));
        xml.writeTextElement(ns, QStringLiteral("name"), ExportSafeText(point.name));
        if (!point.description.isEmpty())
            xml.writeTextElement(ns, QStringLiteral("description"),
                                 ExportSafeText(point.description));
        if (point.time.isValid()) {
            xml.writeStartElement(ns, QStringLiteral("TimeStamp"));
            xml.writeTextElement(ns, QStringLiteral("when"),
                                 point.time.toUTC().toString(Qt::ISODate));
            xml.writeEndElement();
        }
        xml.writeStartElement(ns, QStringLiteral("Point"));
        // KML puts the longitude first, without blanks around the commas.
        QString coordinates =
            DecimalDegreesText(point.longitude) + u',' + DecimalDegreesText(point.latitude);
        if (point.altitude)
            coordinates += u',' + DecimalDegreesText(*point.altitude);
        xml.writeTextElement(ns, QStringLiteral("coordinates"), coordinates);
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return bytes;
}

QByteArray KmlPointFile(const PlacedPoint& point) {
    return KmlPlacemarksFile(point.name, {point});
}

} // namespace tarnel
