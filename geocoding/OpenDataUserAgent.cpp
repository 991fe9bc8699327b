#include "geocoding/OpenDataUserAgent.h"

#include "core/ProgramInfo.h"

namespace tarnel {

QByteArray OpenDataUserAgent(const QString& contact) {
    QString kept;
    for (const QChar c : contact.trimmed()) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'(' && c != u')') {
            kept += c;
        }
    }
    const QString extra = kept.isEmpty() ? QString() : QStringLiteral("; ") + kept;
    return QStringLiteral("%1/%2 (+%3%4)")
        .arg(kProgramTitle, kVersionText, kMakerWebSite, extra)
        .toLatin1();
}

} // namespace tarnel
