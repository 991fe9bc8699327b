#include "geocoding/AddressCleaning.h"

#include <QRegularExpression>
#include <array>
#include <utility>

namespace tarnel {

namespace {

constexpr auto kCaseless = QRegularExpression::CaseInsensitiveOption;

const QRegularExpression& CedexPattern() {
    static const QRegularExpression kCedex(QStringLiteral("\\bc[eé]dex\\b\\s*\\d*"), kCaseless);
    return kCedex;
}

} // namespace

QString CleanAddressPart(const QString& part) {
    // addok-france's patterns, in its order (the five-digit and Cedex-code ones are the postal
    // code's business here).
    static const std::array<std::pair<QRegularExpression, QString>, 6> kPatterns{{
        {QRegularExpression(
             QStringLiteral("(^|\\s)(b\\.?p\\.?|cs|tsa|cidex)\\s*(n(o|°)?\\s*)?\\d+\\s*"),
             kCaseless),
         QStringLiteral("\\1")},
        {CedexPattern(), QString()},
        {QRegularExpression(QStringLiteral("\\d{0,2}(e|[eè]me)\\s+[eé]tage"), kCaseless),
         QString()},
        {QRegularExpression(QStringLiteral("[ -]s/[ -]"), kCaseless), QStringLiteral(" sur ")},
        {QRegularExpression(QStringLiteral("[ -]s/s[ -]"), kCaseless), QStringLiteral(" sous ")},
        {QRegularExpression(QStringLiteral("^lieux?[ -]?dits?\\b(?=.)"), kCaseless), QString()},
    }};
    static const QRegularExpression kBlanks(QStringLiteral("\\s+"));
    static const QRegularExpression kLooseEnds(QStringLiteral("^[\\s,;-]+|[\\s,;-]+$"));
    // Until nothing changes: a box number's blank is what the next box's pattern starts with.
    QString text = part;
    for (QString before; before != text;) {
        before = text;
        for (const auto& [pattern, replacement] : kPatterns) {
            text.replace(pattern, replacement);
        }
        text.replace(kBlanks, QStringLiteral(" "));
        text.remove(kLooseEnds);
    }
    return text;
}

bool MentionsCedex(const QString& part) {
    return CedexPattern().match(part).hasMatch();
}

} // namespace tarnel
