#pragma once

#include "platform/MapView.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

namespace tarnel {

// The object the map page reaches through Qt WebChannel as "tarnel". Its methods are named as
// the page calls them; a call counts only while `trusted` says the page shown is one of the
// program's own map service, and only with arguments of the shapes told below.
class MapBridge : public QObject {
    Q_OBJECT
public:
    explicit MapBridge(std::function<bool()> trusted, QObject* parent = nullptr);

    // "Reprendre ce point": hands the point and its address (parts may be empty) to PointTaken.
    Q_INVOKABLE void TakePoint(const QString& latitude, const QString& longitude,
                               const QString& street, const QString& city, const QString& postcode,
                               const QString& country);

    // "Exporter…" of Mes lieux: hands a format name (1 to 16 lower-case letters, digits or
    // '-') and the ids of the places chosen ("12,5,40", or empty for all of them, at most
    // kMostExportedIds) to PlacesExportAsked.
    Q_INVOKABLE void ExportPlaces(const QString& format, const QString& ids);

    // "Géocoder un fichier d'adresses": AddressFileAsked.
    Q_INVOKABLE void OpenAddressFile();

    // The points of the file of addresses shown so far, as FilePointsAdded gives them: for a
    // page just loaded.
    Q_INVOKABLE QString FilePoints() const;

    // Keeps `points` and hands them to the page (FilePointsAdded): those with coordinates on
    // Earth, their texts cut as TakePoint's parts, up to kMostFilePoints in all; beyond, the
    // map would crawl, and the window lists every row anyway.
    void AddFilePoints(const QList<FilePoint>& points);
    void ClearFilePoints();

    static constexpr qsizetype kMostExportedIds = 100000;
    // The rows one file may hold at the Géoplateforme's CSV geocoder.
    static constexpr qsizetype kMostFilePoints = 200000;

signals:
    void PointTaken(const QString& latitude, const QString& longitude, const QString& street,
                    const QString& city, const QString& postcode, const QString& country);
    void PlacesExportAsked(const QString& format, const QList<qint64>& ids);
    void AddressFileAsked();
    // To the page: a JSON array of {line, lat, lng, label, status}.
    void FilePointsAdded(const QString& points);
    void FilePointsCleared();

private:
    std::function<bool()> trusted_;
    QList<FilePoint> filePoints_;
};

} // namespace tarnel
