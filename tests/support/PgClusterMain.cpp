// pg_test_cluster start|stop STATE_DIR: the CTest fixture that runs one throw-away
// PostgreSQL cluster for the whole test run.

#include "tests/support/PgCluster.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3 || (std::strcmp(argv[1], "start") != 0 && std::strcmp(argv[1], "stop") != 0)) {
        std::fprintf(stderr, "usage: pg_test_cluster start|stop STATE_DIR\n");
        return 2;
    }
    try {
        if (std::strcmp(argv[1], "stop") == 0) {
            std::printf(testsupport::PgCluster::stop(argv[2]) ? "cluster stopped\n"
                                                              : "no cluster was running\n");
            return 0;
        }
        const testsupport::PgCluster cluster = testsupport::PgCluster::start(argv[2]);
        std::printf("PostgreSQL test cluster running, socket in %s\n", cluster.socketDir().c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr,
                     "pg_test_cluster: cannot provide the PostgreSQL cluster the tests "
                     "need: %s\n",
                     e.what());
        return 1;
    }
}
