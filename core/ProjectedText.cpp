#include "core/ProjectedText.h"

#include <QRegularExpression>

namespace tarnel {

namespace {

// The pattern of one metre value and its optional label; captures the number.
QString Metres(QChar axis) {
    return QStringLiteral("(?:%1\\s*[=:]?\\s*)?(-?\\d+(?:[.,]\\d*)?)\\s*(?:m\\b)?").arg(axis);
}

double Number(QString text) {
    return text.replace(u',', u'.').toDouble();
}

} // namespace

QString ProjectedText(const ProjectedPoint& xy) {
    return QStringLiteral("X = %1 m ; Y = %2 m")
        .arg(QString::number(xy.x, 'f', 2), QString::number(xy.y, 'f', 2));
}

QString CcText(int zone, const ProjectedPoint& xy) {
    return QStringLiteral("CC%1 : ").arg(zone) + ProjectedText(xy);
}

std::optional<ProjectedPoint> ReadProjectedText(QStringView text) {
    static const QRegularExpression kPair(
        QStringLiteral("^\\s*%1\\s*[;\\s]\\s*%2\\s*$").arg(Metres(u'X'), Metres(u'Y')));
    const QRegularExpressionMatch match = kPair.match(text.toString());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return ProjectedPoint{Number(match.captured(1)), Number(match.captured(2))};
}

std::optional<CcReading> ReadCcText(QStringView text) {
    static const QRegularExpression kZone(QStringLiteral("^\\s*CC\\s*(\\d\\d)\\s*:?(.*)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = kZone.match(text.toString());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const auto xy = ReadProjectedText(match.capturedView(2));
    if (!xy) {
        return std::nullopt;
    }
    return CcReading{match.captured(1).toInt(), *xy};
}

} // namespace tarnel
