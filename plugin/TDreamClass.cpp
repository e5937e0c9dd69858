#include "plugin/TDreamClass.h"

#include "platform/Gbk.h"
#include "platform/MessageBox.h"
#include "plugin/HostContext.h"

namespace plugin {
namespace {

DialectFragments& fragments() {
    static DialectFragments value;
    return value;
}

} // namespace

const DialectFragments& dialectFragments() {
    return fragments();
}

void clearDialectFragments() {
    fragments() = {};
}

TDreamClass::TDreamClass(ICoorDisp dataService, platform::WindowHandle ownerWindow)
    : dataService_(std::move(dataService))
    , ownerWindow_(ownerWindow ? ownerWindow : applicationWindow()) {
    try {
        DbType = dataService_.GetDbType().toString();
        if (DbType == "DB2")
            fragments() = {" BEGIN ATOMIC ", " THEN ", " ; ", " END IF ", " END ", "", ""};
        else if (DbType == "SQLSERVER")
            fragments() = {"", "", "", "", "", " Begin ", " End "};
        else if (DbType == "ORACLE")
            fragments() = {};
    } catch (...) {
        // Reported, never raised: the window goes on with SQL Server's dialect name.
        try {
            platform::MessageBox(ownerWindow_, "获取数据库类型失败!", "警告",
                                 platform::MB_OK | platform::MB_ICONWARNING);
        } catch (...) {
        }
        DbType = "SQLSERVER";
    }
}

TDreamClass::~TDreamClass() = default;

bool TDreamClass::IsHeadOffice(std::string_view code) {
    return code == "0001" || platform::trimBlanks(code).empty();
}

} // namespace plugin
