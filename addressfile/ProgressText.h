#pragma once

#include "addressfile/BatchRun.h"

#include <QString>

namespace tarnel {

// `value` with French digit grouping ("12 345").
QString FrenchNumber(qsizetype value);

// A duration for the user: "42 s", "3 min 5 s", "2 h 10 min".
QString DurationText(qint64 seconds);

// Where a batch stands, as the command line and the window say it: "120 / 5 000 lignes — 40
// lignes/s — reste environ 2 min 0 s", the speed and the time left only once known.
QString ProgressText(const BatchProgress& progress);

} // namespace tarnel
