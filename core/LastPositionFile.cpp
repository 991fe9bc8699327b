#include "core/LastPositionFile.h"

#include "core/FileReplace.h"
#include "core/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tarnel {

namespace {

// Only "*" and "?" are wildcards here; brackets are ordinary characters of a file name.
QString NamePattern(const QString& fileName) {
    QString pattern;
    pattern.reserve(fileName.size());
    for (const QChar c : fileName) {
        if (c == u'[') {
            pattern += QStringLiteral("[[]");
        } else if (c == u']') {
            pattern += QStringLiteral("[]]");
        } else {
            pattern += c;
        }
    }
    return pattern;
}

QString LastPositionPath(const QString& programDirectory) {
    return QDir(programDirectory).filePath(kLastPositionFileName);
}

} // namespace

bool FileExists(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.isEmpty()) {
        return false;
    }
#ifdef Q_OS_WIN
    constexpr QDir::Filters kCase = {};
#else
    constexpr QDir::Filters kCase = QDir::CaseSensitive;
#endif
    // Without QDir::Hidden and QDir::System, hidden files (and on Unix sockets, devices and
    // broken links) are left out, as are directories.
    QDir directory(info.path());
    directory.setNameFilters({NamePattern(name)});
    directory.setFilter(QDir::Files | kCase);
    directory.setSorting(QDir::Unsorted);
    return !directory.entryList().isEmpty();
}

QByteArray LastPositionFileBytes(const QString& value) {
    return '"' + ToWindows1252(value) + "\"\r\n";
}

bool SaveLastPosition(ProgramTexts& texts, const QString& programDirectory, const QString& value) {
    texts.lastPosition = value;
    return ReplaceFileContents(LastPositionPath(programDirectory), LastPositionFileBytes(value));
}

std::optional<QString> ReadFirstField(const QByteArray& fileBytes) {
    qsizetype lineEnd = fileBytes.indexOf('\n');
    if (lineEnd < 0) {
        lineEnd = fileBytes.size();
    }
    if (lineEnd > 0 && fileBytes[lineEnd - 1] == '\r') {
        --lineEnd;
    }
    QByteArrayView line = QByteArrayView(fileBytes).first(lineEnd);
    qsizetype start = 0;
    while (start < line.size() && line[start] == ' ') {
        ++start;
    }
    line = line.sliced(start);
    if (line.startsWith('"')) {
        // Up to the last quote of the line, so that a value holding a quote comes back whole;
        // without a closing quote the line was cut short and holds no value worth showing.
        const qsizetype closing = line.lastIndexOf('"');
        if (closing <= 0) {
            return std::nullopt;
        }
        return FromWindows1252(line.sliced(1, closing - 1));
    }
    const qsizetype comma = line.indexOf(',');
    return FromWindows1252(comma >= 0 ? line.first(comma) : line);
}

QString LoadLastPosition(ProgramTexts& texts, const QString& programDirectory) {
    const QString path = LastPositionPath(programDirectory);
    if (!FileExists(path)) {
        return {};
    }
    QFile file(path);
    // The first line is all the value can hold; an unreadable file reads as empty.
    const QByteArray firstLine = file.open(QIODevice::ReadOnly) ? file.readLine() : QByteArray();
    texts.lastPosition = ReadFirstField(firstLine).value_or(QString());
    return texts.lastPosition;
}

} // namespace tarnel
