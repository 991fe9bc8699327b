#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace tarnel {

// The object the map page reaches through Qt WebChannel as "tarnel". Its one method is named
// as the page calls it; a call counts only while `trusted` says the page shown is one of the
// program's own map service, and only with a latitude and a longitude that are decimal texts
// on Earth.
class MapBridge : public QObject {
    Q_OBJECT
public:
    explicit MapBridge(std::function<bool()> trusted, QObject* parent = nullptr);

    // "Reprendre ce point": hands the point and its address (parts may be empty) to PointTaken.
    Q_INVOKABLE void TakePoint(const QString& latitude, const QString& longitude,
                               const QString& street, const QString& city, const QString& postcode,
                               const QString& country);

signals:
    void PointTaken(const QString& latitude, const QString& longitude, const QString& street,
                    const QString& city, const QString& postcode, const QString& country);

private:
    std::function<bool()> trusted_;
};

} // namespace tarnel
