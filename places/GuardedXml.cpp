#include "places/GuardedXml.h"

namespace tarnel {

GuardedXml::GuardedXml(const QByteArray& bytes, const QString& format)
    : xml_(bytes)
    , format_(format) {
    // Well below Qt's own bound: a place file has no use for declared entities at all.
    xml_.setEntityExpansionLimit(1024);
}

void GuardedXml::Refuse(const QString& problem) {
    if (problem_.isEmpty())
        problem_ = problem;
}

bool GuardedXml::Next() {
    while (problem_.isEmpty()) {
        switch (xml_.readNext()) {
        case QXmlStreamReader::DTD:
            if (!xml_.entityDeclarations().isEmpty() || !xml_.notationDeclarations().isEmpty())
                Refuse(QStringLiteral("Le fichier déclare des entités XML, ce qu'aucun fichier %1 "
                                      "ne fait : il n'a pas été lu, par prudence.")
                           .arg(format_));
            break;
        case QXmlStreamReader::EntityReference:
            Refuse(QStringLiteral("Le fichier fait appel à une entité XML inconnue (« %1 ») : il "
                                  "n'a pas été lu.")
                       .arg(xml_.name()));
            break;
        case QXmlStreamReader::StartElement:
            if (++depth_ > kMaxDepth) {
                Refuse(QStringLiteral("Les éléments du fichier sont imbriqués sur plus de %1 "
                                      "niveaux : ce n'est pas un fichier %2 ordinaire, il n'a pas "
                                      "été lu.")
                           .arg(kMaxDepth)
                           .arg(format_));
                break;
            }
            if (depth_ == 1 && xml_.name() != format_.toLower()) {
                Refuse(QStringLiteral("Ce fichier n'est pas un fichier %1 : son élément principal "
                                      "est « %2 ».")
                           .arg(format_, xml_.name()));
                break;
            }
            return true;
        case QXmlStreamReader::EndElement:
            --depth_;
            return true;
        case QXmlStreamReader::Characters:
            return true;
        case QXmlStreamReader::EndDocument:
            return false;
        case QXmlStreamReader::Invalid:
            Refuse(QStringLiteral("Le fichier n'est pas un fichier %1 lisible : son XML est "
                                  "incorrect à la ligne %2.")
                       .arg(format_)
                       .arg(xml_.lineNumber()));
            break;
        default:
            break;
        }
    }
    return false;
}

} // namespace tarnel
