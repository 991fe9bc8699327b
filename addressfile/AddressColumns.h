#pragma once

#include "spreadsheet/Cell.h"

#include <QString>
#include <QStringView>

namespace tarnel {

// The columns of a table that hold the parts of an address, by zero-based index; -1 when the
// table has no such column.
struct AddressColumns {
    qsizetype number = -1;
    qsizetype street = -1;
    qsizetype complement = -1;
    qsizetype postcode = -1;
    qsizetype city = -1;
    qsizetype country = -1;
    qsizetype cityCode = -1;    // the INSEE code of the commune
    qsizetype fullAddress = -1; // the whole address in one column

    // Whether there is something to look for: a full address, a street, a postal code or a
    // town.
    bool Usable() const;

    friend bool operator==(const AddressColumns&, const AddressColumns&) = default;
};

// The address columns a header row names, in French or English ("N°", "Numéro", "number";
// "Rue", "Voie", "Adresse", "street"; "Complément"; "Code postal", "CP", "zip"; "Ville",
// "Commune", "city"; "Pays", "country"; "Code INSEE"; "Adresse complète"), accents, case,
// blanks and punctuation ignored; the first column of each kind is taken. A lone "Adresse"
// column, with neither postal code nor town beside it, is taken for the full address. Names
// of other things that start like an address part ("Adresse e-mail", "Téléphone") are not
// taken.
AddressColumns RecogniseAddressColumns(const Row& header);

// `header` as compared: without accents, in lower case, letters and digits only ("N° de
// voie" → "ndevoie").
QString NormalisedHeader(QStringView header);

// The postal code in `cell` as it is written on a letter: a code a spreadsheet stored as a
// number gets back its leading zero ("1140", "1140.0" or "1140,0" → "01140"); any other text
// is only trimmed.
QString PostalCodeText(const Cell& cell);

} // namespace tarnel
