#include "plugin/ICoorDisp.h"

namespace plugin {

void ICoorDisp::requireService() const {
    if (!service_)
        throw platform::EDispatchError(PLATFORM_DISP_FAILED, "宿主没有提供数据服务。");
}

bool ICoorDisp::callBoolean(std::int32_t dispId,
                            std::initializer_list<platform::DispatchArg> args) const {
    requireService();
    return service_.invoke(dispId, args).toBool();
}

bool ICoorDisp::OpenQuery(const platform::Variant& Sql, platform::Variant& Data) const {
    return callBoolean(PLATFORM_DISPID_OPEN_QUERY, {Sql, platform::byRef(Data)});
}

bool ICoorDisp::ExecSql(platform::Variant& Statement) const {
    return callBoolean(PLATFORM_DISPID_EXEC_SQL, {platform::byRef(Statement)});
}

bool ICoorDisp::GetServerDateTime(platform::Variant& Value) const {
    return callBoolean(PLATFORM_DISPID_GET_SERVER_DATE_TIME, {platform::byRef(Value)});
}

bool ICoorDisp::GetSysParams(platform::Variant& Data) const {
    return callBoolean(PLATFORM_DISPID_GET_SYS_PARAMS, {platform::byRef(Data)});
}

platform::Variant ICoorDisp::GetDbType() const {
    requireService();
    return service_.invoke(PLATFORM_DISPID_GET_DB_TYPE);
}

} // namespace plugin
