#pragma once

#include <QByteArray>

namespace httplib {
struct Response;
} // namespace httplib

namespace tarnel {

// Answers with `json` under `status`: UTF-8 JSON, never cached, its type never sniffed. Every
// JSON route of the service answers through it.
void SendJson(httplib::Response& response, const QByteArray& json, int status = 200);

} // namespace tarnel
