#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace tarnel {

// A decimal number of a place file ("48.85", "-1.5e1", "+2"): finite and within ±`limit`;
// nothing otherwise (NaN, infinity, blanks inside, a comma).
std::optional<double> ReadFileNumber(QStringView text, double limit);

// The French sentence refusing a file whose point number `index` (from 1) has a latitude or a
// longitude that is not a number in range; `text` shows what the file holds.
QString OutOfRangeProblem(qsizetype index, const QString& text);

} // namespace tarnel
