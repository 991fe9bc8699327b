#pragma once

#include <QList>
#include <QString>

namespace tarnel {

// One cell of a table, as the file held it.
struct Cell {
    enum class Kind {
        Text,        // a CSV field or a text cell, written back exactly
        Number,      // `text` is a plain number with a full stop ("1140", "48.8566"), written
                     // as a number where the format has them, with the file's decimal mark
        ForeignText, // text from outside (a service's answer), written so that no spreadsheet
                     // can take it for a formula
    };

    QString text;
    Kind kind = Kind::Text;

    friend bool operator==(const Cell&, const Cell&) = default;
};

// The cells of one row, from the first column on; a row may be shorter than its neighbours.
using Row = QList<Cell>;

} // namespace tarnel
