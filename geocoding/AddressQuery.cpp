#include "geocoding/AddressQuery.h"

#include "geocoding/AddressCleaning.h"
#include "geocoding/AddressWords.h"
#include "geocoding/CountryNames.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace tarnel {

namespace {

// Positions of the parts when all four are sent.
constexpr qsizetype kFullPartCount = 4;

const QString kNothingTyped =
    QStringLiteral("Cette adresse est vide ou ne contient que de la ponctuation : saisissez au "
                   "moins une ville ou un code postal.");
const QString kUnknownCountry =
    QStringLiteral("Le pays « %1 » n'est pas connu : écrivez son nom en français ou en anglais "
                   "(par exemple « Allemagne » ou « Germany »), ou laissez la case vide.");
const QString kBadFrenchCode =
    QStringLiteral("Le code postal « %1 » n'a pas cinq chiffres : un code postal français en a "
                   "toujours cinq (par exemple 75001 ou 06000).");

bool IsDigits(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

bool HasLetterOrDigit(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetterOrNumber(); });
}

bool IsHouseNumberAlone(const QString& part) {
    static const QRegularExpression kNumber(QStringLiteral("^\\d{1,4}\\s*(bis|ter|quater|[a-z])?$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return kNumber.match(part).hasMatch();
}

// A part typed alone reads as a street when it starts with a house number or a kind of way
// followed by a blank ("Rue de la Paix", not "Pont-Audemer").
bool LooksLikeStreet(const QString& part) {
    if (!LeadingHouseNumber(part).isEmpty()) {
        return true;
    }
    const QString kind = ReadStreetName(part).kind;
    const qsizetype blank = part.indexOf(u' ');
    return !kind.isEmpty() && blank > 0 && !part.left(blank).contains(u'-');
}

// The country `part` names. Out of its place, a name or code of three letters or fewer ("USA",
// "UK") counts only after other parts: alone it is rather a town ("Lux", "Us").
QString KnownCountry(const QString& part, bool placed, bool alone) {
    constexpr qsizetype kLongestCode = 3;
    if (placed || part.size() > kLongestCode) {
        return CountryCode(part, placed);
    }
    return alone ? QString() : CountryCode(part, true);
}

// Puts each house number typed as a part of its own back before the part that follows it.
void JoinHouseNumbers(QStringList& parts) {
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        if (IsHouseNumberAlone(parts.at(i)) && !parts.at(i + 1).isEmpty()) {
            parts[i + 1] = parts.at(i) + u' ' + parts.at(i + 1);
            parts.removeAt(i);
        }
    }
}

// Gives each part its role. Four parts are all the boxes when the last one, the postal code,
// is empty or holds a digit once cleaned (as Text() writes it back: "TSA 3" alone is no code);
// otherwise a comma of the street made them four.
void PlaceParts(QStringList parts, AddressQuery& query) {
    const auto codeLike = [](const QString& part) {
        const QString cleaned = CleanAddressPart(part);
        return cleaned.isEmpty() ||
               std::any_of(cleaned.cbegin(), cleaned.cend(), [](QChar c) { return c.isDigit(); });
    };
    if (parts.size() != kFullPartCount || !codeLike(parts.last())) {
        JoinHouseNumbers(parts);
    }
    if (parts.size() >= kFullPartCount && codeLike(parts.last())) {
        query.code = parts.takeLast();
        query.country = parts.takeLast();
        query.town = parts.takeLast();
        parts.removeIf([](const QString& part) { return part.isEmpty(); });
        query.street = parts.join(u' ');
        query.countryCode = KnownCountry(query.country, true, false);
        return;
    }
    parts.removeIf([](const QString& part) { return part.isEmpty(); });
    if (!parts.isEmpty() && IsDigits(QString(parts.last()).remove(u' '))) {
        query.code = parts.takeLast();
    }
    if (!parts.isEmpty()) {
        if (const QString code = KnownCountry(parts.last(), false, parts.size() == 1);
            !code.isEmpty()) {
            query.country = parts.takeLast();
            query.countryCode = code;
        }
    }
    if (parts.size() == 1 && LooksLikeStreet(parts.first())) {
        query.street = parts.first();
    } else if (!parts.isEmpty()) {
        query.town = parts.takeLast();
        query.street = parts.join(u' ');
    }
}

// Takes a five-digit postal code typed with the town ("75001 Paris", "Paris 75001"), or after
// the street when no town was typed ("1 rue X 75001 Paris"), out into the code.
void TakeOutPostalCode(AddressQuery& query) {
    if (!query.code.isEmpty()) {
        return;
    }
    static const QRegularExpression kCode(QStringLiteral("(?<!\\d)\\d{5}(?!\\d)"));
    if (const auto match = kCode.match(query.town); match.hasMatch()) {
        query.code = match.captured();
        query.town =
            (query.town.left(match.capturedStart()) + u' ' + query.town.mid(match.capturedEnd()))
                .trimmed();
    } else if (const auto inStreet = kCode.match(query.street);
               inStreet.hasMatch() && query.town.isEmpty()) {
        query.code = inStreet.captured();
        query.town = query.street.mid(inStreet.capturedEnd()).trimmed();
        query.street = query.street.left(inStreet.capturedStart()).trimmed();
    }
}

} // namespace

