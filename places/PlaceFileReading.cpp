#include "places/PlaceFileReading.h"

namespace tarnel {

QStringList LeftAsideWarning(qsizetype count, const QString& one, const QString& many,
                             const QString& why) {
    if (count == 0)
        return {};
    const QString left = count == 1
                             ? QStringLiteral("1 %1 a été laissé de côté").arg(one)
                             : QStringLiteral("%1 %2 ont été laissés de côté").arg(count).arg(many);
    return {left + (why.isEmpty() ? QString() : u' ' + why) + u'.'};
}

} // namespace tarnel
