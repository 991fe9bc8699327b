#include "addressfile/RowDecision.h"

#include "geocoding/AddressWords.h"
#include "geocoding/FrenchAddressRule.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

namespace tarnel {

namespace {

QString PrecisionOfType(const QString& type) {
    if (type == u"housenumber"_qs) {
        return QStringLiteral("numéro");
    }
    if (type == u"municipality"_qs) {
        return QStringLiteral("commune");
    }
    return QStringLiteral("rue");
}

// What a place found by its label confirms of what was typed: the house when the label holds
// the number typed (Nominatim writes it apart: "…, 10, Downing Street, …").
QString PrecisionOfLabel(const QString& label, const AddressQuery& typed) {
    const QString number = LeadingHouseNumber(typed.street);
    const QRegularExpression word(QStringLiteral("(^|\\D)%1(\\D|$)").arg(number));
    if (!number.isEmpty() && label.contains(word)) {
        return QStringLiteral("numéro");
    }
    return typed.street.isEmpty() ? QStringLiteral("commune") : QStringLiteral("rue");
}

QJsonObject Properties(const GeocodedRow& answer) {
    return {{u"type"_qs, answer.type},         {u"housenumber"_qs, answer.housenumber},
            {u"street"_qs, answer.street},     {u"name"_qs, answer.street},
            {u"postcode"_qs, answer.postcode}, {u"city"_qs, answer.city},
            {u"citycode"_qs, answer.citycode}, {u"context"_qs, answer.context}};
}

} // namespace

QString FrenchSourceName() {
    return QStringLiteral("Base Adresse Nationale");
}

QString WorldSourceName() {
    return QStringLiteral("OpenStreetMap Nominatim");
}

std::optional<RowOutcome> DecideCsvRow(const GeocodedRow& answer, const AddressQuery& typed) {
    if (answer.status != u"ok"_qs || !answer.latitude || !answer.longitude) {
        return std::nullopt;
    }
    const bool houseTyped = !LeadingHouseNumber(typed.street).isEmpty();
    const bool townOrStreet = answer.type == u"housenumber"_qs || answer.type == u"street"_qs;
    if (houseTyped && !townOrStreet) {
        return std::nullopt;
    }
    if ((typed.town.isEmpty() && typed.postcode.isEmpty()) ||
        (answer.score && answer.scoreNext && *answer.score - *answer.scoreNext < kAlikeScores)) {
        return std::nullopt;
    }
    if (!FitFeature(Properties(answer), typed).fits) {
        return std::nullopt;
    }
    RowOutcome outcome;
    outcome.status = RowStatus::Found;
    outcome.latitude = answer.latitude;
    outcome.longitude = answer.longitude;
    outcome.label = answer.label;
    outcome.precision = PrecisionOfType(answer.type);
    outcome.source = FrenchSourceName();
    outcome.cityCode = answer.citycode;
    return outcome;
}

RowOutcome DecideAlone(const GeocodeResult& result, const AddressQuery& typed,
                       const QString& source, const QString& rejected) {
    using Outcome = GeocodeResult::Outcome;
    RowOutcome outcome;
    outcome.source = source;
    switch (result.outcome) {
    case Outcome::Found:
        if (!result.others.empty()) {
            QStringList labels{result.label};
            for (const Candidate& other : result.others) {
                labels.append(other.label);
            }
            outcome.status = RowStatus::ToCheck;
            outcome.remark = QStringLiteral("Plusieurs lieux correspondent : %1.")
                                 .arg(labels.join(QStringLiteral(" ; ")));
            return outcome;
        }
        outcome.status = RowStatus::Found;
        outcome.latitude = result.place.latitude;
        outcome.longitude = result.place.longitude;
        outcome.label = result.label;
        outcome.precision = PrecisionOfLabel(result.label, typed);
        outcome.cityCode = result.cityCode;
        return outcome;
    case Outcome::NoMatch:
        outcome.status = RowStatus::NotFound;
        outcome.remark =
            rejected.isEmpty()
                ? QStringLiteral("Aucun lieu ne correspond à cette adresse.")
                : QStringLiteral("Le lieu proposé par le service, « %1 », ne correspond pas à "
                                 "l'adresse (commune, code postal, rue ou numéro).")
                      .arg(rejected);
        return outcome;
    case Outcome::Refused:
        return RowFailure(RowStatus::Error,
                          QStringLiteral("Le service de géocodage a refusé la demande (limite "
                                         "d'usage) : l'adresse n'a pas pu être cherchée."));
    case Outcome::Unreachable:
    case Outcome::Certificates:
        return RowFailure(RowStatus::Error,
                          QStringLiteral("Le service de géocodage n'a pas pu être joint."));
    case Outcome::Failed:
        break;
    }
    return RowFailure(RowStatus::Error,
                      QStringLiteral("La réponse du service de géocodage n'a pas pu être lue."));
}

} // namespace tarnel
