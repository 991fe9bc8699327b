#pragma once

#include <QString>
#include <QStringList>

namespace tarnel {

// The words of a name as they are compared: lower case, accents dropped, ligatures spelt out
// ("œ" as "oe"), every run of other characters than letters and digits a break ("Saint-Denis",
// "saint denis" and "SAINT DENIS" give the same words).
QStringList FoldedWords(const QString& text);

// The key a town's name is compared by: its folded words, "St"/"Ste" spelt "saint"/"sainte",
// and what follows the town itself dropped — an arrondissement ("Paris 18e Arrondissement",
// "Lyon 3", "Marseille 13ème arr.") and a "Cedex N" — so that the base's "Lyon 3e
// Arrondissement" and the typed "LYON CEDEX 03" both read "lyon".
QString TownKey(const QString& town);

// A street as typed or as the base names it: the kind of way ("rue", "boulevard"), spelt out
// from its usual abbreviations, and the words that name it, numbers written as digits
// ("Place des Cinq Martyrs" and "PL 5 MARTYRS" both read place / 5 martyrs).
struct StreetName {
    QString kind;      // empty when the text starts with no kind of way
    QStringList words; // the naming words, without "de", "la", "du"…
};
StreetName ReadStreetName(const QString& street);

// True when `typed` names the same street as `named` would: each word typed is one of the
// street's (or an abbreviation or a one-letter slip of it), at least half of the street's words
// are typed, and the kinds of way, when both say one, are the same.
bool SameStreet(const StreetName& typed, const StreetName& named);

// The street from its house number when something precedes it, as the address base's own
// query reading does (addok-france's extract_address): "Immeuble Plein-Centre 60, avenue du
// Centre" gives "60, avenue du Centre". A number counts only when a kind of way follows it.
QString FromHouseNumber(const QString& street);

// The house number that starts `street` ("10", "10 bis", "10B" give "10"); empty when none.
QString LeadingHouseNumber(const QString& street);
// `street` without its leading house number and what joins it ("10 bis, rue X" gives "rue X").
QString WithoutHouseNumber(const QString& street);

// The département a French postal code belongs to: its first two digits, three for the
// overseas ones (971…976), 2A/2B for Corsica's 200xx–201xx/202xx–206xx, and 977/978 for
// Saint-Barthélemy (97133) and Saint-Martin (97150), which kept Guadeloupe's codes.
QString DepartementOfPostcode(const QString& postcode);

} // namespace tarnel
