#include "tests/plugin/PluginTestSupport.h"

#include "host/DemoDatabase.h"
#include "host/HostOptions.h"

namespace plugintest {

DemoService::DemoService()
    : path((dir.path() + QStringLiteral("/demo.sqlite")).toStdString()) {
    host::createDemoDatabase(path);
    database =
        std::make_shared<host::SqliteDatabase>(path, host::SqliteDatabase::OpenMode::ExistingOnly);
    ref = host::CoorDispService::create(database, &service);
}

std::string operatorCodeArgument(const std::string& utf8) {
    return host::lengthPrefixedGbk(utf8).value();
}

} // namespace plugintest
