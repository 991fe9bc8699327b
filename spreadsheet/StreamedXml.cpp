#include "spreadsheet/StreamedXml.h"

namespace tarnel {

StreamedXml::StreamedXml(ZipArchive& zip, const QString& name)
    : zip_(zip)
    , name_(name) {
    fed_ = zip_.OpenStream(name);
}

QXmlStreamReader::TokenType StreamedXml::Next() {
    if (!fed_) {
        return QXmlStreamReader::Invalid;
    }
    for (;;) {
        const QXmlStreamReader::TokenType token = xml_.readNext();
        if (xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
            depth_ += token == QXmlStreamReader::StartElement ? 1 : 0;
            if (token == QXmlStreamReader::EndElement && --depth_ == 0) {
                rootClosed_ = true;
            }
            return token;
        }
        QByteArray chunk;
        if (!zip_.ReadChunk(chunk)) {
            // fed in pieces, the reader cannot tell the end of the bytes from a pause: the
            // document is whole once its root element has closed.
            return rootClosed_ && zip_.Error().isEmpty() ? QXmlStreamReader::EndDocument
                                                         : QXmlStreamReader::Invalid;
        }
        xml_.addData(chunk);
    }
}

QString StreamedXml::Error() const {
    if (!zip_.Error().isEmpty()) {
        return zip_.Error();
    }
    if (!fed_ || xml_.hasError() || !rootClosed_) {
        return QStringLiteral("Le classeur est endommagé : la partie « %1 » n'est pas un XML "
                              "lisible (%2).")
            .arg(name_, xml_.errorString());
    }
    return {};
}

} // namespace tarnel
