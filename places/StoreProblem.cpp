#include "places/StoreProblem.h"

#include <QDir>

namespace tarnel {

namespace {

// SQLite's primary result codes (sqlite3.h); the driver gives them, possibly extended, as text.
constexpr int kPermission = 3;
constexpr int kBusy = 5;
constexpr int kLocked = 6;
constexpr int kReadOnly = 8;
constexpr int kInputOutput = 10;
constexpr int kCorrupt = 11;
constexpr int kFull = 13;
constexpr int kCannotOpen = 14;
constexpr int kNotADatabase = 26;

} // namespace

QString DamagedStoreText(const QString& path) {
    return QStringLiteral("Le fichier de mes lieux « %1 » est endommagé ou n'est pas une liste de "
                          "lieux : il est laissé tel quel.")
        .arg(QDir::toNativeSeparators(path));
}

QString StoreProblemText(const QSqlError& error, const QString& path) {
    const QString file = QDir::toNativeSeparators(path);
    const QString kept = QStringLiteral(" La liste reste telle qu'elle était.");
    switch (error.nativeErrorCode().toInt() & 0xFF) {
    case kFull:
    case kInputOutput:
        return QStringLiteral("Mes lieux n'ont pas pu être enregistrés : le disque est plein ou "
                              "le fichier « %1 » ne peut plus grandir.")
                   .arg(file) +
               kept;
    case kReadOnly:
    case kPermission:
    case kCannotOpen:
        return QStringLiteral("Mes lieux n'ont pas pu être enregistrés : le fichier « %1 » ou son "
                              "dossier est en lecture seule.")
                   .arg(file) +
               kept;
    case kCorrupt:
    case kNotADatabase:
        return DamagedStoreText(path);
    case kBusy:
    case kLocked:
        return QStringLiteral("Mes lieux sont occupés par un autre programme depuis trop "
                              "longtemps : réessayez dans un instant.") +
               kept;
    default:
        return QStringLiteral("Mes lieux n'ont pas pu être lus ou enregistrés (SQLite : %1).")
                   .arg(error.text()) +
               kept;
    }
}

} // namespace tarnel
