#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>

namespace tarnel {

// Bounds that keep a dead or hostile server from hanging or exhausting the program.
struct FetchLimits {
    std::chrono::milliseconds connectTimeout{15000}; // to open the connection
    std::chrono::milliseconds stallTimeout{30000};   // with not one byte received, connecting too
    std::chrono::milliseconds totalTimeout{120000};  // for the whole fetch, however it trickles
    qsizetype maxBodyBytes = qsizetype{64} * 1024 * 1024; // what arrived up to here is kept
    long maxRedirects = 10;
};

// GET `url` directly (no proxy), agent "vb wininet", no extra headers, no cache, redirections
// followed; the body in reads of at most 8192 bytes, whatever the HTTP status. Empty when
// nothing could be fetched; what arrived so far when the connection drops, stalls or runs
// out of time.
// The URL goes out in windows-1252, or in UTF-8 when it holds a character windows-1252 has no
// byte for (Łódź, Dvořák, Cyrillic); blanks, controls and bytes beyond ASCII percent-encoded.
// Only http and https are fetched, redirections included. A redirect chain longer than
// `maxRedirects` gives an empty result. When `abandon` is given, the fetch looks at it every few
// tens of milliseconds and, once it is true, ends at once with an empty result. Thread-safe.
QByteArray FetchPageBytes(const QString& url, const FetchLimits& limits = {},
                          const std::atomic<bool>* abandon = nullptr);

// The same body as text, one character per byte through windows-1252, decoded as it arrives
// so that the bytes are never held whole beside the text.
QString FetchPage(const QString& url, const FetchLimits& limits = {});

} // namespace tarnel
