#pragma once

#include <QString>

namespace tarnel {

// The ISO 3166 code, in lower case ("de"), of the country a user typed, by its name in French,
// in English or in the country's own languages ("Allemagne", "Germany", "Deutschland"), as
// ICU's locale data spells them, compared without regard to case, accents or punctuation.
// `codesToo` also takes the two- and three-letter codes ("DE", "DEU"), for text known to stand
// where the country goes. Empty when no country has that name.
QString CountryCode(const QString& name, bool codesToo);

// True for France and for the overseas places whose addresses France's address base holds
// (Guadeloupe, Martinique, Guyane, La Réunion, Mayotte, Saint-Pierre-et-Miquelon,
// Saint-Barthélemy, Saint-Martin), which ISO 3166 codes apart from France.
bool IsFrenchCode(const QString& code);

// The codes a geocoder may give a place of the country `code`: France's places may come under
// "fr" or under their overseas code, so "fr" and every overseas code stand for one another.
QString CountryFamily(const QString& code);

} // namespace tarnel
