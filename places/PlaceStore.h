#pragma once

#include "places/SavedPlace.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace tarnel {

// What came of a write: done, or the French sentence that says why nothing was changed.
struct StoreOutcome {
    bool done = false;
    QString problem;
};

// The user's places, kept across runs in an SQLite file. Every write is one transaction taken
// before it starts (BEGIN IMMEDIATE), so a crash, a kill or a full disk leaves the list as it was
// before the write; the file is in WAL mode and waits for another program's write (busy
// timeout), so two programs writing at once both get their places in.
//
// One store is one connection: use it only in the thread that made it (a worker thread makes
// its own store on the same path).
class PlaceStore {
public:
    // The version of the file's layout (PRAGMA user_version) this program writes.
    static constexpr int kSchemaVersion = 1;

    // The file in the user's data folder (QStandardPaths::AppDataLocation), "places.sqlite".
    static QString DefaultPath();

    explicit PlaceStore(const QString& path);
    ~PlaceStore();
    PlaceStore(const PlaceStore&) = delete;
    PlaceStore& operator=(const PlaceStore&) = delete;

    const QString& Path() const { return path_; }

    // Opens the file, making it and its folder when missing. Refused, the file untouched, when it
    // is damaged, not a list of places, or made by a later version. Every other call needs it;
    // once open, calling it again does nothing, and a refused Open may be tried again.
    StoreOutcome Open();

    // Adds the place, its coordinates on Earth; gives it its id and, when it has none, the
    // time it was added (now, UTC).
    StoreOutcome Add(SavedPlace& place);

    // Adds all the places in one transaction: all of them or none. `progress`, when given, is
    // told how many are in so far and stops the whole import (none added) by returning false.
    StoreOutcome AddAll(QList<SavedPlace>& places,
                        const std::function<bool(qsizetype added)>& progress = {});

    // Change one place; refused when it is no longer in the list.
    StoreOutcome Rename(qint64 id, const QString& name);
    StoreOutcome EditNote(qint64 id, const QString& note);
    StoreOutcome Remove(qint64 id);

    // Puts back a removed place as it was, under its id (undo of Remove).
    StoreOutcome Restore(const SavedPlace& place);

    std::optional<SavedPlace> Find(qint64 id) const;

    // The places sorted by name (accents and case aside, then by id), only those whose name,
    // address or note holds every word of `filter` (accents and case aside). Empty when the file
    // cannot be read.
    QList<SavedPlace> List(const QString& filter = {}) const;

    qsizetype Count() const;

private:
    StoreOutcome Write(const std::function<QString()>& body);
    QString Insert(const SavedPlace& place);
    StoreOutcome Update(qint64 id, const QString& column, const QString& value);

    QString path_;
    QString connection_;
    bool open_ = false;
};

} // namespace tarnel
