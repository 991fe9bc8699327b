#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace tarnel {

// The columns of the CSV file sent for a chunk of rows: each row's index, the text to look up
// and, where the file has them, the INSEE code of the commune, which narrows the search.
// None is named like the coordinates (latitude, lat, lon…), which the service would take for
// a point to search around.
inline constexpr auto kChunkIdColumn = "tarnel_id";
inline constexpr auto kChunkQueryColumn = "adresse";
inline constexpr auto kChunkCityCodeColumn = "code_insee";

struct ChunkRow {
    qsizetype index = 0;
    QString query;
    QString cityCode;
};

// The chunk as UTF-8 CSV with commas and LF line ends, a header row first, every text field
// quoted; the INSEE code column only when `withCityCode`.
QByteArray ChunkCsv(const QList<ChunkRow>& rows, bool withCityCode);

} // namespace tarnel
