#pragma once

#include "spreadsheet/ZipArchive.h"

#include <QString>
#include <QXmlStreamReader>

namespace tarnel {

// Pulls the XML of one zip member token by token, feeding QXmlStreamReader a chunk at a time
// so that a sheet of any size is parsed in bounded memory.
class StreamedXml {
public:
    // Starts on member `name` of `zip`; Error() tells when it cannot be opened.
    StreamedXml(ZipArchive& zip, const QString& name);

    // The next token; EndDocument at the end, Invalid on a fault (Error() then tells it).
    QXmlStreamReader::TokenType Next();

    const QXmlStreamReader& Xml() const { return xml_; }
    QString Error() const;

private:
    ZipArchive& zip_;
    QXmlStreamReader xml_;
    QString name_;
    bool fed_ = false;
    int depth_ = 0;
    bool rootClosed_ = false;
};

} // namespace tarnel
