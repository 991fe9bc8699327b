#include "net/FetchPage.h"

#include "core/Windows1252.h"
#include "net/CurlEasy.h"
#include "net/HugePages.h"

#include <curl/curl.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <new>

namespace tarnel {

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kReadBufferBytes = 8192;
// How often a fetch that may be abandoned looks at its flag while waiting.
constexpr long kAbandonCheckMs = 20;

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// The body kept as bytes, or decoded chunk by chunk so that the bytes are never held whole.
void Append(QByteArray& body, const char* data, qsizetype size) {
    body.append(data, size);
}
void Append(QString& body, const char* data, qsizetype size) {
    body.append(FromWindows1252(QByteArrayView(data, size)));
}

// What the transfer callbacks share with the loop that drives the transfer.
template <typename Body> struct Transfer {
    CURL* easy = nullptr;
    Body body;
    qsizetype maxBodyBytes = 0;
    bool reserved = false;
    Clock::time_point lastArrival;

    // One character a byte in either form.
    bool Full() const { return body.size() >= maxBodyBytes; }
};

// The URL goes out in the windows-1252 code page, or in UTF-8 when the code page cannot hold
// it (the map service reads both); what may not stand raw in a request line (blanks, controls,
// bytes beyond ASCII) is percent-encoded, the rest passes unchanged.
QByteArray RequestUrl(const QString& url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const QByteArray ansi = FitsWindows1252(url) ? ToWindows1252(url) : url.toUtf8();
    QByteArray out;
    out.reserve(ansi.size());
    for (const char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F) {
            out.append(c);
        } else {
            out.append('%');
            out.append(kHex[byte >> 4]);
            out.append(kHex[byte & 0x0F]);
        }
    }
    return out;
}

template <typename Body> size_t OnHeader(char*, size_t size, size_t count, void* user) {
    static_cast<Transfer<Body>*>(user)->lastArrival = Clock::now();
    return size * count;
}

template <typename Body> size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto& transfer = *static_cast<Transfer<Body>*>(user);
    transfer.lastArrival = Clock::now();
    const auto received = static_cast<qsizetype>(size * count);
    const qsizetype kept = std::min(received, transfer.maxBodyBytes - transfer.body.size());
    try {
        if (!transfer.reserved) {
            // Announced lengths are reserved up front, never beyond what would be kept.
            transfer.reserved = true;
            curl_off_t announced = -1;
            curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
            if (announced > 0) {
                transfer.body.reserve(
                    static_cast<qsizetype>(std::min<curl_off_t>(announced, transfer.maxBodyBytes)));
                AdviseHugePages(transfer.body.data(),
                                static_cast<std::size_t>(transfer.body.capacity()) *
                                    sizeof(typename Body::value_type));
            }
        }
        Append(transfer.body, data, kept);
    } catch (const std::bad_alloc&) {
        // No exception may cross libcurl; a short count ends the transfer with what is kept.
        return 0;
    }
    return static_cast<size_t>(kept);
}

template <typename Body>
void Configure(CURL* easy, curl_slist* headers, Transfer<Body>& transfer,
               const FetchLimits& limits) {
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, limits.maxRedirects);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReadBufferBytes);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &OnHeader<Body>);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnBody<Body>);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
}

template <typename Body>
Body Fetch(const QString& url, const FetchLimits& limits, const std::atomic<bool>* abandon) {
    // The whole time of the fetch is bounded by the loop below, not by curl.
    const CurlEasy easy = DirectEasy(RequestUrl(url), "vb wininet", limits.connectTimeout);
    const CurlMulti multi(curl_multi_init());
    // libcurl sends "Accept: */*" unless told to leave it out.
    const std::unique_ptr<curl_slist, SlistDeleter> headers(curl_slist_append(nullptr, "Accept:"));
    if (!easy || !multi || !headers) {
        return {};
    }

    Transfer<Body> transfer;
    transfer.easy = easy.get();
    transfer.maxBodyBytes = std::max<qsizetype>(limits.maxBodyBytes, 0);
    Configure(easy.get(), headers.get(), transfer, limits);
    if (curl_multi_add_handle(multi.get(), easy.get()) != CURLM_OK) {
        return {};
    }

    // Driven here rather than by curl_easy_perform so that the stall clock is looked at with
    // millisecond precision, not once a second.
    transfer.lastArrival = Clock::now();
    const Clock::time_point deadline = transfer.lastArrival + limits.totalTimeout;
    int running = 1;
    while (running > 0 && !transfer.Full()) {
        if (abandon && *abandon) {
            curl_multi_remove_handle(multi.get(), easy.get());
            return {};
        }
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            break;
        }
        const Clock::time_point now = Clock::now();
        const auto silent =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - transfer.lastArrival);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        if (running == 0 || transfer.Full() || silent >= limits.stallTimeout ||
            left <= std::chrono::milliseconds::zero()) {
            break;
        }
        long curlWaitMs = -1;
        curl_multi_timeout(multi.get(), &curlWaitMs);
        // Woken by the socket, by curl's own timers, or when the stall or total time is up.
        long waitMs = static_cast<long>(std::min<qint64>(
            std::min(limits.stallTimeout - silent, left).count(), std::numeric_limits<int>::max()));
        if (curlWaitMs >= 0) {
            waitMs = std::min(waitMs, curlWaitMs);
        }
        if (abandon) {
            waitMs = std::min(waitMs, kAbandonCheckMs);
        }
        if (curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(waitMs), nullptr) !=
            CURLM_OK) {
            break;
        }
    }

    // A redirect chain cut at its limit ends on a redirection, not on a page.
    int pending = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi.get(), &pending)) {
        if (message->msg == CURLMSG_DONE && message->data.result == CURLE_TOO_MANY_REDIRECTS) {
            transfer.body.clear();
        }
    }
    curl_multi_remove_handle(multi.get(), easy.get());
    return std::move(transfer.body);
}

} // namespace

QByteArray FetchPageBytes(const QString& url, const FetchLimits& limits,
                          const std::atomic<bool>* abandon) {
    return Fetch<QByteArray>(url, limits, abandon);
}

QString FetchPage(const QString& url, const FetchLimits& limits) {
    return Fetch<QString>(url, limits, nullptr);
}

} // namespace tarnel
