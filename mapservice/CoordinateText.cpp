#include "mapservice/CoordinateText.h"

#include "core/AngleText.h"
#include "core/ConicProjection.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace tarnel {

namespace {

const QString kAcceptedForms = QStringLiteral(
    "Formes acceptées, une valeur dans chaque case : degrés décimaux (48.8584 et 2.2945) ; "
    "degrés, minutes, secondes (48° 51' 30,2\" N et 2° 17' 40,2\" E, ou 48°51'30\" et "
    "-2°17'40\") ; degrés et minutes décimales (48°51.504'N et 2°17.670'E, ou N 48 51.504 et "
    "E 2 17.670) ; Lambert 93 en mètres, X dans une case et Y dans l'autre (648237.30 et "
    "6862271.68).");

// Lambert 93's metres over France, with a margin: X from about 100 km to 1 250 km, Y from about
// 6 030 km to 7 120 km. Whether the point lies in the system's area is PROJ's to say.
bool LambertX(double x) {
    return x >= 0 && x <= 1'400'000;
}
bool LambertY(double y) {
    return y >= 6'000'000 && y <= 7'200'000;
}

// Only what a coordinate can be written with (the metres' labels and unit included); a digit
// somewhere.
bool MeantAsCoordinates(const QString& text) {
    static const QString kAllowed = QStringLiteral(
        "\\d\\s\u00A0\u202F+\\-\u2212.,=:\u00B0\u00BA\u02DA'\u2019\u2032\"\u2033\u201D"
        "NSEOWnseowXYxym");
    static const QRegularExpression kCoordinateCharacters(
        QStringLiteral("^[%1]*\\d[%1]*$").arg(kAllowed));
    return kCoordinateCharacters.match(text).hasMatch();
}

// Metres as a box holds them: digits, thousands parted by blanks, decimals after a full stop
// or a comma; "X =" or "Y :" before and "m" after, as the map page writes them, are allowed.
std::optional<double> ReadMetres(const QString& side) {
    static const QRegularExpression kMetres(QStringLiteral(
        "^(?:[XYxy] *[=:]? *)?((?:\\d{1,3}(?:[ \u00A0\u202F]\\d{3})+|\\d+)(?:[.,]\\d*)?)"
        "(?: *m)?$"));
    const QRegularExpressionMatch match = kMetres.match(side.trimmed());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    static const QRegularExpression kBlanks(QStringLiteral("[ \u00A0\u202F]"));
    QString number = match.captured(1);
    number.remove(kBlanks);
    return number.replace(u',', u'.').toDouble();
}

struct PairReading {
    enum class Kind { Place, OutOfRange, Unreadable };
    Kind kind = Kind::Unreadable;
    Place place{};
    QString problem{};
};

QString Quoted(const QString& side) {
    return QStringLiteral("« %1 »").arg(side.trimmed().left(60));
}

std::optional<PairReading> ReadLambertPair(const QString& first, const QString& second) {
    const auto a = ReadMetres(first);
    const auto b = ReadMetres(second);
    if (!a || !b) {
        return std::nullopt;
    }
    ProjectedPoint xy;
    if (LambertX(*a) && LambertY(*b)) {
        xy = {*a, *b};
    } else if (LambertX(*b) && LambertY(*a)) {
        xy = {*b, *a};
    } else {
        return std::nullopt;
    }
    if (const auto point = FromConic(kLambert93, xy)) {
        return PairReading{PairReading::Kind::Place, {point->latitude, point->longitude}};
    }
    if (!ConicAvailable(kLambert93)) {
        return PairReading{PairReading::Kind::OutOfRange,
                           {},
                           QStringLiteral("Les coordonnées Lambert 93 ne peuvent pas être "
                                          "converties : la base de données de PROJ (proj.db, "
                                          "paquet proj-data) est introuvable.")};
    }
    return PairReading{PairReading::Kind::OutOfRange,
                       {},
                       QStringLiteral("Le point Lambert 93 X = %1 m, Y = %2 m est hors de la "
                                      "zone du Lambert 93 (France métropolitaine et Corse).")
                           .arg(QString::number(xy.x, 'f', 2), QString::number(xy.y, 'f', 2))};
}

PairReading ReadPair(const QString& latitude, const QString& longitude) {
    const AngleReading north = ReadAngle(latitude, Axis::Latitude);
    const AngleReading east = ReadAngle(longitude, Axis::Longitude);
    using Outcome = AngleReading::Outcome;
    if (north.outcome == Outcome::Read && east.outcome == Outcome::Read) {
        return {PairReading::Kind::Place, {north.degrees, east.degrees}};
    }
    if (north.outcome == Outcome::Unreadable && east.outcome == Outcome::Unreadable) {
        // Boxes swapped: the hemisphere letters say which is which.
        const AngleReading swappedNorth = ReadAngle(longitude, Axis::Latitude);
        const AngleReading swappedEast = ReadAngle(latitude, Axis::Longitude);
        if (swappedNorth.outcome == Outcome::Read && swappedEast.outcome == Outcome::Read) {
            return {PairReading::Kind::Place, {swappedNorth.degrees, swappedEast.degrees}};
        }
    }
    if (auto lambert = ReadLambertPair(latitude, longitude)) {
        return *lambert;
    }
    PairReading reading{PairReading::Kind::OutOfRange};
    const auto explain = [&](const AngleReading& side, const QString& text, const QString& box,
                             const QString& range) {
        if (side.outcome == Outcome::Unreadable) {
            reading.kind = PairReading::Kind::Unreadable;
            reading.problem +=
                QStringLiteral("La case %1 n'a pas été comprise : %2. ").arg(box, Quoted(text));
        } else if (side.outcome == Outcome::OutOfRange) {
            reading.problem += QStringLiteral("La case %1 est hors limites : %2 (%3, minutes et "
                                              "secondes sous 60). ")
                                   .arg(box, Quoted(text), range);
        }
    };
    explain(north, latitude, QStringLiteral("Latitude"),
            QStringLiteral("la latitude va de 90° S à 90° N"));
    explain(east, longitude, QStringLiteral("Longitude"),
            QStringLiteral("la longitude va de 180° O à 180° E"));
    reading.problem = reading.problem.trimmed();
    return reading;
}

} // namespace

