#include "net/CurlEasy.h"

#include <algorithm>
#include <mutex>

namespace tarnel {

CurlEasy DirectEasy(const QByteArray& url, const char* userAgent,
                    std::chrono::milliseconds connectTimeout) {
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    CurlEasy easy(curl_easy_init());
    if (!easy) {
        return easy;
    }
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.constData());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent);
    // An empty proxy also overrides the *_proxy variables of the environment.
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, CurlMilliseconds(connectTimeout));
    return easy;
}

long CurlMilliseconds(std::chrono::milliseconds duration) {
    return static_cast<long>(std::max<std::chrono::milliseconds::rep>(duration.count(), 1));
}

} // namespace tarnel
