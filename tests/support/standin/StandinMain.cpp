// Runs the stand-in map service until interrupted, to try the program without the internet:
// build the program with -DTARNEL_MAP_HOST=127.0.0.1:<port> and start this with that port.
#include "tests/support/standin/StandinMapService.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool valid = true;
    const int port = arguments.size() > 1 ? arguments.at(1).toInt(&valid) : 8765;
    if (!valid || port <= 0 || port > 65535) {
        std::fprintf(stderr, "Usage : tarnel_standin_map_service [port]\n");
        return 2;
    }
    tarnel::testing::StandinMapService service;
    if (!service.Start(port)) {
        std::fprintf(stderr, "Le port %d de 127.0.0.1 n'est pas libre.\n", port);
        return 1;
    }
    std::printf("Service de carte de remplacement : %s\n", qPrintable(service.BaseUrl()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
