#pragma once

#include "addressfile/RowOutcome.h"
#include "geocoding/Geocoder.h"

#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <optional>
#include <utility>

namespace tarnel {

// The outcome of every row of a file done so far, kept in an SQLite file so that a run cut
// short by a quit, a crash or a power cut goes on where it stopped: rows are recorded a chunk at
// a time, each chunk in one transaction written through to the disk, so that a row is either
// done and kept or still to do, never half. Used from one thread, the one that opened it.
class BatchJournal {
public:
    // Opens the journal file at `path`, made with its folder when missing; Error() says why it
    // could not be.
    explicit BatchJournal(const QString& path);
    ~BatchJournal();
    BatchJournal(const BatchJournal&) = delete;
    BatchJournal& operator=(const BatchJournal&) = delete;

    // In French, for the user; empty while all is well.
    QString Error() const { return error_; }

    // Takes up the work on the file `input` (an absolute path) as it is now (`size` bytes,
    // modified at `modified` in ms since the epoch): the rows already done when the same file
    // was left unfinished, none when it changed since or when `restart` asks to start again.
    bool Begin(const QString& input, qint64 size, qint64 modified, bool restart);

    // How many rows of the file `input` (as for Begin) a run left unfinished has done; 0 when
    // none was left, or the file changed since. Changes nothing.
    qsizetype RowsLeftDone(const QString& input, qint64 size, qint64 modified);

    // The rows done, by their index among the data rows.
    QSet<qsizetype> DoneRows();

    // Records the outcomes of `rows` (index, outcome) together.
    bool Record(const QList<std::pair<qsizetype, RowOutcome>>& rows);

    // Up to `most` rows found whose altitude the service has not answered yet, in their order,
    // with their points.
    QList<std::pair<qsizetype, Place>> PointsWithoutAltitude(qsizetype most);
    // Records the altitudes the service answered for `rows` (none: it has none for the point).
    bool RecordAltitudes(const QList<std::pair<qsizetype, std::optional<double>>>& rows);

    // The outcomes in the order of their rows, one at a time: starts from the first.
    bool StartReading();
    // The next outcome with its row index; nullopt at the end.
    std::optional<std::pair<qsizetype, RowOutcome>> NextOutcome();

    // The file is done: its rows are forgotten.
    bool Finish();

private:
    bool Fail(const QString& what);

    QString connection_;
    QString error_;
    qint64 job_ = -1;
    std::optional<QSqlQuery> reading_;
};

} // namespace tarnel
