#pragma once

#include <QString>
#include <QStringList>

namespace tarnel {

// An address query as the program sends it: "street, city, country, zip" with every part
// present (the address window: ",+,+FRANCE,+75004") or with the empty parts left out (the
// main window: "1 rue X,+Paris,+75001").
struct AddressQuery {
    // Where the address should be looked up first.
    enum class Region {
        France,       // the country part says France, or is known to be empty beside a French zip
        LikelyFrance, // no country part can be told apart, but a five-digit postal code is there
        World,
    };

    QStringList parts; // the non-empty parts, trimmed, in the order sent
    Region region = Region::World;

    // The parts joined by ", ", for a geocoder that covers the whole world.
    QString WorldText() const;
    // The same without the country when it is France, for a geocoder that covers France only.
    QString FranceText() const;
};

// Splits a decoded query value on ",", trims the parts and drops the empty ones. The country
// is France when a part reads "france" in any case; or when the four parts are all there and
// the country is empty while the postal code has five digits. With fewer than four parts the
// country cannot be placed, so a five-digit part only makes France likely.
AddressQuery ParseAddressQuery(const QString& text);

} // namespace tarnel
