#pragma once

#include "addressfile/AddressColumns.h"

#include <QList>
#include <QString>
#include <optional>

namespace tarnel {

// One row of a finished result file, as the window lists it and adds it to the user's places.
struct ResultRow {
    qsizetype line = 0; // in the file, the header being line 1
    QString address;    // as the file wrote it, its parts joined
    QString status;     // "trouvée", "à vérifier", "introuvable", "erreur"
    std::optional<double> latitude;
    std::optional<double> longitude;
    QString label; // the address found
    QString remark;
};

// The rows of the result file at `output` (a table written by a batch, its added columns last)
// with their address read from `columns`. `error` says in French why it could not be read.
QList<ResultRow> ReadResultRows(const QString& output, const AddressColumns& columns,
                                QString& error);

} // namespace tarnel
