#include "ui/addressfile/BatchRunner.h"

#include <utility>

namespace tarnel {

BatchRunner::BatchRunner(BatchRequest request, std::shared_ptr<const BatchServices> services,
                         QObject* parent)
    : QObject(parent)
    , request_(request)
    , services_(std::move(services))
    , batch_(std::move(request), *services_, [this](const BatchProgress& progress) {
        QMetaObject::invokeMethod(
            this, [this, progress] { emit Progressed(progress); }, Qt::QueuedConnection);
    }) {
}

BatchRunner::~BatchRunner() {
    if (waiter_.joinable()) {
        batch_.Cancel();
        waiter_.join();
    }
}

void BatchRunner::Start() {
    batch_.Start();
    waiter_ = std::thread([this] {
        const BatchEnd end = batch_.Wait();
        QList<ResultRow> rows;
        QString readError;
        if (end.written) {
            rows = ReadResultRows(request_.output, request_.columns.value_or(AddressColumns{}),
                                  readError);
        }
        QMetaObject::invokeMethod(
            this, [this, end, rows, readError] { emit Ended(end, rows, readError); },
            Qt::QueuedConnection);
    });
}

} // namespace tarnel
