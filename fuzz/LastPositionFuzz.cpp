// Fuzz target of the last-position file (LastPositionFileBytes, ReadFirstField) and of the
// windows-1252 code page under it.
//
// Checked on every input, besides no crash and no sanitizer report:
// - ReadFirstField of any bytes returns a text no longer than the first line, without a line
//   feed, or nothing when the line opens a quote it does not close;
// - the code page is one byte for one character both ways: ToWindows1252(FromWindows1252(b))
//   gives back the bytes b, the five bytes windows-1252 leaves undefined included;
// - for any value (the input bytes through windows-1252, line feeds taken out; carriage returns
//   and double quotes kept), LastPositionFileBytes(value) is a double quote, the value's bytes,
//   a double quote and CR LF, and ReadFirstField of those bytes gives the value back whole. A
//   value holding double quotes comes back whole too, because reading takes everything up to
//   the last quote of the line.

#include "core/LastPositionFile.h"
#include "fuzz/FuzzSupport.h"

#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const qsizetype lineEnd = bytes.indexOf('\n');
    const QByteArray line = bytes.first(lineEnd < 0 ? bytes.size() : lineEnd);
    qsizetype start = 0;
    while (start < line.size() && line.at(start) == ' ') {
        ++start;
    }
    const bool unclosed = line.mid(start).startsWith('"') && line.lastIndexOf('"') == start;
    const std::optional<QString> field = ReadFirstField(bytes);
    Require(field.has_value() != unclosed,
            "a line is refused exactly when it opens a quote and never closes it",
            FromWindows1252(line));
    if (field) {
        Require(field->size() <= line.size(), "the first field lies within the first line",
                Shown(*field));
        Require(!field->contains(u'\n'), "the first field holds no line feed", Shown(*field));
    }

    const QString decoded = FromWindows1252(bytes);
    Require(decoded.size() == bytes.size() && ToWindows1252(decoded) == bytes,
            "windows-1252 is one byte for one character both ways", Shown(decoded));

    QString value = decoded;
    value.remove(u'\n');
    const QByteArray file = LastPositionFileBytes(value);
    Require(file == '"' + ToWindows1252(value) + "\"\r\n", "the file is the one quoted line",
            Shown(value));
    const QString readBack = ReadFirstField(file).value_or(QStringLiteral("(refused)"));
    Require(readBack == value, "a saved value reads back whole",
            Shown(value) + QStringLiteral(" read back as ") + Shown(readBack));
    return 0;
}
