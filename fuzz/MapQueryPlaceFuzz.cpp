// Fuzz target of MapQueryPlace, which reads back the place of a map query URL built from typed
// texts and from the last-position file.
//
// Checked on every input, besides no crash and no sanitizer report (the input bytes read as
// UTF-8, invalid sequences replaced):
// - a URL without "?q=" names no place;
// - a text percent-encoded whole (its "+" and "%" included) comes back unchanged;
// - a text holding neither "%" nor "+" is its own place, as it is put into URLs as typed.

#include "core/MapQueryPlace.h"
#include "fuzz/FuzzSupport.h"

#include <QUrl>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QString base = QStringLiteral("http://maps.example/maps?q=");

    const QString place = MapQueryPlace(text);
    if (!text.contains(QLatin1String("?q=")))
        Require(place.isEmpty(), "a URL without a query names no place", Shown(place));

    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(text));
    const QString decoded = MapQueryPlace(base + encoded);
    Require(decoded == text, "an encoded text comes back unchanged",
            Shown(text) + QStringLiteral(" came back as ") + Shown(decoded));

    if (!text.contains(u'%') && !text.contains(u'+')) {
        const QString asTyped = MapQueryPlace(base + text);
        Require(asTyped == text, "a text typed without escapes is its own place",
                Shown(text) + QStringLiteral(" read as ") + Shown(asTyped));
    }
    return 0;
}