CoordinateQuery ParseCoordinates(const QString& text) {
    if (!MeantAsCoordinates(text)) {
        return {};
    }
    // Each box holds at most one decimal comma, so the boxes' comma is one of the first three.
    const QStringList pieces = text.split(u',');
    if (pieces.size() < 2 || pieces.size() > 4) {
        return {};
    }
    std::vector<PairReading> readings;
    for (qsizetype cut = 1; cut < pieces.size(); ++cut) {
        if (cut <= 2 && pieces.size() - cut <= 2) {
            readings.push_back(ReadPair(pieces.mid(0, cut).join(u','), pieces.mid(cut).join(u',')));
        }
    }
    const auto kindCount = [&](PairReading::Kind kind) {
        return std::count_if(readings.cbegin(), readings.cend(),
                             [kind](const PairReading& reading) { return reading.kind == kind; });
    };
    const auto firstOf = [&](PairReading::Kind kind) {
        return *std::find_if(readings.cbegin(), readings.cend(),
                             [kind](const PairReading& reading) { return reading.kind == kind; });
    };
    CoordinateQuery query;
    query.isPair = true;
    if (kindCount(PairReading::Kind::Place) == 1) {
        query.place = firstOf(PairReading::Kind::Place).place;
        return query;
    }
    QString problem;
    if (kindCount(PairReading::Kind::Place) > 1) {
        // No guess between two places: the user says which.
        problem = QStringLiteral("Les coordonnées %1 se lisent de plusieurs façons, la virgule "
                                 "pouvant séparer les décimales ou les deux cases : écrivez les "
                                 "décimales avec un point.")
                      .arg(Quoted(text));
    } else if (readings.size() == 1) {
        problem = readings.front().problem;
    } else if (kindCount(PairReading::Kind::OutOfRange) == 1) {
        problem = firstOf(PairReading::Kind::OutOfRange).problem;
    } else {
        problem = QStringLiteral("Les cases Latitude et Longitude n'ont pas été comprises : %1.")
                      .arg(Quoted(text));
    }
    query.problem = problem + u' ' + kAcceptedForms;
    return query;
}

} // namespace tarnel
