#include "addressfile/BatchPoints.h"

#include "core/FileReplace.h"
#include "core/PlacedPoint.h"
#include "core/PointExport.h"

#include <QDir>
#include <QFileInfo>
#include <QList>

namespace tarnel {

QString WriteBatchPoints(const QString& path, ExportFormat format, bool altitude,
                         BatchJournal& journal) {
    if (!journal.StartReading()) {
        return journal.Error();
    }
    QList<PlacedPoint> points;
    while (const auto next = journal.NextOutcome()) {
        const auto& [index, outcome] = *next;
        if (outcome.status != RowStatus::Found || !outcome.latitude || !outcome.longitude) {
            continue;
        }
        PlacedPoint point;
        point.latitude = *outcome.latitude;
        point.longitude = *outcome.longitude;
        point.name = outcome.label;
        // The header is the table's first line.
        point.description = QStringLiteral("ligne %1").arg(index + 2);
        if (altitude) {
            point.altitude = outcome.altitude;
        }
        points.append(point);
    }
    const std::optional<QByteArray> bytes =
        PointsFileBytes(format, QFileInfo(path).completeBaseName(), std::move(points));
    if (!bytes) {
        return QStringLiteral("Les points s'enregistrent en GPX, KML ou GeoJSON.");
    }
    if (!ReplaceFileContents(path, *bytes)) {
        return QStringLiteral("Le fichier de points « %1 » n'a pas pu être écrit.")
            .arg(QDir::toNativeSeparators(path));
    }
    return {};
}

} // namespace tarnel
