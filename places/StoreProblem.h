#pragma once

#include <QSqlError>
#include <QString>

namespace tarnel {

// The French sentence that tells the user why the list of places at `path` could not be read or
// written after SQLite answered `error`: full disk, read-only file or folder, damaged file,
// another program holding it too long, or any other error with SQLite's own words. Each says
// that the list stays as it was.
QString StoreProblemText(const QSqlError& error, const QString& path);

// The sentence of a file at `path` that is damaged or not a list of places.
QString DamagedStoreText(const QString& path);

} // namespace tarnel
