#pragma once

#include "platform/PlatformServices.h"

#include <QList>
#include <QObject>
#include <QString>

class QWidget;

namespace tarnel {

// Takes the map page's "Exporter…" of Mes lieux to a file: asks the platform's save dialog where,
// reads the places from the store at `placesPath` and writes them there whole or not at all
// (WritePlacesFile for GPX, KML and GeoJSON, WritePlacesTable for CSV). Every failure is told
// in French in a message box over `window`; the previous file stays as it was.
class PlacesExporter : public QObject {
    Q_OBJECT
public:
    PlacesExporter(QString placesPath, PlatformServices& platform, QWidget* window);

    // `format` as MapView::PlacesExportAsked names it; `ids` the places chosen, in the list's
    // order (by name), none for all of them.
    void Export(const QString& format, const QList<qint64>& ids);

private:
    void Tell(const QString& text);

    QString placesPath_;
    PlatformServices& platform_;
    QWidget* window_;
    QString lastPath_;
};

} // namespace tarnel
