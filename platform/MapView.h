#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace tarnel {

// A row of a file of addresses, placed on the map once geocoded.
struct FilePoint {
    qint64 line = 0; // its line in the file, the header being line 1
    double latitude = 0;
    double longitude = 0;
    QString label;  // the address found
    QString status; // as the output file writes it: "trouvée", "à vérifier"
};

// The main window's map: shows the page of a map query URL. The URL is handed over exactly as
// built; the view encodes whatever the network needs.
class MapView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void Navigate(const QString& url) = 0;
    // Adds `points` to the map's layer of the file of addresses being geocoded. They stay there,
    // across loads of the page, until ClearFilePoints.
    virtual void ShowFilePoints(const QList<FilePoint>& points) = 0;
    virtual void ClearFilePoints() = 0;

signals:
    // A page of the program's own map service asked to take a point into the main window: its
    // latitude and longitude as decimal texts with a full stop ("48.8584000"), and the parts of
    // the address found nearest to it, all empty when none was.
    void PointTaken(const QString& latitude, const QString& longitude, const QString& street,
                    const QString& city, const QString& postcode, const QString& country);

    // Its "Mes lieux" panel asked to export places: the format the page names ("gpx", "kml",
    // "geojson", "csv-excel", "csv-utf8"; anything else is the receiver's to refuse) and the
    // ids of the places chosen, none meaning all of them.
    void PlacesExportAsked(const QString& format, const QList<qint64>& ids);

    // Its control "Géocoder un fichier d'adresses" was pressed.
    void AddressFileAsked();
    // Local files were dropped on the map, which stays as it was: their paths.
    void FilesDropped(const QStringList& paths);
};

} // namespace tarnel
