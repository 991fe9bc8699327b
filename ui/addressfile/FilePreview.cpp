#include "ui/addressfile/FilePreview.h"

#include "spreadsheet/TableFile.h"

namespace tarnel {

FilePreview ReadFilePreview(const QString& path, qsizetype most) {
    FilePreview preview;
    const OpenedTable table = OpenTableFile(path);
    if (!table.reader) {
        preview.error = table.error;
        return preview;
    }
    if (!table.reader->NextRow(preview.header)) {
        preview.error = table.reader->Error();
        return preview;
    }
    Row row;
    while (preview.rows.size() < most && table.reader->NextRow(row)) {
        preview.rows.append(row);
    }
    preview.error = table.reader->Error();
    preview.recognised = RecogniseAddressColumns(preview.header);
    return preview;
}

} // namespace tarnel
