#pragma once

#include "mapservice/AddressQuery.h"

#include <QJsonObject>

namespace tarnel {

// How one feature of the French address base's answer fits what was typed. The base nearly
// always answers with its closest guesses, and its score reads how alike the texts are, not
// whether the place is the one typed: a town and its postal code alone score 0.2–0.6, a house
// typed with abbreviations ("10 PL 5 MARTYRS LYCEE BUFFON") about 0.5, five namesake
// boulevards in five towns ("8 bd du port") all 0.48–0.49. So the feature's own members are
// compared with each thing typed, and the score only orders features that fit alike:
// - the town typed must be the feature's (`city`, `municipality`, `oldcity`, `district`, or
//   `name` of a town), compared by TownKey, so "Lyon 3e Arrondissement" is Lyon and a feature in
//   another town is never taken, whatever its codes (in La Réunion postal codes and INSEE codes
//   are both 974xx and differ for one town: `citycode` is never compared with a postal code);
// - the postal code typed must be the feature's `postcode`; another one of the same town and
//   département is taken below it (a long street crosses postal codes); a feature without a
//   `postcode` (Saint-Barthélemy, Saint-Martin) fits by its département, read from `context`;
//   a CEDEX code is no place's code, only its département is compared;
// - a street typed must be the feature's `street` (or `name`) by SameStreet, so that "PL",
//   "BD", "CHE", "ST" and numbers in digits read as the labels write them, and a house number
//   typed must be the feature's `housenumber`; a town's own feature fits only when no street
//   was typed, and then only a town's feature does.
struct FeatureFit {
    bool fits = false;
    // What the feature confirms of what was typed: 4 the house, 2 the street, 0 the town; plus
    // 1 when its postal code is the one typed. Features of the same level fit equally well.
    int level = 0;
};

FeatureFit FitFeature(const QJsonObject& properties, const AddressQuery& typed);

} // namespace tarnel
