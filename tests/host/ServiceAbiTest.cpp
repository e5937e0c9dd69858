// The host's data service seen through the bare C interface, as a host or plug-in written
// in C would see it.

#include "host/CoorDispService.h"
#include "host/DemoDatabase.h"
#include "host/SqliteDatabase.h"
#include "platform/DataPacket.h"
#include "platform/dispatch_abi.h"

#include <QTemporaryDir>

#include <cstring>
#include <gtest/gtest.h>

namespace {

class ServiceAbiTest : public ::testing::Test {
protected:
    ServiceAbiTest() {
        const std::string path = (dir.path() + "/demo.sqlite").toStdString();
        host::createDemoDatabase(path);
        ref = host::CoorDispService::create(std::make_shared<host::SqliteDatabase>(
                                                path, host::SqliteDatabase::OpenMode::ExistingOnly),
                                            &service);
        raw = ref.get();
    }

    int32_t call(int32_t dispId, PlatformVariant* args, int32_t count, PlatformVariant* result) {
        return raw->vtbl->invoke(raw, dispId, args, count, result);
    }

    static void setText(PlatformVariant& v, const char* text) {
        ASSERT_TRUE(platform_variant_set_string(&v, text, std::strlen(text)));
    }

    QTemporaryDir dir;
    host::CoorDispService* service = nullptr;
    platform::DispatchRef ref;
    PlatformDispatch* raw = nullptr;
};

} // namespace

TEST_F(ServiceAbiTest, OpenQueryThroughTheCInterface) {
    PlatformVariant args[2], data, result;
    platform_variant_init(&args[0]);
    platform_variant_init(&args[1]);
    platform_variant_init(&data);
    platform_variant_init(&result);
    setText(args[0], "select f_Hsdwh from tbHsdwda where f_Hsdwh<'0004'");
    platform_variant_set_ref(&args[1], &data);

    ASSERT_EQ(call(PLATFORM_DISPID_OPEN_QUERY, args, 2, &result), PLATFORM_DISP_OK);
    ASSERT_EQ(result.type, PV_BOOL);
    EXPECT_NE(result.value.boolean, 0);
    ASSERT_EQ(data.type, PV_BYTES);
    const platform::DataPacket packet = platform::decodeDataPacket(
        std::span<const std::uint8_t>(data.value.bytes.data, data.value.bytes.length));
    EXPECT_EQ(packet.rows.size(), 3u);

    platform_variant_clear(&result);
    setText(args[0], "select * from nowhere");
    ASSERT_EQ(call(PLATFORM_DISPID_OPEN_QUERY, args, 2, &result), PLATFORM_DISP_OK);
    EXPECT_EQ(result.value.boolean, 0);
    ASSERT_EQ(data.type, PV_ARRAY);
    ASSERT_EQ(data.value.array.count, 1u);
    ASSERT_EQ(data.value.array.items[0].type, PV_STRING);
    EXPECT_STREQ(data.value.array.items[0].value.string.data, "no such table: nowhere");

    for (PlatformVariant* v : {&args[0], &args[1], &data, &result})
        platform_variant_clear(v);
}

TEST_F(ServiceAbiTest, MalformedCallsGetAStatusNotACrash) {
    PlatformVariant arg, result;
    platform_variant_init(&arg);
    platform_variant_init(&result);
    setText(arg, "delete from tbHsdwda");

    EXPECT_EQ(call(PLATFORM_DISPID_EXEC_SQL, &arg, 1, &result), PLATFORM_DISP_TYPE_MISMATCH)
        << "the statement must come by reference";
    platform_variant_clear(&result);
    EXPECT_EQ(call(PLATFORM_DISPID_EXEC_SQL, nullptr, 0, &result), PLATFORM_DISP_BAD_ARG_COUNT);
    platform_variant_clear(&result);
    EXPECT_EQ(call(12345, nullptr, 0, &result), PLATFORM_DISP_UNKNOWN_DISPID);
    platform_variant_clear(&result);

    service->setDbTypeRaises(true);
    EXPECT_EQ(call(PLATFORM_DISPID_GET_DB_TYPE, nullptr, 0, &result), PLATFORM_DISP_FAILED);
    platform_variant_clear(&result);

    // Nothing was deleted by the refused call.
    std::vector<std::string> errors;
    platform::DataPacket rows;
    ASSERT_TRUE(service->database().query("select count(*) from tbHsdwda", rows, errors));
    EXPECT_EQ(rows.rows.at(0).at(0), "30");
    platform_variant_clear(&arg);
}

TEST_F(ServiceAbiTest, LogsTheStatementsItServed) {
    platform::Variant statement("update tbHsdwda set f_Hsdwmc='总部' where(f_Hsdwh='0001')");
    ASSERT_TRUE(ref.invoke(PLATFORM_DISPID_EXEC_SQL, {platform::byRef(statement)}).toBool());
    platform::Variant value;
    ASSERT_TRUE(
        ref.invoke(PLATFORM_DISPID_GET_SERVER_DATE_TIME, {platform::byRef(value)}).toBool());
    ASSERT_EQ(service->calls().size(), 2u);
    EXPECT_EQ(service->calls()[0].dispId, PLATFORM_DISPID_EXEC_SQL);
    EXPECT_EQ(service->calls()[0].sql, "update tbHsdwda set f_Hsdwmc='总部' where(f_Hsdwh='0001')");
    EXPECT_TRUE(service->calls()[0].result);
    EXPECT_EQ(service->calls()[1].dispId, PLATFORM_DISPID_GET_SERVER_DATE_TIME);

    service->setFixedDateTime("20261209103000");
    ASSERT_TRUE(
        ref.invoke(PLATFORM_DISPID_GET_SERVER_DATE_TIME, {platform::byRef(value)}).toBool());
    EXPECT_EQ(value.toString(), "20261209103000");
}
