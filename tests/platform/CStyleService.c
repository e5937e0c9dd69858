/* A data service written in plain C against dispatch_abi.h, as a host in another language
 * would write it. Operations:
 *   OPEN_QUERY (sql, byref data): "fail..." → data = message array, false; else data =
 *                                 the SQL bytes, true
 *   EXEC_SQL (byref statement):   "bad..." → statement = two messages, false; else true
 *   GET_SERVER_DATE_TIME (byref value): "20261209095900", true
 *   GET_DB_TYPE ():               "SQLSERVER"
 */
#include "platform/dispatch_abi.h"

#include <string.h>

typedef struct CService {
    PlatformDispatch base; /* first member */
    uint32_t refs;
} CService;

static int liveServices = 0;

static uint32_t serviceAddRef(PlatformDispatch* self) {
    return ++((CService*)self)->refs;
}

static uint32_t serviceRelease(PlatformDispatch* self) {
    CService* service = (CService*)self;
    uint32_t refs = --service->refs;
    if (refs == 0) {
        free(service);
        --liveServices;
    }
    return refs;
}

static int startsWith(const PlatformVariant* v, const char* prefix) {
    size_t n = strlen(prefix);
    return v->type == PV_STRING && v->value.string.length >= n &&
           memcmp(v->value.string.data, prefix, n) == 0;
}

static int setMessages(PlatformVariant* target, const char* first, const char* second) {
    if (!platform_variant_set_array(target, 2))
        return 0;
    return platform_variant_set_string(&target->value.array.items[0], first, strlen(first)) &&
           platform_variant_set_string(&target->value.array.items[1], second, strlen(second));
}

static int32_t serviceInvoke(PlatformDispatch* self, int32_t dispId, PlatformVariant* args,
                             int32_t argCount, PlatformVariant* result) {
    (void)self;
    switch (dispId) {
    case PLATFORM_DISPID_OPEN_QUERY: {
        PlatformVariant* sql;
        PlatformVariant* data;
        if (argCount != 2)
            return PLATFORM_DISP_BAD_ARG_COUNT;
        if (args[1].type != PV_BYREF)
            return PLATFORM_DISP_TYPE_MISMATCH;
        sql = platform_variant_deref(&args[0]);
        data = args[1].value.ref;
        if (sql->type != PV_STRING)
            return PLATFORM_DISP_TYPE_MISMATCH;
        if (startsWith(sql, "fail")) {
            if (!setMessages(data, "查询失败", "表不存在"))
                return PLATFORM_DISP_OUT_OF_MEMORY;
            platform_variant_set_bool(result, 0);
            return PLATFORM_DISP_OK;
        }
        if (!platform_variant_set_bytes(data, sql->value.string.data, sql->value.string.length))
            return PLATFORM_DISP_OUT_OF_MEMORY;
        platform_variant_set_bool(result, 1);
        return PLATFORM_DISP_OK;
    }
    case PLATFORM_DISPID_EXEC_SQL: {
        PlatformVariant* statement;
        if (argCount != 1)
            return PLATFORM_DISP_BAD_ARG_COUNT;
        if (args[0].type != PV_BYREF)
            return PLATFORM_DISP_TYPE_MISMATCH;
        statement = args[0].value.ref;
        if (startsWith(statement, "bad")) {
            if (!setMessages(statement, "语句错误", "第 1 行"))
                return PLATFORM_DISP_OUT_OF_MEMORY;
            platform_variant_set_bool(result, 0);
        } else {
            platform_variant_set_bool(result, 1);
        }
        return PLATFORM_DISP_OK;
    }
    case PLATFORM_DISPID_GET_SERVER_DATE_TIME: {
        static const char now[] = "20261209095900";
        if (argCount != 1)
            return PLATFORM_DISP_BAD_ARG_COUNT;
        if (args[0].type != PV_BYREF)
            return PLATFORM_DISP_TYPE_MISMATCH;
        if (!platform_variant_set_string(args[0].value.ref, now, sizeof now - 1))
            return PLATFORM_DISP_OUT_OF_MEMORY;
        platform_variant_set_bool(result, 1);
        return PLATFORM_DISP_OK;
    }
    case PLATFORM_DISPID_GET_DB_TYPE:
        if (argCount != 0)
            return PLATFORM_DISP_BAD_ARG_COUNT;
        return platform_variant_set_string(result, "SQLSERVER", 9) ? PLATFORM_DISP_OK
                                                                   : PLATFORM_DISP_OUT_OF_MEMORY;
    default: {
        static const char text[] = "no such operation";
        platform_variant_set_string(result, text, sizeof text - 1);
        return PLATFORM_DISP_UNKNOWN_DISPID;
    }
    }
}

static const PlatformDispatchVtbl serviceVtbl = {serviceAddRef, serviceRelease, serviceInvoke};

PlatformDispatch* cstyle_service_create(void) {
    CService* service = (CService*)calloc(1, sizeof(CService));
    if (!service)
        return NULL;
    service->base.vtbl = &serviceVtbl;
    service->refs = 1;
    ++liveServices;
    return &service->base;
}

int cstyle_service_live_count(void) {
    return liveServices;
}
