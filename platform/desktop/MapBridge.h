#pragma once

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

    static constexpr qsizetype kMostExportedIds = 100000;

signals:
    void PointTaken(const QString& latitude, const QString& longitude, const QString& street,
                    const QString& city, const QString& postcode, const QString& country);
    void PlacesExportAsked(const QString& format, const QList<qint64>& ids);

private:
    std::function<bool()> trusted_;
};

} // namespace tarnel