QString AddressQuery::Text() const {
    const QString cedex = !code.isEmpty() && postcode.isEmpty() && !departement.isEmpty()
                              ? QStringLiteral(" Cedex")
                              : QString();
    return QStringList{street, town + cedex, country, code}.join(QLatin1String(", "));
}

AddressQuery ParseAddressQuery(const QString& text) {
    AddressQuery query;
    if (!HasLetterOrDigit(text)) {
        query.problem = kNothingTyped;
        return query;
    }
    QStringList parts = text.split(u',');
    for (QString& part : parts) {
        part = part.trimmed();
    }
    PlaceParts(parts, query);
    const bool cedex =
        MentionsCedex(query.street) || MentionsCedex(query.town) || MentionsCedex(query.code);
    // Cleaned before and after the postal code is taken out, so that the parts read back from
    // Text() come out the same; what is left without a letter or digit says nothing.
    const auto tidy = [&query] {
        for (QString* part : {&query.street, &query.town, &query.code}) {
            *part = CleanAddressPart(*part);
            if (!HasLetterOrDigit(*part)) {
                part->clear();
            }
        }
    };
    tidy();
    TakeOutPostalCode(query);
    tidy();
    query.street = FromHouseNumber(query.street);
    // "75 001" is 75001; "SW1A 1AA" keeps its blank.
    if (const QString joined = QString(query.code).remove(u' '); IsDigits(joined)) {
        query.code = joined;
    }
    if (!query.country.isEmpty() && query.countryCode.isEmpty()) {
        query.problem = kUnknownCountry.arg(query.country);
        return query;
    }
    if (query.IsBare() && query.country.isEmpty()) {
        query.problem = kNothingTyped;
        return query;
    }
    const bool french = IsFrenchCode(query.countryCode);
    const bool fiveDigits = query.code.size() == 5 && IsDigits(query.code);
    if (!query.code.isEmpty() && !fiveDigits &&
        (french || (query.countryCode.isEmpty() && IsDigits(query.code) &&
                    (query.code.size() == 4 || query.code.size() == 6)))) {
        query.problem = kBadFrenchCode.arg(query.code);
        return query;
    }
    if (french) {
        query.region = AddressQuery::Region::France;
    } else if (query.countryCode.isEmpty() && fiveDigits) {
        query.region = AddressQuery::Region::LikelyFrance;
    }
    if (fiveDigits && query.region != AddressQuery::Region::World) {
        query.departement = DepartementOfPostcode(query.code);
        query.postcode = cedex ? QString() : query.code;
    }
    return query;
}

} // namespace tarnel
