#include "mapservice/JsonAnswer.h"

#include <httplib.h>

namespace tarnel {

void SendJson(httplib::Response& response, const QByteArray& json, int status) {
    response.status = status;
    response.set_header("Cache-Control", "no-store");
    response.set_header("X-Content-Type-Options", "nosniff");
    response.set_content(json.constData(), static_cast<size_t>(json.size()),
                         "application/json; charset=utf-8");
}

} // namespace tarnel
