#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace tarnel {

// Whether an XLSX number format shows its number as a date or a time: the built-in formats
// 14 to 22 and 45 to 47, or a format code with day, year, hour or second letters outside its
// quoted texts and [brackets].
bool IsDateFormat(int numberFormatId, QStringView formatCode);

// The day (and time) of `serial` in an XLSX date system (days since 1899-12-30, or since
// 1904-01-01 when `from1904`), as a French user reads it: "05/03/2024", "05/03/2024 14:30",
// "14:30:05" for a time alone. Nothing for a serial outside years 1 to 9999.
std::optional<QString> ExcelDateText(double serial, bool from1904);

} // namespace tarnel
