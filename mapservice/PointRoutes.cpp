#include "mapservice/PointRoutes.h"

#include "core/CoordinateForms.h"
#include "mapservice/JsonAnswer.h"
#include "mapservice/PointQuery.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <cmath>

namespace tarnel {

namespace {

QByteArray Compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray ErrorJson(const QString& message) {
    return Compact({{QStringLiteral("error"), message}});
}

QByteArray FormsJson(const Place& point) {
    QJsonArray forms;
    for (const CoordinateForm& form : CoordinateForms(point.latitude, point.longitude)) {
        forms.append(QJsonObject{{QStringLiteral("key"), form.key},
                                 {QStringLiteral("name"), form.name},
                                 {QStringLiteral("text"), form.text}});
    }
    return Compact({{QStringLiteral("forms"), forms}});
}

const char* StatusName(AddressAnswer::Status status) {
    switch (status) {
    case AddressAnswer::Status::Found:
        return "found";
    case AddressAnswer::Status::None:
        return "none";
    case AddressAnswer::Status::Unreachable:
        return "unreachable";
    case AddressAnswer::Status::Refused:
        return "refused";
    case AddressAnswer::Status::Failed:
        return "failed";
    case AddressAnswer::Status::Off:
        break;
    }
    return "off";
}

QString Message(const AddressAnswer& answer) {
    switch (answer.status) {
    case AddressAnswer::Status::Found:
        return QStringLiteral("Adresse la plus proche, à %1 : %2.")
            .arg(DistanceText(answer.distance), answer.address.label);
    case AddressAnswer::Status::None:
        return QStringLiteral("Aucune adresse connue à proximité.");
    case AddressAnswer::Status::Unreachable:
        return answer.certificates
                   ? QStringLiteral("Les services de recherche d'adresses sont injoignables : la "
                                    "connexion sécurisée a échoué à la vérification de son "
                                    "certificat (vérifiez que le paquet ca-certificates est "
                                    "installé).")
                   : QStringLiteral("Les services de recherche d'adresses sont injoignables : "
                                    "vérifiez la connexion à Internet.");
    case AddressAnswer::Status::Refused:
        return QStringLiteral("Les services de recherche d'adresses ont refusé la demande "
                              "(limite d'usage atteinte) : réessayez dans un moment.");
    case AddressAnswer::Status::Failed:
        return QStringLiteral("Les services de recherche d'adresses ont donné une réponse "
                              "illisible : réessayez plus tard.");
    case AddressAnswer::Status::Off:
        break;
    }
    return QStringLiteral("La recherche d'adresses est désactivée dans la configuration de "
                          "Tarnel (tarnel.conf).");
}

} // namespace

QString DistanceText(double metres) {
    if (metres < 999.5) {
        return QStringLiteral("%1 m").arg(std::lround(metres));
    }
    return QLocale(QLocale::French).toString(metres / 1000, 'f', 1) + QStringLiteral(" km");
}

QByteArray AddressJson(const AddressAnswer& answer) {
    QJsonObject object{{QStringLiteral("status"), QLatin1String(StatusName(answer.status))},
                       {QStringLiteral("message"), Message(answer)}};
    if (answer.status == AddressAnswer::Status::Found) {
        const NearestAddress& address = answer.address;
        object.insert(QStringLiteral("label"), address.label);
        object.insert(QStringLiteral("street"), address.street);
        object.insert(QStringLiteral("city"), address.city);
        object.insert(QStringLiteral("postcode"), address.postcode);
        object.insert(QStringLiteral("country"), address.country);
        object.insert(QStringLiteral("distance"), std::round(answer.distance * 10) / 10);
        object.insert(QStringLiteral("source"), answer.source);
    }
    return Compact(object);
}

void ServePoint(const httplib::Request& request, httplib::Response& response) {
    ServePointFact(request, response, &FormsJson);
}

void ServeAddress(const httplib::Request& request, httplib::Response& response,
                  NearestAddressFinder& addresses) {
    ServePointFact(request, response,
                   [&addresses](const Place& point) { return AddressJson(addresses.Find(point)); });
}

void ServePointFact(const httplib::Request& request, httplib::Response& response,
                    const std::function<QByteArray(const Place&)>& answer) {
    const PointQuery query = ReadPointQuery(
        QByteArrayView(request.target.data(), static_cast<qsizetype>(request.target.size())));
    if (!query.place) {
        SendJson(response, ErrorJson(query.error), 400);
        return;
    }
    SendJson(response, answer(*query.place));
}

} // namespace tarnel
