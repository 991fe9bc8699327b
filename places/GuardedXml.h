#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

namespace tarnel {

// A QXmlStreamReader over bytes from outside that refuses, with a French sentence, a document
// whose root element is not the format's name in lower case ("gpx", "kml"), and what a place
// file never needs and a hostile one uses: a document type declaring entities (expansion bombs,
// external entities, which QXmlStreamReader would otherwise leave unresolved or expand up to its
// own limit), and elements nested deeper than kMaxDepth.
class GuardedXml {
public:
    static constexpr int kMaxDepth = 64;

    // `format` names the format in the sentences ("GPX", "KML").
    GuardedXml(const QByteArray& bytes, const QString& format);

    // The next start or end element or text; false at the end of the document or when it was
    // refused (Problem() then says why).
    bool Next();

    QXmlStreamReader& Xml() { return xml_; }

    // Depth of the current element, the root being 1.
    int Depth() const { return depth_; }

    // Empty, or why the document was refused.
    const QString& Problem() const { return problem_; }

    // Refuses the document with `problem` (a reader's own finding).
    void Refuse(const QString& problem);

private:
    QXmlStreamReader xml_;
    QString format_;
    QString problem_;
    int depth_ = 0;
};

} // namespace tarnel
