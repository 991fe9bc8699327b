#pragma once

#include "geocoding/PointLookup.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace tarnel {

// The cadastral parcel under a point.
struct CadastralParcel {
    GeocodeResult::Outcome outcome = GeocodeResult::Outcome::Failed; // NoMatch: none there
    QString idu{};     // its 14-character identifier, "29135000AX0001"
    QString prefix{};  // the section's prefix ("000"; a former commune's or a district's code)
    QString section{}; // "AX"
    QString number{};  // "0001"
    QString commune{}; // the commune's name
    qint64 area = -1;  // square metres, -1 when the answer does not give it
};

// API Carto's cadastre module on IGN's Parcellaire Express (PCI, Licence Ouverte):
// GET <parcelUrl>?geom={"type":"Point","coordinates":[<lon>,<lat>]}, answered with a GeoJSON
// FeatureCollection of the parcels the point touches (properties idu, section, numero,
// nom_com, com_abs, contenance…); none on a road, in the sea or abroad. Only points within
// France's extents are asked about. Its lookups share `turns`.
class ParcelService {
public:
    // `parcelUrl`: "https://apicarto.ign.fr/api/cadastre/parcelle" for the real service.
    ParcelService(QString parcelUrl, QByteArray userAgent, HttpLimits limits = {},
                  std::shared_ptr<RateLimiter> turns = DefaultTurns());

    // Safe to call from several threads at once; returns within the time bounds.
    CadastralParcel At(const Place& point);
    void CancelLookups() { lookup_.Cancel(); }

    // The first feature's parcel; NoMatch for no feature; Failed for anything that is not a
    // FeatureCollection or a parcel without section or number.
    static CadastralParcel ReadAnswer(const QByteArray& json);

    // 5 requests a second: API Carto publishes no limit, the WFS behind it allows 30.
    static std::shared_ptr<RateLimiter> DefaultTurns();

private:
    PointLookup<CadastralParcel> lookup_;
};

} // namespace tarnel
