#include "platform/Dispatch.h"

#include <gtest/gtest.h>

extern "C" {
PlatformDispatch* cstyle_service_create(void);
int cstyle_service_live_count(void);
}

using platform::byRef;
using platform::DispatchArgs;
using platform::DispatchRef;
using platform::EDispatchError;
using platform::Variant;
using platform::VariantArray;

namespace {

std::vector<std::string> texts(const Variant& array) {
    std::vector<std::string> out;
    for (const auto& item : array.arrayValue())
        out.push_back(item.toString());
    return out;
}

TEST(DispatchTest, VariantsCrossTheAbiIntact) {
    const Variant values[] = {
        Variant(),
        Variant(platform::null),
        Variant(true),
        Variant(std::int64_t{-1} << 62),
        Variant(2.25),
        Variant(platform::Currency{-123456}),
        Variant(platform::DateTime{45000.5}),
        Variant(std::string("含\0零", 7)),
        Variant(std::string()),
        Variant(platform::ByteArray{0, 255, 7}),
        Variant(platform::ByteArray{}),
        Variant(VariantArray{1, "二", VariantArray{platform::null, VariantArray{}}}),
    };
    for (const auto& value : values) {
        platform::PlatformVariantHolder holder(value);
        EXPECT_EQ(holder.toVariant(), value) << value.typeName();
    }
    platform::PlatformVariantHolder text(Variant("abc"));
    EXPECT_EQ(text.get()->value.string.data[3], '\0'); // NUL-terminated for C readers
}

TEST(DispatchTest, MalformedAbiVariantsAreRejected) {
    PlatformVariant bad;
    platform_variant_init(&bad);
    bad.type = PV_STRING;
    bad.value.string.length = 5; // data NULL
    EXPECT_THROW(platform::fromPlatformVariant(bad), platform::EVariantError);
    bad.type = 99;
    EXPECT_THROW(platform::fromPlatformVariant(bad), platform::EVariantError);
    bad.type = PV_BYREF;
    bad.value.ref = nullptr;
    EXPECT_THROW(platform::fromPlatformVariant(bad), platform::EVariantError);

    PlatformVariant inner;
    platform_variant_init(&inner);
    PlatformVariant array;
    platform_variant_init(&array);
    ASSERT_TRUE(platform_variant_set_array(&array, 1));
    platform_variant_set_ref(&array.value.array.items[0], &inner);
    EXPECT_THROW(platform::fromPlatformVariant(array), platform::EVariantError);
    array.value.array.items[0].type = PV_EMPTY;
    platform_variant_clear(&array);

    // A deeply nested value is refused instead of exhausting the stack.
    Variant deep = VariantArray{};
    for (int i = 0; i < 100; ++i)
        deep = Variant(VariantArray{deep});
    PlatformVariant out;
    platform_variant_init(&out);
    EXPECT_THROW(platform::toPlatformVariant(deep, out), platform::EVariantError);
    EXPECT_EQ(out.type, PV_EMPTY);
}

TEST(DispatchTest, CallsIntoACServiceWithByReferenceResults) {
    const int before = cstyle_service_live_count();
    {
        DispatchRef service = DispatchRef::adopt(cstyle_service_create());
        EXPECT_EQ(cstyle_service_live_count(), before + 1);

        Variant data;
        Variant ok = service.invoke(PLATFORM_DISPID_OPEN_QUERY, {"select 1", byRef(data)});
        EXPECT_TRUE(ok.toBool());
        EXPECT_EQ(data, Variant(platform::ByteArray{'s', 'e', 'l', 'e', 'c', 't', ' ', '1'}));

        ok = service.invoke(PLATFORM_DISPID_OPEN_QUERY, {std::string("fail now"), byRef(data)});
        EXPECT_FALSE(ok.toBool());
        EXPECT_EQ(texts(data), (std::vector<std::string>{"查询失败", "表不存在"}));

        Variant statement("bad statement");
        EXPECT_FALSE(service.invoke(PLATFORM_DISPID_EXEC_SQL, {byRef(statement)}).toBool());
        EXPECT_EQ(texts(statement), (std::vector<std::string>{"语句错误", "第 1 行"}));
        statement = "update t set a=1";
        EXPECT_TRUE(service.invoke(PLATFORM_DISPID_EXEC_SQL, {byRef(statement)}).toBool());
        EXPECT_EQ(statement, Variant("update t set a=1")); // untouched when not written

        Variant now;
        EXPECT_TRUE(service.invoke(PLATFORM_DISPID_GET_SERVER_DATE_TIME, {byRef(now)}).toBool());
        EXPECT_EQ(now.toString().substr(0, 8), "20261209");
        EXPECT_EQ(service.invoke(PLATFORM_DISPID_GET_DB_TYPE), Variant("SQLSERVER"));

        // A copy holds its own reference.
        DispatchRef copy = service;
        service.reset();
        EXPECT_EQ(cstyle_service_live_count(), before + 1);
        EXPECT_EQ(copy.invoke(PLATFORM_DISPID_GET_DB_TYPE), Variant("SQLSERVER"));
    }
    EXPECT_EQ(cstyle_service_live_count(), before);
}

TEST(DispatchTest, FailingStatusesBecomeDispatchErrors) {
    DispatchRef service = DispatchRef::adopt(cstyle_service_create());
    try {
        service.invoke(12345);
        FAIL() << "no error";
    } catch (const EDispatchError& error) {
        EXPECT_EQ(error.status(), PLATFORM_DISP_UNKNOWN_DISPID);
        EXPECT_STREQ(error.what(), "no such operation");
    }
    Variant data;
    try {
        service.invoke(PLATFORM_DISPID_OPEN_QUERY, {"select 1", data}); // not by reference
        FAIL() << "no error";
    } catch (const EDispatchError& error) {
        EXPECT_EQ(error.status(), PLATFORM_DISP_TYPE_MISMATCH);
        EXPECT_EQ(std::string(error.what()),
                  platform::dispatchStatusText(PLATFORM_DISP_TYPE_MISMATCH));
    }
    Variant result;
    EXPECT_EQ(service.tryInvoke(PLATFORM_DISPID_GET_DB_TYPE, {}, result), PLATFORM_DISP_OK);
    EXPECT_EQ(result, Variant("SQLSERVER"));

    DispatchRef none;
    EXPECT_THROW(none.invoke(PLATFORM_DISPID_GET_DB_TYPE), EDispatchError);
}

// A host written in C++ on the implementer base.
class CppService : public platform::DispatchObject {
public:
    explicit CppService(int* destroyed)
        : destroyed_(destroyed) {}
    ~CppService() override { ++*destroyed_; }

protected:
    Variant invoke(std::int32_t dispId, DispatchArgs& args) override {
        switch (dispId) {
        case PLATFORM_DISPID_EXEC_SQL:
            args.expectCount(1);
            if (args[0].toString() == "throw") {
                args.set(0, VariantArray{"执行失败"});
                throw std::runtime_error("数据库已断开");
            }
            args.set(0, args[0].toString() + " done");
            return true;
        case 7:
            args.set(0, 1); // argument 0 is by value here: refused
            return {};
        case 8:
            throw 42; // not a std::exception
        default:
            throw EDispatchError(PLATFORM_DISP_UNKNOWN_DISPID, "unknown");
        }
    }

private:
    int* destroyed_;
};

TEST(DispatchTest, CppImplementationsReportErrorsAsStatuses) {
    int destroyed = 0;
    {
        DispatchRef service = platform::makeDispatch<CppService>(&destroyed);
        ASSERT_NE(platform::DispatchObject::fromDispatch(service.get()), nullptr);

        Variant statement("insert");
        EXPECT_TRUE(service.invoke(PLATFORM_DISPID_EXEC_SQL, {byRef(statement)}).toBool());
        EXPECT_EQ(statement, Variant("insert done"));

        // The write-back made before the error still reaches the caller.
        statement = "throw";
        try {
            service.invoke(PLATFORM_DISPID_EXEC_SQL, {byRef(statement)});
            FAIL() << "no error";
        } catch (const EDispatchError& error) {
            EXPECT_EQ(error.status(), PLATFORM_DISP_FAILED);
            EXPECT_STREQ(error.what(), "数据库已断开");
        }
        EXPECT_EQ(texts(statement), std::vector<std::string>{"执行失败"});

        Variant result;
        EXPECT_EQ(service.tryInvoke(PLATFORM_DISPID_EXEC_SQL, {}, result),
                  PLATFORM_DISP_BAD_ARG_COUNT);
        const platform::DispatchArg byValue[] = {Variant(1)};
        EXPECT_EQ(service.tryInvoke(7, byValue, result), PLATFORM_DISP_TYPE_MISMATCH);
        EXPECT_EQ(service.tryInvoke(8, {}, result), PLATFORM_DISP_FAILED);
        EXPECT_EQ(service.tryInvoke(9, {}, result), PLATFORM_DISP_UNKNOWN_DISPID);
        EXPECT_EQ(result, Variant("unknown"));
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(DispatchTest, RawCallsWithMalformedArgumentsAreRefusedNotCrashed) {
    int destroyed = 0;
    DispatchRef service = platform::makeDispatch<CppService>(&destroyed);
    PlatformDispatch* raw = service.get();
    PlatformVariant result;
    platform_variant_init(&result);

    PlatformVariant arg;
    platform_variant_init(&arg);
    arg.type = PV_BYREF;
    arg.value.ref = nullptr;
    EXPECT_EQ(raw->vtbl->invoke(raw, PLATFORM_DISPID_EXEC_SQL, &arg, 1, &result),
              PLATFORM_DISP_BAD_VARIANT);
    EXPECT_EQ(raw->vtbl->invoke(raw, PLATFORM_DISPID_EXEC_SQL, nullptr, 1, &result),
              PLATFORM_DISP_BAD_ARG_COUNT);
    EXPECT_EQ(raw->vtbl->invoke(raw, PLATFORM_DISPID_EXEC_SQL, &arg, -1, &result),
              PLATFORM_DISP_BAD_ARG_COUNT);
    EXPECT_EQ(raw->vtbl->invoke(raw, PLATFORM_DISPID_EXEC_SQL, &arg, 1, nullptr),
              PLATFORM_DISP_BAD_VARIANT);
    platform_variant_clear(&result);

    // The reference count is the object's life: addRef/release through the C table.
    EXPECT_EQ(raw->vtbl->addRef(raw), 2u);
    EXPECT_EQ(raw->vtbl->release(raw), 1u);
    service.reset();
    EXPECT_EQ(destroyed, 1);
}

} // namespace
