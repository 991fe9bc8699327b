#include "addressfile/ChunkCsv.h"

namespace tarnel {

namespace {

void AppendQuoted(QByteArray& csv, const QString& text) {
    csv += '"';
    csv += text.toUtf8().replace('"', "\"\"");
    csv += '"';
}

} // namespace

QByteArray ChunkCsv(const QList<ChunkRow>& rows, bool withCityCode) {
    QByteArray csv = QByteArray(kChunkIdColumn) + ',' + kChunkQueryColumn;
    if (withCityCode) {
        csv += QByteArray(",") + kChunkCityCodeColumn;
    }
    csv += '\n';
    for (const ChunkRow& row : rows) {
        csv += QByteArray::number(row.index) + ',';
        AppendQuoted(csv, row.query);
        if (withCityCode) {
            csv += ',';
            AppendQuoted(csv, row.cityCode);
        }
        csv += '\n';
    }
    return csv;
}

} // namespace tarnel
