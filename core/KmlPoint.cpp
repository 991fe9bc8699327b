#include "core/KmlPoint.h"

#include "core/ExportText.h"

#include <QXmlStreamWriter>

namespace tarnel {

QByteArray KmlPointFile(const PlacedPoint& point) {
    const QString ns = QStringLiteral("http://www.opengis.net/kml/2.2");
    const QString name = ExportSafeText(point.name);
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(ns);
    xml.writeStartElement(ns, QStringLiteral("kml"));
    xml.writeStartElement(ns, QStringLiteral("Document"));
    xml.writeTextElement(ns, QStringLiteral("name"), name);
    xml.writeStartElement(ns, QStringLiteral("Placemark"));
    xml.writeTextElement(ns, QStringLiteral("name"), name);
    xml.writeStartElement(ns, QStringLiteral("Point"));
    // KML puts the longitude first, without blanks around the comma.
    QString coordinates =
        DecimalDegreesText(point.longitude) + u',' + DecimalDegreesText(point.latitude);
    // The altitude, when known, third; KML then takes it as the ground's (clampToGround).
    if (point.altitude)
        coordinates += u',' + DecimalDegreesText(*point.altitude);
    xml.writeTextElement(ns, QStringLiteral("coordinates"), coordinates);
    xml.writeEndDocument();
    return bytes;
}

} // namespace tarnel
