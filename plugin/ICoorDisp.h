#pragma once

// The host's data service as the plug-in calls it: a counted reference to the host's
// dispatch object with one method per operation. Copies share the reference.
//
// The Boolean operations return the host's answer; on false the by-reference argument holds
// a one-dimensional array of message texts. A failing status of the call itself (the host
// raised an error, or there is no service) raises platform::EDispatchError.

#include "platform/Dispatch.h"
#include "platform/Variant.h"

#include <string>

namespace plugin {

class ICoorDisp {
public:
    ICoorDisp() = default;
    explicit ICoorDisp(platform::DispatchRef service)
        : service_(std::move(service)) {}

    explicit operator bool() const { return bool(service_); }
    const platform::DispatchRef& ref() const { return service_; }

    // DispID 0x60020000: true with a data packet in Data, false with messages in Data.
    bool OpenQuery(const platform::Variant& Sql, platform::Variant& Data) const;
    // DispID 2: Statement carries the SQL text in and the messages back on failure.
    bool ExecSql(platform::Variant& Statement) const;
    // DispID 6: "yyyymmddhhnnss" in Value.
    bool GetServerDateTime(platform::Variant& Value) const;
    // DispID 100: data packet of f_Csmc, f_csz in Data.
    bool GetSysParams(platform::Variant& Data) const;
    // DispID 20: "DB2", "SQLSERVER", "ORACLE" or whatever the host answers.
    platform::Variant GetDbType() const;

private:
    bool callBoolean(std::int32_t dispId, std::initializer_list<platform::DispatchArg> args) const;
    void requireService() const;

    platform::DispatchRef service_;
};

} // namespace plugin
