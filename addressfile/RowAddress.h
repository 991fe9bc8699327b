#pragma once

#include "addressfile/AddressColumns.h"
#include "geocoding/AddressQuery.h"
#include "spreadsheet/Cell.h"

#include <QString>

namespace tarnel {

// The address of one row of a file, ready to be looked up.
struct RowAddress {
    AddressQuery typed;
    // Why the row cannot be looked up as it is, in French: a bad row (an address part of
    // more than kLongestPart characters, characters that are no text), to be kept as it is and
    // marked as an error. Empty for a row that can be.
    QString badRow;
    // Why nothing can be looked up, in French (no address, a country no one knows); empty
    // when something can.
    QString nothingToAsk;
    // Outside France: looked up in OpenStreetMap rather than in the French address base.
    bool world = false;
};

// An address part longer than this is no address.
inline constexpr qsizetype kLongestPart = 1000;

// Reads the address that `columns` point at in `row`: number and street joined (the
// complement standing in for a missing street), the postal code as PostalCodeText gives it,
// the town, and the country, France when the cell is empty; or the full address column,
// completed by the postal code and town columns when it lacks them.
RowAddress ReadRowAddress(const Row& row, const AddressColumns& columns);

} // namespace tarnel
