#pragma once

#include <QString>

namespace tarnel {

// An address query as the program sends it: "street, city, country, zip" with every part
// present (the address window: " ,  , FRANCE, 75004") or with the empty parts left out (the
// main window: "1 rue X, Paris, 75001", "Lyon, 69003"), read into its parts.
struct AddressQuery {
    // Where the address should be looked up first.
    enum class Region {
        France,       // the country typed is France or one of its overseas places
        LikelyFrance, // no country typed, but a five-digit postal code
        World,
    };

    QString street;      // house number and street, cleaned of postal boxes and Cedex
    QString town;        // cleaned likewise
    QString country;     // as typed
    QString countryCode; // ISO 3166 code in lower case; empty when no country was typed
    QString code;        // the postal code as typed, blanks between digits removed ("75001")
    QString postcode;    // the French postal code places are compared with; empty for Cedex
    QString departement; // the département of a French or Cedex code ("75", "2A", "974")
    Region region = Region::World;
    // Why the text cannot be looked up, a French sentence for the page; empty when it can.
    QString problem;

    // True when nothing but perhaps a country was typed.
    bool IsBare() const { return street.isEmpty() && town.isEmpty() && code.isEmpty(); }
    // The address as the geocoders read it back with ParseAddressQuery: all four parts.
    QString Text() const;
};

// Reads a decoded query value. Four parts (or more, the street holding commas) whose last, the
// postal code, is empty or holds a digit are the four boxes; otherwise the empty boxes were left
// out: the last part is the postal code when it is made of digits, the one before it the
// country when it names one (a name or code of three letters or fewer only after other parts:
// "Lux" alone is a town), and of what is left the last is the town and the rest the street — a
// lone part is the street when it starts with a house number or a kind of way ("rue", "bd"),
// the town otherwise. A house number typed apart ("10, rue X") is put back before its street,
// what precedes a house number and its kind of way is dropped ("Centre social 3 rue du
// Laurier"), and a postal code typed with the town ("75001 Paris") or after the street is
// taken out. The country is France when it names France or an overseas place of France's
// address base; without a country, a five-digit code makes France likely. Problems: nothing but
// punctuation, a country no one knows, a postal code of other than five digits for France, of
// four or six digits without a country.
AddressQuery ParseAddressQuery(const QString& text);

} // namespace tarnel
