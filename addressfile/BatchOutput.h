#pragma once

#include "addressfile/BatchJournal.h"
#include "spreadsheet/Cell.h"
#include "spreadsheet/TableDialect.h"

#include <QString>
#include <array>

namespace tarnel {

// The columns a batch adds on request, after the others and in this order.
struct ExtraColumns {
    bool altitude = false; // "altitude", in metres, of the rows found
    bool cityCode = false; // "code_insee", the INSEE code of the commune found
};

// Appends to `row` the cells a result gives a row of `outcome`: latitude, longitude, statut,
// adresse_trouvee, precision, source and remarque, then those of `extra`.
void AppendOutcomeCells(Row& row, const RowOutcome& outcome, const ExtraColumns& extra);

// Writes the result of a batch: the table `input`, of `dialect`, read again row by row, each row
// padded to `width` cells and followed by the columns latitude, longitude (numbers), statut,
// adresse_trouvee, precision, source and remarque of its outcome in `journal` (a row without
// one is marked as an error), then those of `extra`, in the input's format and dialect,
// atomically to `output`.
// Counts the outcomes written by RowStatus into `counts`. Returns the reason it failed, in
// French; empty when the whole table was written.
QString WriteBatchOutput(const QString& input, const TableDialect& dialect, const QString& output,
                         qsizetype width, const ExtraColumns& extra, BatchJournal& journal,
                         std::array<qsizetype, 4>& counts);

// Where the result of `input` is written by default: beside it, "-geocode" added to its name
// ("clients.csv" → "clients-geocode.csv"), ".csv" when it has no extension.
QString DefaultOutputPath(const QString& input);

} // namespace tarnel
