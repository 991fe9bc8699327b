#pragma once

#include <QByteArray>
#include <chrono>
#include <curl/curl.h>
#include <memory>

namespace tarnel {

struct CurlEasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct CurlMultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiDeleter>;

// A transfer of `url` (already in its on-the-wire form) set up as every request of the program
// goes out: libcurl started once for the process, no signals (transfers run in worker threads),
// a direct connection whatever the *_proxy variables of the environment say, http and https
// only, the agent `userAgent`, `connectTimeout` to open the connection. Redirections, the body
// and any overall bound are the caller's. Null when libcurl cannot make one. Thread-safe.
CurlEasy DirectEasy(const QByteArray& url, const char* userAgent,
                    std::chrono::milliseconds connectTimeout);

// `duration` as libcurl's milliseconds: at least 1, since 0 would mean no bound at all.
long CurlMilliseconds(std::chrono::milliseconds duration);

} // namespace tarnel
