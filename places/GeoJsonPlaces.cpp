#include "places/GeoJsonPlaces.h"

#include "places/CoordinateReading.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tarnel {

namespace {

constexpr int kMaxDepth = 64;

// The property of `properties` whose name is one of `keys` (any case), in the order of `keys`.
QString Property(const QJsonObject& properties, std::initializer_list<QStringView> keys) {
    for (const QStringView key : keys) {
        for (auto it = properties.begin(); it != properties.end(); ++it) {
            if (it.key().compare(key, Qt::CaseInsensitive) == 0 && it.value().isString())
                return it.value().toString().trimmed();
        }
    }
    return {};
}

class Reader {
public:
    PlaceFileReading reading;
    qsizetype otherGeometries = 0;

    // Reads any GeoJSON object: a collection, a feature or a geometry.
    void Object(const QJsonObject& object, int depth) {
        const QString type = object.value(u"type").toString();
        if (type == u"FeatureCollection") {
            const QJsonArray features = object.value(u"features").toArray();
            for (const QJsonValue& feature : features) {
                if (feature.toObject().value(u"type").toString() != u"Feature")
                    return Refuse(QStringLiteral("Un élément de la collection du fichier GeoJSON "
                                                 "n'est pas un « Feature » : le fichier n'a pas "
                                                 "été importé."));
                Object(feature.toObject(), depth + 1);
            }
        } else if (type == u"Feature") {
            const QJsonObject properties = object.value(u"properties").toObject();
            name_ = Property(properties, {u"name", u"nom", u"title"});
            note_ = Property(properties, {u"description", u"desc"});
            if (object.value(u"geometry").isObject())
                Geometry(object.value(u"geometry").toObject(), depth + 1);
            else
                ++otherGeometries;
        } else {
            Geometry(object, depth);
        }
    }

    void Refuse(const QString& problem) {
        if (reading.problem.isEmpty())
            reading.problem = problem;
    }

private:
    void Geometry(const QJsonObject& geometry, int depth) {
        const QString type = geometry.value(u"type").toString();
        const QJsonValue coordinates = geometry.value(u"coordinates");
        if (depth > kMaxDepth)
            return Refuse(QStringLiteral("Les géométries du fichier GeoJSON sont imbriquées sur "
                                         "plus de %1 niveaux : il n'a pas été importé.")
                              .arg(kMaxDepth));
        if (type == u"Point") {
            Position(coordinates);
        } else if (type == u"MultiPoint") {
            for (const QJsonValue& position : coordinates.toArray())
                Position(position);
        } else if (type == u"GeometryCollection") {
            for (const QJsonValue& member : geometry.value(u"geometries").toArray())
                Geometry(member.toObject(), depth + 1);
        } else if (type == u"LineString" || type == u"MultiLineString" || type == u"Polygon" ||
                   type == u"MultiPolygon") {
            ++otherGeometries;
        } else {
            Refuse(QStringLiteral("Ce fichier n'est pas un fichier GeoJSON : « %1 » n'est pas un "
                                  "type d'objet GeoJSON.")
                       .arg(type.left(40)));
        }
    }

    void Position(const QJsonValue& value) {
        const QJsonArray position = value.toArray();
        ++seen_;
        const auto number = [&](qsizetype i, double limit) -> std::optional<double> {
            const double n = position.at(i).toDouble(qQNaN());
            return std::isfinite(n) && std::abs(n) <= limit ? std::optional(n) : std::nullopt;
        };
        if (position.size() < 2 || position.size() > 4 || !number(0, 180) || !number(1, 90))
            return Refuse(OutOfRangeProblem(
                seen_, QString::fromUtf8(
                           QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact))));
        SavedPlace place;
        place.longitude = *number(0, 180);
        place.latitude = *number(1, 90);
        if (position.size() >= 3)
            place.altitude = number(2, 1e6);
        place.name = name_;
        place.note = note_;
        reading.places.append(place);
    }

    QString name_;
    QString note_;
    qsizetype seen_ = 0;
};

} // namespace

PlaceFileReading ReadGeoJsonPlaces(const QByteArray& bytes) {
    QJsonParseError error;
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error == QJsonParseError::DeepNesting)
        return {{},
                {},
                QStringLiteral("Les éléments du fichier GeoJSON sont imbriqués trop "
                               "profondément : il n'a pas été importé.")};
    if (error.error != QJsonParseError::NoError)
        return {{},
                {},
                QStringLiteral("Le fichier n'est pas un fichier GeoJSON lisible : son JSON "
                               "est incorrect à l'octet %1.")
                    .arg(error.offset)};
    if (!document.isObject() || !document.object().value(u"type").isString())
        return {{},
                {},
                QStringLiteral("Ce fichier n'est pas un fichier GeoJSON : il n'est pas "
                               "un objet avec un « type ».")};
    Reader reader;
    reader.Object(document.object(), 1);
    if (!reader.reading.problem.isEmpty())
        return {{}, {}, reader.reading.problem};
    reader.reading.warnings = LeftAsideWarning(
        reader.otherGeometries, QStringLiteral("objet sans point"),
        QStringLiteral("objets sans point"), QStringLiteral("(lignes, polygones)"));
    return reader.reading;
}

} // namespace tarnel
