#include "spreadsheet/TableReader.h"

namespace tarnel {

bool TableReader::NextRow(Row& row) {
    row.clear();
    if (!error_.isEmpty()) {
        return false;
    }
    if (ReadRow(row)) {
        anyRow_ = true;
        return true;
    }
    row.clear();
    if (!anyRow_ && error_.isEmpty()) {
        Fail(QStringLiteral("Le fichier ne contient aucune ligne."));
    }
    return false;
}

bool TableReader::Fail(const QString& message) {
    if (error_.isEmpty()) {
        error_ = message;
    }
    return false;
}

} // namespace tarnel
