#pragma once

// Asks the host which database it runs on and publishes the matching SQL dialect
// fragments; answers the head-office test.

#include "platform/WindowHandle.h"
#include "plugin/ICoorDisp.h"

#include <string>
#include <string_view>

namespace plugin {

// The seven process-wide dialect fragments, each with its surrounding blanks. Empty when
// the library is loaded; every detected database kind sets all seven.
struct DialectFragments {
    std::string AtomicBegin;  // DB2 " BEGIN ATOMIC "
    std::string Then;         // DB2 " THEN "
    std::string StatementEnd; // DB2 " ; "
    std::string EndIf;        // DB2 " END IF "
    std::string AtomicEnd;    // DB2 " END "
    std::string BlockBegin;   // SQL Server " Begin "
    std::string BlockEnd;     // SQL Server " End "

    friend bool operator==(const DialectFragments&, const DialectFragments&) = default;
};

const DialectFragments& dialectFragments();
// Back to the state of a freshly loaded library (all empty).
void clearDialectFragments();

class TDreamClass {
public:
    // Keeps `dataService` and the owner of its message box (the plug-in's application
    // window when `ownerWindow` is 0), asks the host for its database kind and sets the
    // fragments. A failed request shows "获取数据库类型失败!" and leaves DbType "SQLSERVER";
    // construction always completes.
    TDreamClass(ICoorDisp dataService, platform::WindowHandle ownerWindow);
    ~TDreamClass();
    TDreamClass(const TDreamClass&) = delete;
    TDreamClass& operator=(const TDreamClass&) = delete;

    // "DB2", "SQLSERVER", "ORACLE" or whatever other text the host answered.
    std::string DbType;

    // True for exactly "0001" and for a code that is empty once blanks and control
    // characters are trimmed from both ends.
    static bool IsHeadOffice(std::string_view code);

    const ICoorDisp& DataService() const { return dataService_; }
    platform::WindowHandle OwnerWindow() const { return ownerWindow_; }

private:
    ICoorDisp dataService_;
    platform::WindowHandle ownerWindow_ = 0;
};

// Free form of the head-office test.
inline bool IsHeadOffice(std::string_view code) {
    return TDreamClass::IsHeadOffice(code);
}

} // namespace plugin
