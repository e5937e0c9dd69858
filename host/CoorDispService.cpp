#include "host/CoorDispService.h"

#include "host/Database.h"
#include "host/DemoDatabase.h"

#include <stdexcept>

namespace host {

platform::Variant messageArray(const std::vector<std::string>& messages) {
    platform::VariantArray items;
    items.reserve(messages.size());
    for (const std::string& m : messages)
        items.emplace_back(m);
    return platform::Variant(std::move(items));
}

CoorDispService::CoorDispService(std::shared_ptr<Database> database)
    : database_(std::move(database)) {
    if (!database_)
        throw std::invalid_argument("CoorDispService needs a database");
    dbType_ = database_->kind() == DatabaseKind::Postgres ? "POSTGRESQL" : "SQLSERVER";
}

CoorDispService::~CoorDispService() = default;

platform::DispatchRef CoorDispService::create(std::shared_ptr<Database> database,
                                              CoorDispService** object) {
    platform::DispatchRef ref = platform::makeDispatch<CoorDispService>(std::move(database));
    if (object)
        *object = static_cast<CoorDispService*>(DispatchObject::fromDispatch(ref.get()));
    return ref;
}

const char* CoorDispService::sysParamTable() {
    return kSysParamTable;
}

platform::Variant CoorDispService::invoke(std::int32_t dispId, platform::DispatchArgs& args) {
    Call call;
    call.dispId = dispId;
    if (const auto fault = faults_.find(dispId);
        fault != faults_.end() && fault->second.damagedPacket) {
        if (dispId != PLATFORM_DISPID_OPEN_QUERY)
            throw platform::EDispatchError(PLATFORM_DISP_TYPE_MISMATCH,
                                           "only a query answers with a packet");
        call.result = openQuery(args, call);
        calls_.push_back(call);
        if (call.result) {
            platform::ByteArray bytes = args[1].bytesValue();
            bytes.resize(bytes.size() / 2);
            args.set(1, platform::Variant(std::move(bytes)));
        }
        return call.result;
    }
    if (const auto fault = faults_.find(dispId); fault != faults_.end()) {
        if (dispId == PLATFORM_DISPID_OPEN_QUERY && args.size() > 0)
            call.sql = args[0].toString();
        else if (dispId == PLATFORM_DISPID_EXEC_SQL && args.size() > 0)
            call.sql = args[0].toString();
        calls_.push_back(call);
        const Fault& f = fault->second;
        if (f.raise)
            throw std::runtime_error(f.messages.empty() ? std::string("宿主服务错误")
                                                        : f.messages.front());
        // The message array goes into the last by-reference argument.
        for (std::size_t i = args.size(); i-- > 0;)
            if (args.isByRef(i)) {
                args.set(i, messageArray(f.messages));
                break;
            }
        return false;
    }

    bool result = false;
    switch (dispId) {
    case PLATFORM_DISPID_OPEN_QUERY:
        result = openQuery(args, call);
        break;
    case PLATFORM_DISPID_EXEC_SQL:
        result = execSql(args, call);
        break;
    case PLATFORM_DISPID_GET_SERVER_DATE_TIME:
        result = getServerDateTime(args);
        break;
    case PLATFORM_DISPID_GET_SYS_PARAMS:
        result = getSysParams(args);
        break;
    case PLATFORM_DISPID_GET_DB_TYPE:
        args.expectCount(0);
        calls_.push_back(call);
        if (dbTypeRaises_)
            throw std::runtime_error("无法确定数据库类型");
        return platform::Variant(dbType_);
    default:
        throw platform::EDispatchError(PLATFORM_DISP_UNKNOWN_DISPID,
                                       platform::dispatchStatusText(PLATFORM_DISP_UNKNOWN_DISPID));
    }
    call.result = result;
    calls_.push_back(call);
    return result;
}

bool CoorDispService::answerQuery(platform::DispatchArgs& args, std::size_t index,
                                  const std::string& sql) {
    platform::DataPacket packet;
    std::vector<std::string> errors;
    if (!database_->query(sql, packet, errors)) {
        args.set(index, messageArray(errors));
        return false;
    }
    try {
        args.set(index, platform::dataPacketVariant(packet));
    } catch (const platform::EDataPacketError& e) {
        args.set(index, messageArray({e.what()}));
        return false;
    }
    return true;
}

bool CoorDispService::openQuery(platform::DispatchArgs& args, Call& call) {
    args.expectCount(2);
    if (!args.isByRef(1))
        throw platform::EDispatchError(PLATFORM_DISP_TYPE_MISMATCH,
                                       platform::dispatchStatusText(PLATFORM_DISP_TYPE_MISMATCH));
    call.sql = args[0].toString();
    return answerQuery(args, 1, call.sql);
}

bool CoorDispService::execSql(platform::DispatchArgs& args, Call& call) {
    args.expectCount(1);
    if (!args.isByRef(0))
        throw platform::EDispatchError(PLATFORM_DISP_TYPE_MISMATCH,
                                       platform::dispatchStatusText(PLATFORM_DISP_TYPE_MISMATCH));
    call.sql = args[0].toString();
    std::vector<std::string> errors;
    if (database_->execute(call.sql, errors))
        return true;
    args.set(0, messageArray(errors));
    return false;
}

bool CoorDispService::getServerDateTime(platform::DispatchArgs& args) {
    args.expectCount(1);
    std::string now;
    std::vector<std::string> errors;
    if (fixedDateTime_) {
        now = *fixedDateTime_;
    } else if (!database_->serverDateTime(now, errors)) {
        args.set(0, messageArray(errors));
        return false;
    }
    args.set(0, platform::Variant(now));
    return true;
}

bool CoorDispService::getSysParams(platform::DispatchArgs& args) {
    args.expectCount(1);
    // PostgreSQL folds unquoted names to lower case; the packet keeps the names callers use.
    const std::string sql =
        database_->kind() == DatabaseKind::Postgres
            ? std::string("select f_Csmc as \"f_Csmc\", f_csz as \"f_csz\" "
                          "from ") +
                  kSysParamTable + " order by f_Csmc"
            : std::string("select f_Csmc,f_csz from ") + kSysParamTable + " order by rowid";
    return answerQuery(args, 0, sql);
}

} // namespace host
