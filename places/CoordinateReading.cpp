#include "places/CoordinateReading.h"

#include <QLocale>
#include <cmath>

namespace tarnel {

std::optional<double> ReadFileNumber(QStringView text, double limit) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > limit)
        return std::nullopt;
    return value;
}

QString OutOfRangeProblem(qsizetype index, const QString& text) {
    return QStringLiteral("Le point n° %1 du fichier n'a pas de coordonnées valables (« %2 ») : "
                          "le fichier n'a pas été importé.")
        .arg(index)
        .arg(text.left(80));
}

} // namespace tarnel
