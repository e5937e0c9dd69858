#pragma once

// A real demo database in a temporary folder and the host's data service over it.

#include "host/CoorDispService.h"
#include "host/SqliteDatabase.h"
#include "platform/Dispatch.h"

#include <QTemporaryDir>

#include <memory>
#include <string>

namespace plugintest {

struct DemoService {
    DemoService();

    QTemporaryDir dir;
    std::string path;
    std::shared_ptr<host::SqliteDatabase> database;
    host::CoorDispService* service = nullptr; // owned by `ref` (and whoever else holds it)
    platform::DispatchRef ref;
};

// A service that records its own destruction (to observe who keeps references).
class TrackedService : public host::CoorDispService {
public:
    TrackedService(std::shared_ptr<host::SqliteDatabase> database, bool* destroyed)
        : CoorDispService(std::move(database))
        , destroyed_(destroyed) {}
    ~TrackedService() override { *destroyed_ = true; }

private:
    bool* destroyed_;
};

// Length-prefixed GBK form of a UTF-8 operator code.
std::string operatorCodeArgument(const std::string& utf8);

} // namespace plugintest
