#pragma once

#include "core/ProgramTexts.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tarnel {

inline const QString kLastPositionFileName = QStringLiteral("SavDerPos.ini");

// True when at least one normal file matches `path`; "*" and "?" in its file name act as
// wildcards (brackets are plain characters), and letter case counts where the file system's
// does. Directories, hidden files and special files never match.
bool FileExists(const QString& path);

// The bytes of the last-position file for `value`: quote, value, quote, CR LF, windows-1252.
QByteArray LastPositionFileBytes(const QString& value);

// Sets texts.lastPosition, then writes the file in `programDirectory`, replacing the previous one
// only once the new one is whole. Returns false when it could not be written; the previous file
// is then intact.
bool SaveLastPosition(ProgramTexts& texts, const QString& programDirectory, const QString& value);

// The first field of the file's first line (CR LF or LF ends it), leading blanks skipped: the
// text between the opening quote and the last quote of the line, or, unquoted, the text up to
// the first comma. Nothing when the line opens a quote it never closes (a file cut short).
// Bytes are windows-1252.
std::optional<QString> ReadFirstField(const QByteArray& fileBytes);

// Start-up read: when the file exists, sets texts.lastPosition to its first field. Returns the
// start-up map query value (empty when there is no file, nothing could be read, or the value
// was cut short).
QString LoadLastPosition(ProgramTexts& texts, const QString& programDirectory);

} // namespace tarnel
