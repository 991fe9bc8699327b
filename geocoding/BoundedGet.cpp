#include "geocoding/BoundedGet.h"

#include "net/CurlEasy.h"

#include <curl/curl.h>

#include <memory>
#include <new>
#include <utility>

namespace tarnel {

namespace {

// How often a transfer with nothing to do looks at its cancellation.
constexpr int kCancelCheckMs = 20;

struct Body {
    QByteArray bytes;
    qsizetype maxBytes = 0;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto& body = *static_cast<Body*>(user);
    const auto received = static_cast<qsizetype>(size * count);
    if (received > body.maxBytes - body.bytes.size()) {
        return 0; // over the cap: a short count ends the transfer as failed
    }
    try {
        body.bytes.append(data, received);
    } catch (const std::bad_alloc&) {
        return 0; // no exception may cross libcurl
    }
    return size * count;
}

// Runs the transfer of `easy` to its end, curl's own time-outs included; driven here rather
// than by curl_easy_perform so that a cancellation is heard within kCancelCheckMs.
CURLcode Perform(CURL* easy, const Cancellation* cancel) {
    const CurlMulti multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK) {
        return CURLE_OUT_OF_MEMORY;
    }
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    int running = 1;
    while (!(cancel && cancel->Cancelled())) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
        if (running == 0) {
            int pending = 0;
            const CURLMsg* message = curl_multi_info_read(multi.get(), &pending);
            result =
                message && message->msg == CURLMSG_DONE ? message->data.result : CURLE_RECV_ERROR;
            break;
        }
        if (curl_multi_poll(multi.get(), nullptr, 0, kCancelCheckMs, nullptr) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
    }
    curl_multi_remove_handle(multi.get(), easy);
    return result;
}

HttpAnswer::Outcome TransferFailure(CURLcode code) {
    switch (code) {
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return HttpAnswer::Outcome::Certificates;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
        return HttpAnswer::Outcome::Unreachable;
    default:
        return HttpAnswer::Outcome::Failed;
    }
}

// Runs the transfer set up in `handle` within `limits` and reads how it ended.
HttpAnswer Exchange(CURL* handle, const HttpLimits& limits, const Cancellation* cancel) {
    Body body;
    body.maxBytes = limits.maxBodyBytes;
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, CurlMilliseconds(limits.totalTimeout));
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(limits.maxBodyBytes));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    const CURLcode code = Perform(handle, cancel);
    HttpAnswer answer;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &answer.status);
    curl_off_t retryAfter = 0;
    if (curl_easy_getinfo(handle, CURLINFO_RETRY_AFTER, &retryAfter) == CURLE_OK &&
        retryAfter > 0) {
        answer.retryAfter = std::chrono::seconds(retryAfter);
    }
    if (code != CURLE_OK) {
        answer.outcome = TransferFailure(code);
        return answer;
    }
    answer.body = std::move(body.bytes);
    if (answer.status == 200) {
        answer.outcome = HttpAnswer::Outcome::Body;
    } else if (answer.status == 403 || answer.status == 429) {
        answer.outcome = HttpAnswer::Outcome::Refused;
    }
    return answer;
}

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct MimeDeleter {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};

} // namespace

HttpAnswer BoundedGet(const QByteArray& url, const QByteArray& userAgent, const HttpLimits& limits,
                      const Cancellation* cancel) {
    const CurlEasy easy = DirectEasy(url, userAgent.constData(), limits.connectTimeout);
    if (!easy) {
        return {};
    }
    curl_easy_setopt(easy.get(), CURLOPT_ACCEPT_ENCODING, ""); // any encoding curl can decode
    return Exchange(easy.get(), limits, cancel);
}

HttpAnswer BoundedPostForm(const QByteArray& url, const QByteArray& userAgent,
                           const HttpLimits& limits, const QList<FormField>& fields,
                           const Cancellation* cancel) {
    const CurlEasy easy = DirectEasy(url, userAgent.constData(), limits.connectTimeout);
    if (!easy) {
        return {};
    }
    const std::unique_ptr<curl_mime, MimeDeleter> mime(curl_mime_init(easy.get()));
    if (!mime) {
        return {};
    }
    for (const FormField& field : fields) {
        curl_mimepart* part = curl_mime_addpart(mime.get());
        curl_mime_name(part, field.name.constData());
        curl_mime_data(part, field.value.constData(), static_cast<size_t>(field.value.size()));
        if (!field.fileName.isEmpty()) {
            curl_mime_filename(part, field.fileName.constData());
            curl_mime_type(part, "text/csv");
        }
    }
    curl_easy_setopt(easy.get(), CURLOPT_MIMEPOST, mime.get());
    // A geocoded file shrinks a hundredfold with gzip, which every server offers; brotli,
    // which some servers spend seconds on for a few megabytes, brings little more.
    curl_easy_setopt(easy.get(), CURLOPT_ACCEPT_ENCODING, "gzip");
    return Exchange(easy.get(), limits, cancel);
}

HttpAnswer BoundedPostJson(const QByteArray& url, const QByteArray& userAgent,
                           const HttpLimits& limits, const QByteArray& json,
                           const Cancellation* cancel) {
    const CurlEasy easy = DirectEasy(url, userAgent.constData(), limits.connectTimeout);
    if (!easy) {
        return {};
    }
    const std::unique_ptr<curl_slist, SlistDeleter> headers(
        curl_slist_append(nullptr, "Content-Type: application/json"));
    if (!headers) {
        return {};
    }
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, json.constData());
    curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(json.size()));
    curl_easy_setopt(easy.get(), CURLOPT_ACCEPT_ENCODING, "");
    return Exchange(easy.get(), limits, cancel);
}

} // namespace tarnel
