#pragma once

#include "addressfile/AddressBatch.h"
#include "ui/addressfile/ResultRows.h"

#include <QList>
#include <QObject>
#include <memory>
#include <thread>

namespace tarnel {

// One batch run for a window: the batch works on its own thread, a second one waits for its end
// and reads the result back; what they report reaches the window as signals on the runner's
// thread, queued, so that the window's thread never waits for the work.
class BatchRunner : public QObject {
    Q_OBJECT
public:
    // `request.columns` name the address read back; `services` are kept until the run ends.
    BatchRunner(BatchRequest request, std::shared_ptr<const BatchServices> services,
                QObject* parent = nullptr);
    // Cancels a run still going and waits for it; what it recorded stays in the journal.
    ~BatchRunner() override;

    void Start();
    void Pause() { batch_.Pause(); }
    void Resume() { batch_.Resume(); }
    void Cancel() { batch_.Cancel(); }

signals:
    // After every chunk, and when the batch paused itself (`progress.pause`).
    void Progressed(const tarnel::BatchProgress& progress);
    // Once, at the end: when the result was written, its rows (or why they could not be read
    // back, `readError`).
    void Ended(const tarnel::BatchEnd& end, const QList<tarnel::ResultRow>& rows,
               const QString& readError);

private:
    const BatchRequest request_;
    const std::shared_ptr<const BatchServices> services_;
    AddressBatch batch_;
    std::thread waiter_;
};

} // namespace tarnel
