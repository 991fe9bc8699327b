#pragma once

#include "core/ProgramTexts.h"

#include <QByteArray>
#include <QString>

namespace tarnel {

inline const QString kLastPositionFileName = QStringLiteral("SavDerPos.ini");

// True when at least one normal file matches `path`; wildcards in its file name act as
// patterns. Directories and hidden files never match.
bool FileExists(const QString& path);

// The bytes of the last-position file for `value`: quote, value, quote, CR LF, windows-1252.
QByteArray LastPositionFileBytes(const QString& value);

// Sets texts.lastPosition, then creates or truncates the file in `programDirectory` and writes
// the one line. Returns false when the file could not be written whole.
bool SaveLastPosition(ProgramTexts& texts, const QString& programDirectory, const QString& value);

// The first field of the file's first line: the text between the opening quote and the last
// quote of the line, or, unquoted, the text up to the first comma.
QString ReadFirstField(const QByteArray& fileBytes);

// Start-up read: when the file exists, sets texts.lastPosition to its first field. Returns the
// start-up map query value (empty when there is no file or nothing could be read).
QString LoadLastPosition(ProgramTexts& texts, const QString& programDirectory);

} // namespace tarnel
