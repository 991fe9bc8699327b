#pragma once

#include <QList>
#include <QString>

namespace tarnel {

// One way of writing a point, as the map page lists it.
struct CoordinateForm {
    QString key;  // stable identifier for the page: "dd", "dms", "ddm", "l93", "cc", "utm", "mgrs"
    QString name; // French caption ("Degrés décimaux", "Lambert 93", ...)
    QString text; // the point written in that form, ready to copy
};

// The WGS 84 point (`latitude`, `longitude`, decimal degrees, on Earth) written in every form
// a French user meets, in the order the page lists them. Forms that do not cover the point
// (Lambert 93 far from France, UTM beyond ±84°) are left out. Safe to call from any thread.
QList<CoordinateForm> CoordinateForms(double latitude, double longitude);

} // namespace tarnel
