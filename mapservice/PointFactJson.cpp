#include "mapservice/PointFactJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace tarnel {

namespace {

using Outcome = GeocodeResult::Outcome;

// How the panel names a service and what switching it off turns off.
struct ServiceWords {
    const char* subject; // « Le service d'altitude de l'IGN »
    const char* off;     // the sentence when it is switched off
    const char* none;    // the sentence when it knows nothing there
    const char* source;  // who answers, credited beside the fact
};

constexpr ServiceWords kAltitudeWords{
    "Le service d'altitude de l'IGN",
    "Le calcul de l'altitude est désactivé dans la configuration de Tarnel (tarnel.conf).",
    "Aucune altitude connue en ce point.", "RGE ALTI®, IGN"};
constexpr ServiceWords kCommuneWords{
    "Le service des communes (geo.api.gouv.fr)",
    "La recherche de la commune est désactivée dans la configuration de Tarnel (tarnel.conf).",
    "Ce point n'est dans aucune commune française.",
    "API Découpage administratif, geo.api.gouv.fr"};
constexpr ServiceWords kParcelWords{
    "Le service du cadastre de l'IGN (API Carto)",
    "La recherche de la parcelle est désactivée dans la configuration de Tarnel (tarnel.conf).",
    "Aucune parcelle cadastrale en ce point (voie, mer ou hors de France).",
    "Parcellaire Express (PCI), IGN"};

const char* StatusName(Outcome outcome) {
    switch (outcome) {
    case Outcome::Found:
        return "found";
    case Outcome::NoMatch:
        return "none";
    case Outcome::Unreachable:
    case Outcome::Certificates:
        return "unreachable";
    case Outcome::Refused:
        return "refused";
    case Outcome::Failed:
        break;
    }
    return "failed";
}

QString FailureMessage(Outcome outcome, const ServiceWords& words) {
    const QString subject = QString::fromUtf8(words.subject);
    switch (outcome) {
    case Outcome::NoMatch:
        return QString::fromUtf8(words.none);
    case Outcome::Unreachable:
        return subject + QStringLiteral(" est injoignable : vérifiez la connexion à Internet.");
    case Outcome::Certificates:
        return subject + QStringLiteral(" est injoignable : la connexion sécurisée a échoué à la "
                                        "vérification de son certificat (vérifiez que le paquet "
                                        "ca-certificates est installé).");
    case Outcome::Refused:
        return subject + QStringLiteral(" a refusé la demande (limite d'usage atteinte) : "
                                        "réessayez dans un moment.");
    case Outcome::Found:
    case Outcome::Failed:
        break;
    }
    return subject + QStringLiteral(" a donné une réponse illisible : réessayez plus tard.");
}

// The answer's frame; `found` is set when the fact was found, and then gets its parts.
template <typename Fact>
QJsonObject Frame(const std::optional<Fact>& fact, const ServiceWords& words, bool& found) {
    found = fact && fact->outcome == Outcome::Found;
    if (!fact) {
        return {{QStringLiteral("status"), QStringLiteral("off")},
                {QStringLiteral("message"), QString::fromUtf8(words.off)}};
    }
    QJsonObject object{{QStringLiteral("status"), QLatin1String(StatusName(fact->outcome))},
                       {QStringLiteral("source"), QString::fromUtf8(words.source)}};
    if (!found) {
        object.insert(QStringLiteral("message"), FailureMessage(fact->outcome, words));
    }
    return object;
}

QByteArray Compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// "7 185": thousands set apart by a space, as the French write them.
QString Grouped(qint64 value) {
    QString digits = QString::number(value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) {
        digits.insert(at, u' ');
    }
    return digits;
}

} // namespace

QByteArray AltitudeJson(const std::optional<PointAltitude>& altitude) {
    bool found = false;
    QJsonObject object = Frame(altitude, kAltitudeWords, found);
    if (found) {
        const double metres = std::round(altitude->metres * 100) / 100;
        object.insert(QStringLiteral("metres"), metres);
        object.insert(QStringLiteral("message"),
                      QStringLiteral("Altitude : %1 m (%2)")
                          .arg(QString::number(metres, 'f', 1).replace(u'.', u','),
                               QString::fromUtf8(kAltitudeWords.source)));
    }
    return Compact(object);
}

QByteArray CommuneJson(const std::optional<PointCommune>& commune) {
    bool found = false;
    QJsonObject object = Frame(commune, kCommuneWords, found);
    if (found) {
        object.insert(QStringLiteral("name"), commune->name);
        object.insert(QStringLiteral("code"), commune->code);
        object.insert(QStringLiteral("departmentName"), commune->departmentName);
        object.insert(QStringLiteral("departmentCode"), commune->departmentCode);
        object.insert(QStringLiteral("postcodes"), QJsonArray::fromStringList(commune->postcodes));
        QString message =
            QStringLiteral("Commune : %1 (INSEE %2)").arg(commune->name, commune->code);
        if (!commune->departmentName.isEmpty()) {
            message +=
                QStringLiteral(", %1 (%2)").arg(commune->departmentName, commune->departmentCode);
        } else if (!commune->departmentCode.isEmpty()) {
            message += QStringLiteral(", département %1").arg(commune->departmentCode);
        }
        if (!commune->postcodes.isEmpty()) {
            message += (commune->postcodes.size() == 1 ? QStringLiteral(", code postal ")
                                                       : QStringLiteral(", codes postaux ")) +
                       commune->postcodes.join(QStringLiteral(", "));
        }
        object.insert(QStringLiteral("message"), message);
    }
    return Compact(object);
}

QByteArray ParcelJson(const std::optional<CadastralParcel>& parcel) {
    bool found = false;
    QJsonObject object = Frame(parcel, kParcelWords, found);
    if (found) {
        object.insert(QStringLiteral("idu"), parcel->idu);
        object.insert(QStringLiteral("prefix"), parcel->prefix);
        object.insert(QStringLiteral("section"), parcel->section);
        object.insert(QStringLiteral("number"), parcel->number);
        object.insert(QStringLiteral("commune"), parcel->commune);
        QString message = QStringLiteral("Parcelle : ");
        if (!parcel->prefix.isEmpty()) {
            message += parcel->prefix + u' ';
        }
        message += parcel->section + u' ' + parcel->number;
        if (!parcel->commune.isEmpty()) {
            message += QStringLiteral(" (%1)").arg(parcel->commune);
        }
        if (parcel->area >= 0) {
            object.insert(QStringLiteral("area"), parcel->area);
            message += QStringLiteral(", %1 m²").arg(Grouped(parcel->area));
        }
        object.insert(QStringLiteral("message"), message);
    }
    return Compact(object);
}

} // namespace tarnel
