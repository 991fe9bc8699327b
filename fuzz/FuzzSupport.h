#pragma once

#include "core/Windows1252.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

namespace tarnel::fuzz {

// Stops the run with a report when an invariant does not hold; libFuzzer then keeps the input.
inline void Require(bool holds, const char* invariant, const QString& detail = {}) {
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n  %s\n", invariant,
                     detail.toUtf8().constData());
        std::abort();
    }
}

// A text of the input, one character per byte through windows-1252 as the program reads files
// and pages. Fields end at a backslash followed by any other byte ("\\" stands for one
// backslash), so seed files read as "48\ 51\ 24".
inline QString ConsumeText(FuzzedDataProvider& input) {
    const std::string bytes = input.ConsumeRandomLengthString();
    return FromWindows1252(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

// A text of the input as raw UTF-16, two bytes a code unit (low byte first), lone surrogates
// and characters beyond U+00FF included.
inline QString ConsumeUtf16(FuzzedDataProvider& input) {
    const std::string bytes = input.ConsumeRandomLengthString();
    QString text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text += QChar(char16_t(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8));
    }
    return text;
}

// Quotes a text for a report, with its UTF-16 codes so that invisible characters show.
inline QString Shown(const QString& text) {
    QString codes;
    for (const QChar c : text) {
        codes += QString::number(c.unicode(), 16) + u' ';
    }
    return u'"' + text + QStringLiteral("\" [") + codes.trimmed() + u']';
}

} // namespace tarnel::fuzz
