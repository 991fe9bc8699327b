#pragma once

#include "addressfile/AddressColumns.h"
#include "addressfile/BatchControl.h"
#include "addressfile/BatchJournal.h"
#include "addressfile/BatchOutput.h"
#include "addressfile/ChunkCsv.h"
#include "addressfile/RowOutcome.h"
#include "geocoding/AddressQuery.h"
#include "geocoding/AltitudeBatch.h"
#include "geocoding/Geocoder.h"
#include "geocoding/GeoplateformeCsvSearch.h"
#include "spreadsheet/TableDialect.h"

#include <QElapsedTimer>
#include <QList>
#include <QSet>
#include <QString>
#include <array>
#include <functional>
#include <future>
#include <memory>
#include <optional>

namespace tarnel {

// Rows sent to the CSV geocoding at once: far inside its 200,000 rows and 50 MB, small enough
// that a failure costs little, progress shows and a chunk's answer, held whole while it is
// weighed, stays near a megabyte; large enough that a file of 10,000 rows takes ten requests.
inline constexpr qsizetype kChunkRows = 1000;

// What a batch is asked to do.
struct BatchRequest {
    QString input;                         // the file of addresses, only read
    QString output;                        // where the result is written; never the input
    QString journal;                       // the SQLite file where progress is kept
    bool restart = false;                  // forget an unfinished run of the same file
    std::optional<AddressColumns> columns; // recognised from the header when not given
    qsizetype chunkRows = kChunkRows;
    ExtraColumns extra;
    QString points; // where the rows found are also written, GPX, KML or GeoJSON by its
                    // extension (FormatOfFileName); empty for none
};

// Who is asked; a service left null is turned off.
struct BatchServices {
    GeoplateformeCsvSearch* csv = nullptr; // French rows, a chunk at a time
    Geocoder* france = nullptr;            // French rows the CSV answer does not settle
    Geocoder* world = nullptr;             // rows outside France
    AltitudeBatch* altitude = nullptr;     // the altitudes of the rows found, when asked
};

struct BatchProgress {
    qsizetype rows = 0;                // data rows of the file
    qsizetype done = 0;                // rows decided, an earlier run's included
    qsizetype resumed = 0;             // rows an earlier run had decided
    std::array<qsizetype, 4> counts{}; // by RowStatus: this run's, then the whole file's at the end
    double rowsPerSecond = 0;
    std::optional<qint64> secondsLeft; // rows abroad count a second each (Nominatim's turns)
    QString pause; // why the batch paused itself, in French; empty while it runs
    // The rows decided and kept since the report before: their lines in the file (the header
    // being line 1) and outcomes.
    QList<std::pair<qsizetype, RowOutcome>> decided;
};

struct BatchEnd {
    bool written = false;
    bool cancelled = false;
    QString error; // in French: why nothing was written
    BatchProgress progress;
    double seconds = 0;
};

using BatchProgressHandler = std::function<void(const BatchProgress&)>;

// One run of a batch over a file, on the calling thread: reads the table (three times, row by
// row, so that memory stays bounded: counting, geocoding, writing), decides every row still
// to do, keeping each chunk's outcomes in the journal, then writes the result: every input row
// in its order, padded to the widest row, with the columns latitude, longitude, statut,
// adresse_trouvee, precision, source and remarque added, and the rows found as points when
// asked (WriteBatchPoints). French rows go a chunk at a time to
// the CSV geocoding, each answer weighed by DecideCsvRow; rows the answer leaves out are sent
// again twice, then asked alone with those it does not settle (DecideAlone). Once a chunk is
// answered, the next one is sent on a thread of its own while the answer is weighed and
// committed, so that this work hides behind the service's: one chunk ahead, no more, and the
// journal written on the calling thread only. Asked for, the
// altitudes of the rows found are then fetched, kMostPoints at a time, and kept in the journal
// too. A service that cannot be reached, or keeps refusing, pauses the batch until it is
// resumed.
class BatchRun {
public:
    BatchRun(const BatchRequest& request, const BatchServices& services, BatchControl& control,
             BatchProgressHandler onProgress);

    BatchEnd Execute();

private:
    struct FrenchRow {
        qsizetype index;
        AddressQuery typed;
        ChunkRow sent;
    };

    // French rows sent together, and the answer of their request while it is in flight.
    struct Chunk {
        QList<FrenchRow> rows;
        std::future<HttpAnswer> answer;
    };

    bool Prepare();
    bool Geocode();
    bool AskChunk(Chunk& ahead, QList<FrenchRow> rows);
    bool SendChunk(Chunk& chunk, Chunk& next, QList<std::pair<FrenchRow, QString>>& alone);
    void SendAhead(Chunk& next);
    std::future<HttpAnswer> Send(const QList<FrenchRow>& rows) const;
    std::optional<RowOutcome> AskAlone(Geocoder* geocoder, const AddressQuery& typed,
                                       const QString& source, const QString& rejected);
    void Decide(qsizetype index, const RowOutcome& outcome);
    bool AddAltitudes();
    bool Commit();
    bool Write();
    bool PauseBecause(const QString& reason);
    void Report();
    bool Fail(const QString& message);

    const BatchRequest& request_;
    const BatchServices& services_;
    BatchControl& control_;
    BatchProgressHandler onProgress_;
    std::unique_ptr<BatchJournal> journal_;
    AddressColumns columns_;
    qsizetype width_ = 0;
    TableDialect dialect_; // as the first reading found it, for the readings after it
    QSet<qsizetype> done_;
    QList<std::pair<qsizetype, RowOutcome>> decided_;
    QList<std::pair<qsizetype, RowOutcome>> unreported_; // kept, not reported yet
    QList<std::pair<qsizetype, AddressQuery>> world_;
    qsizetype worldDone_ = 0;
    BatchProgress progress_;
    qsizetype doneThisRun_ = 0;
    QElapsedTimer clock_;
    QString error_;
};

} // namespace tarnel
