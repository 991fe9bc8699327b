#pragma once

#include "geocoding/AddressQuery.h"

#include <QJsonObject>

namespace tarnel {

// How one feature of the French address base's answer fits what was typed. The base nearly
// always answers with its closest guesses, and its score reads how alike the texts are, not
// whether the place is the one typed. Recorded answers show it: the town alone ("Paris" →
// "Paris 18e Arrondissement", 75018) scores 0.21; the right house typed with abbreviations
// ("10 PL 5 MARTYRS LYCEE BUFFON", 75015) 0.52; a right street of Saint-Barthélemy, which has no
// `postcode` member, 0.68; the documented example "8 bd du port" gives five boulevards in five
// towns at 0.48–0.49; "Meaux" gives the town at 0.95 and streets named Meaux in four other
// towns at 0.94. So each member of the feature is compared with what was typed, and the score
// only orders the features that fit alike:
// - the town typed must be the feature's (`city`, `municipality`, `oldcity`, `district`, or the
//   `name` of a town's own feature), compared by TownKey, so that "Lyon 3e Arrondissement" is
//   Lyon; a feature in another town is never taken, whatever its codes: `citycode` (INSEE) is
//   never compared with a postal code, the two share their digits (in La Réunion both are
//   974xx and differ for one town);
// - the postal code typed must be the feature's `postcode`; another one of the town typed and
//   its département is taken below it (a long street crosses postal codes), but never another
//   arrondissement; a feature without `postcode` fits by its département, read from `context`
//   ("977, Saint-Barthélemy", whose postal code 97133 kept Guadeloupe's digits); a CEDEX code is
//   no place's code, only its département is compared;
// - a street typed must be the feature's `street` (or `name`) by SameStreet, so that "PL", "BD",
//   "AV", "CHE", "ST" and numbers in digits read as the labels write them, while "Metro Kleber",
//   a locality, is not "20 avenue Kléber"; a house number typed must be the feature's
//   `housenumber` (a street's own feature stands for a house the base lacks); a town's own
//   feature fits only when no street was typed, and then only a town's own feature does.
// Features that fit at the same level and that nothing typed tells apart are all given, the
// best first, for the page to list.
struct FeatureFit {
    bool fits = false;
    // What the feature confirms of what was typed: 4 the house, 2 the street, 0 the town; plus
    // 1 when its postal code is the one typed. Features of the same level fit equally well.
    int level = 0;
};

FeatureFit FitFeature(const QJsonObject& properties, const AddressQuery& typed);

} // namespace tarnel
