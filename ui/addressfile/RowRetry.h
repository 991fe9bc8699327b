#pragma once

#include "addressfile/AddressColumns.h"
#include "addressfile/BatchRun.h"
#include "addressfile/RowOutcome.h"

#include <QObject>
#include <QString>
#include <memory>
#include <thread>

namespace tarnel {

// One row of a finished result asked again with an address the user corrected, on a thread of
// its own: looked up alone (in France, or abroad when the row names another country) and
// decided by the same rule as in the batch, then its added columns rewritten in the result file,
// atomically, every other cell kept. The input file is not touched.
class RowRetry : public QObject {
    Q_OBJECT
public:
    // Asks `address` for the row at `line` (the header being line 1) of the result `output`,
    // whose country, if any, is in `columns.country`; `services` are kept until it ends.
    RowRetry(const QString& output, qsizetype line, const QString& address,
             const AddressColumns& columns, std::shared_ptr<const BatchServices> services,
             QObject* parent = nullptr);
    // Waits for the lookup, cancelled, and the writing to end.
    ~RowRetry() override;

signals:
    // The row's new outcome once written; or, when the result was left as it was, `problem`
    // in French.
    void Done(qsizetype line, const tarnel::RowOutcome& outcome, const QString& problem);

private:
    const std::shared_ptr<const BatchServices> services_;
    std::thread thread_;
};

} // namespace tarnel
