// A loopback HTTP server for the fetch figures: answers GET /body?bytes=N with N bytes of page
// text (N up to 256 MiB). Prints its port on the first line of its output, then serves until
// it is ended.

#include <httplib.h>

#include <cstdio>
#include <string>

int main() {
    httplib::Server server;
    server.Get("/body", [](const httplib::Request& request, httplib::Response& response) {
        const std::size_t size =
            request.has_param("bytes") ? std::stoul(request.get_param_value("bytes")) : 0;
        if (size > (std::size_t{256} << 20)) {
            response.status = 400;
            return;
        }
        static constexpr char kFiller[] = "<div class=\"x\">{\"a\":[1,2,3],\"b\":\"c\"}</div>\n";
        std::string body;
        body.reserve(size);
        while (body.size() < size) {
            body.append(kFiller, std::min(sizeof kFiller - 1, size - body.size()));
        }
        response.set_content(std::move(body), "text/html");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    if (port < 0) {
        return 1;
    }
    std::printf("%d\n", port);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
