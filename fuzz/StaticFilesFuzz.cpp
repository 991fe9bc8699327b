// Fuzz target of the map service's static files (PageFile, LeafletFile), whose names and
// Accept-Encoding header come from any local client.
//
// Checked on every input, besides no crash and no sanitizer report:
// - a name that climbs ("..") or names a folder other than "images/" is never served;
// - what is served is a script, a style sheet or a picture, with a body;
// - the encoding is "br" or "gzip" only when the header names it, and pictures come plain.

#include "fuzz/FuzzSupport.h"
#include "mapservice/StaticFiles.h"

#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string header = input.ConsumeRandomLengthString(64);
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QString name = QString::fromUtf8(rest.data(), static_cast<qsizetype>(rest.size()));
    const QByteArray acceptEncoding = QByteArray::fromStdString(header);

    for (const StaticFile& file : {PageFile(name), LeafletFile(name, acceptEncoding)}) {
        if (file.status != 200) {
            continue;
        }
        Require(!name.contains(QLatin1String("..")) &&
                    (name.count(u'/') == 0 ||
                     (name.count(u'/') == 1 && name.startsWith(QLatin1String("images/")))),
                "only names of the folder are served", Shown(name));
        Require(!file.body.isEmpty() &&
                    (file.type.startsWith("text/javascript") || file.type.startsWith("text/css") ||
                     file.type == "image/png"),
                "scripts, style sheets and pictures only", Shown(name));
        Require(file.encoding.isEmpty() ||
                    (acceptEncoding.toLower().contains(file.encoding) && file.type != "image/png"),
                "an encoding the browser named", Shown(name));
    }
    return 0;
}
