// Data-source adapters: ranges over every kind of cursor, the user dataset's events, the
// database adapter's errors, bookmarks and master/dependant moves, the band range override,
// the cursors themselves, and field references resolved through the data dictionary.

#include "platform/ClientDataSet.h"
#include "report/engine/data/RMClientDataSetCursor.h"
#include "report/engine/data/RMCsvCursor.h"
#include "report/engine/data/RMItemModelCursor.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMDatasetList.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMBandRangeOverride.h"

#include <QDate>
#include <QDir>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace report;
using platform::EDatabaseError;

namespace {

constexpr int kRecords = 10;

std::string csvOfRecords() {
    std::string csv = "code,name\r\n";
    for (int i = 1; i <= kRecords; ++i)
        csv += std::to_string(i) + ",unit " + std::to_string(i) + "\r\n";
    return csv;
}

// One cursor of each kind over the same ten records (code 1…10, name "unit n"), with
// whatever keeps its data alive.
struct CursorFixture {
    std::string kind;
    std::shared_ptr<void> data;
    std::unique_ptr<TRMDataCursor> cursor;
};

std::vector<std::function<CursorFixture()>> cursorKinds() {
    return {
        [] {
            auto dataSet = std::make_shared<platform::TClientDataSet>("cdsUnits");
            platform::DataPacket packet;
            packet.fields = {"code", "name"};
            for (int i = 1; i <= kRecords; ++i)
                packet.rows.push_back({std::to_string(i), "unit " + std::to_string(i)});
            dataSet->setData(packet);
            return CursorFixture{"client dataset", dataSet,
                                 std::make_unique<TRMClientDataSetCursor>(*dataSet)};
        },
        [] {
            auto model = std::make_shared<QStandardItemModel>(kRecords, 2);
            model->setHorizontalHeaderLabels({"code", "name"});
            for (int i = 0; i < kRecords; ++i) {
                model->setData(model->index(i, 0), i + 1);
                model->setData(model->index(i, 1), QString("unit %1").arg(i + 1));
            }
            auto cursor = std::make_unique<TRMItemModelCursor>(model.get());
            cursor->open();
            return CursorFixture{"item model", model, std::move(cursor)};
        },
        [] {
            auto cursor = std::make_unique<TRMCsvCursor>(csvOfRecords());
            cursor->open();
            return CursorFixture{"csv", nullptr, std::move(cursor)};
        },
    };
}

std::string codeOf(TRMDataCursor& cursor) {
    platform::Variant value;
    EXPECT_TRUE(cursor.fieldValue("CODE", value));
    return value.toString();
}

// Iterates as a data band does and returns the codes it saw (at most 50).
std::vector<std::string> walk(TRMDBDataSet& adapter) {
    std::vector<std::string> codes;
    adapter.Init();
    for (adapter.First(); !adapter.Eof() && codes.size() < 50; adapter.Next())
        codes.push_back(codeOf(*adapter.GetDataSet()));
    adapter.Exit();
    return codes;
}

std::vector<std::string> codes(int from, int to) {
    std::vector<std::string> out;
    for (int i = from; i <= to; ++i)
        out.push_back(std::to_string(i));
    return out;
}

} // namespace

TEST(DataSources, RangesYieldTheSameRecordsOverEveryCursor) {
    for (const auto& make : cursorKinds()) {
        CursorFixture fixture = make();
        SCOPED_TRACE(fixture.kind);
        TRMDataCursor& cursor = *fixture.cursor;
        TRMDBDataSet adapter("RMGridDataSet1");
        adapter.setDataSet(&cursor);

        EXPECT_EQ(walk(adapter), codes(1, 10));

        adapter.RangeEnd = reCount;
        adapter.RangeEndCount = 3;
        EXPECT_EQ(walk(adapter), codes(1, 3));
        adapter.RangeEndCount = 0;
        EXPECT_EQ(walk(adapter), codes(1, 0));

        // Starting at the current record: with reCurrent exactly that record, and the
        // cursor stays on it; with reLast on to the end and back to it afterwards.
        cursor.first();
        cursor.moveBy(4);
        adapter.RangeBegin = rbCurrent;
        adapter.RangeEnd = reCurrent;
        EXPECT_EQ(walk(adapter), codes(5, 5));
        EXPECT_EQ(codeOf(cursor), "5");
        adapter.RangeEnd = reLast;
        EXPECT_EQ(walk(adapter), codes(5, 10));
        EXPECT_EQ(codeOf(cursor), "5");
        EXPECT_FALSE(cursor.eof());

        // From the first record up to the one current at Init.
        adapter.RangeBegin = rbFirst;
        adapter.RangeEnd = reCurrent;
        EXPECT_EQ(walk(adapter), codes(1, 5));
        EXPECT_EQ(codeOf(cursor), "5");
    }
}

TEST(DataSources, CursorsMoveBookmarkAndReadFieldsAlike) {
    for (const auto& make : cursorKinds()) {
        CursorFixture fixture = make();
        SCOPED_TRACE(fixture.kind);
        TRMDataCursor& cursor = *fixture.cursor;
        EXPECT_EQ(cursor.fieldNames(), (std::vector<std::string>{"code", "name"}));
        EXPECT_EQ(cursor.fieldIndex("NAME"), 1);
        EXPECT_EQ(cursor.fieldIndex("missing"), -1);

        cursor.first();
        EXPECT_EQ(cursor.moveBy(3), 3);
        const TRMBookmark fourth = cursor.bookmark();
        EXPECT_EQ(cursor.moveBy(100), 6); // stops on the last record
        EXPECT_TRUE(cursor.eof());
        EXPECT_EQ(codeOf(cursor), "10"); // and its fields stay readable
        EXPECT_EQ(cursor.moveBy(-100), -9);
        EXPECT_EQ(codeOf(cursor), "1");
        EXPECT_LT(cursor.compareBookmarks(cursor.bookmark(), fourth), 0);

        ASSERT_TRUE(cursor.gotoBookmark(fourth));
        EXPECT_EQ(codeOf(cursor), "4");
        EXPECT_EQ(cursor.compareBookmarks(cursor.bookmark(), fourth), 0);
        EXPECT_FALSE(cursor.gotoBookmark(kRecords));
        EXPECT_EQ(codeOf(cursor), "4");
        platform::Variant name;
        ASSERT_TRUE(cursor.fieldValue("name", name));
        EXPECT_EQ(name.toString(), "unit 4");

        // Past the end and back: the last record becomes current again.
        cursor.moveBy(100);
        cursor.next();
        EXPECT_TRUE(cursor.eof());
        ASSERT_TRUE(cursor.gotoBookmark(kRecords - 1));
        EXPECT_FALSE(cursor.eof());
        cursor.prior();
        EXPECT_EQ(codeOf(cursor), "9");

        cursor.close();
        EXPECT_FALSE(cursor.isOpen());
        EXPECT_THROW(cursor.first(), EDatabaseError);
    }
}

TEST(DataSources, UserDatasetEndsOnlyThroughItsEventsOrCount) {
    TRMUserDataset rows("GridRows");
    std::vector<std::string> events;
    int current = -1;
    rows.OnFirst = [&](TRMDataset& sender) {
        EXPECT_EQ(&sender, &rows);
        current = 0;
        events.push_back("first");
    };
    rows.OnNext = [&](TRMDataset&) { events.push_back("next " + std::to_string(++current)); };
    rows.OnPrior = [&](TRMDataset&) { events.push_back("prior " + std::to_string(--current)); };

    // Without an end test it never ends by itself.
    rows.Init();
    rows.First();
    for (int i = 0; i < 100; ++i)
        rows.Next();
    EXPECT_FALSE(rows.Eof());
    EXPECT_EQ(rows.RecordNo(), 100);

    rows.OnCheckEOF = [&](TRMDataset& sender, bool& eof) {
        EXPECT_EQ(&sender, &rows);
        eof = eof || current > 3;
    };
    events.clear();
    int printed = 0;
    for (rows.First(); !rows.Eof(); rows.Next())
        ++printed;
    EXPECT_EQ(printed, 4);
    rows.Prior();
    EXPECT_EQ(rows.RecordNo(), 3);
    EXPECT_EQ(events, (std::vector<std::string>{"first", "next 1", "next 2", "next 3", "next 4",
                                                "prior 3"}));

    // reCount: the move that reaches the count fires no event.
    rows.OnCheckEOF = nullptr;
    rows.RangeEnd = reCount;
    rows.RangeEndCount = 2;
    events.clear();
    printed = 0;
    for (rows.First(); !rows.Eof(); rows.Next())
        ++printed;
    EXPECT_EQ(printed, 2);
    EXPECT_EQ(events, (std::vector<std::string>{"first", "next 1"}));
}

TEST(DataSources, DatabaseAdapterWithoutCursorFailsWithItsName) {
    TRMDBDataSet adapter("Orders");
    EXPECT_EQ(adapter.GetDataSet(), nullptr);
    auto expectFailure = [&](const std::function<void()>& operation) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_STREQ(e.what(), "Unable to open dataset Orders");
        }
    };
    expectFailure([&] { adapter.Init(); });
    expectFailure([&] { adapter.First(); });
    expectFailure([&] { adapter.Next(); });
    expectFailure([&] { adapter.Prior(); });
    expectFailure([&] { adapter.Eof(); });
    expectFailure([&] { adapter.MoveBy(1); });
    expectFailure([&] {
        platform::Variant value;
        adapter.FieldValue("code", value);
    });
    EXPECT_NO_THROW(adapter.Exit()); // nothing was opened

    // A data source with no data set is no cursor either; one with a cursor wins over
    // DataSet, and setting either clears the other.
    TRMCsvCursor csv("code\n1\n");
    TRMDataSource source;
    adapter.setDataSource(&source);
    expectFailure([&] { adapter.Init(); });
    source.DataSet = &csv;
    EXPECT_EQ(adapter.GetDataSet(), &csv);
    TRMCsvCursor other("code\n2\n");
    adapter.setDataSet(&other);
    EXPECT_EQ(adapter.DataSource(), nullptr);
    EXPECT_EQ(adapter.GetDataSet(), &other);
    adapter.setDataSource(&source);
    EXPECT_EQ(adapter.DataSet(), nullptr);
    EXPECT_EQ(walk(adapter), codes(1, 1));
}

TEST(DataSources, InitAndExitOpenCloseAndFireEvents) {
    TRMCsvCursor csv(csvOfRecords());
    TRMDBDataSet adapter("Units");
    adapter.setDataSet(&csv);
    std::vector<std::string> events;
    adapter.OnOpen = [&](TRMDataset&) { events.push_back(csv.isOpen() ? "open" : "closed"); };
    adapter.OnClose = [&](TRMDataset&) { events.push_back("close"); };

    adapter.OpenDataSource = false;
    EXPECT_THROW(adapter.Init(), EDatabaseError); // a closed cursor stays closed
    events.clear();
    adapter.OpenDataSource = true;
    adapter.CloseDataSource = true;
    EXPECT_EQ(walk(adapter), codes(1, 10));
    EXPECT_EQ(events, (std::vector<std::string>{"open", "close"}));
    EXPECT_FALSE(csv.isOpen());

    // Field access opens the cursor too.
    platform::Variant value;
    EXPECT_TRUE(adapter.FieldValue("Name", value));
    EXPECT_EQ(value.toString(), "unit 1");
    EXPECT_FALSE(adapter.FieldValue("missing", value));
    EXPECT_EQ(adapter.FieldNames(), (std::vector<std::string>{"code", "name"}));

    adapter.CloseDataSource = false;
    adapter.Init();
    adapter.First();
    EXPECT_EQ(adapter.MoveBy(4), 4);
    EXPECT_EQ(adapter.RecordNo(), 4);
    EXPECT_EQ(adapter.MoveBy(-10), -4);
    EXPECT_EQ(adapter.RecordNo(), 0);
    adapter.Exit();
    EXPECT_TRUE(csv.isOpen());
}

TEST(DataSources, DependantsMoveWithTheirMaster) {
    TRMCsvCursor masterRows(csvOfRecords());
    TRMCsvCursor detailRows(csvOfRecords());
    TRMDBDataSet master("Master");
    master.setDataSet(&masterRows);
    auto detail = std::make_unique<TRMDBDataSet>("Detail");
    detail->setDataSet(&detailRows);
    detail->setMasterDataset(&master);
    ASSERT_EQ(master.Dependants(), (std::vector<TRMDBDataSet*>{detail.get()}));

    master.Init();
    detail->Init();
    master.First();
    master.Next();
    master.Next();
    EXPECT_EQ(codeOf(detailRows), "3");
    master.Prior();
    EXPECT_EQ(codeOf(detailRows), "2");
    // The move that reaches a reCount end leaves the dependants where they are.
    master.RangeEnd = reCount;
    master.RangeEndCount = 2;
    master.Next();
    EXPECT_TRUE(master.Eof());
    EXPECT_EQ(codeOf(detailRows), "2");

    // A new master takes the dependant over; a cycle is refused.
    TRMUserDataset other("Other");
    detail->setMasterDataset(&other);
    EXPECT_TRUE(master.Dependants().empty());
    other.First();
    EXPECT_EQ(codeOf(detailRows), "1");
    master.setMasterDataset(detail.get());
    EXPECT_THROW(detail->setMasterDataset(&master), EDatabaseError);
    EXPECT_THROW(master.setMasterDataset(&master), EDatabaseError);
    EXPECT_EQ(detail->MasterDataset(), &other);

    // Either side may go first without leaving a dangling link.
    detail.reset();
    EXPECT_TRUE(other.Dependants().empty());
    EXPECT_EQ(master.MasterDataset(), nullptr);
    {
        TRMUserDataset shortLived("ShortLived");
        master.setMasterDataset(&shortLived);
    }
    EXPECT_EQ(master.MasterDataset(), nullptr);
}

TEST(DataSources, BandRangeOverrideAppliesAndPutsBack) {
    TRMCsvCursor csv(csvOfRecords());
    TRMDBDataSet adapter("Units");
    adapter.setDataSet(&csv);
    TRMBandView band;
    EXPECT_EQ(band.RangeBegin, rbDefault);
    {
        // Defaults change nothing, and nothing is written back.
        TRMBandRangeOverride range;
        range.attach(adapter, band);
        EXPECT_FALSE(range.overridden());
        adapter.RangeEndCount = 7;
    }
    EXPECT_EQ(adapter.RangeEndCount, 7);

    band.RangeBegin = rbCurrent;
    band.RangeEnd = reCount;
    band.RangeEndCount = 3;
    csv.open();
    csv.moveBy(5);
    {
        TRMBandRangeOverride range;
        range.attach(adapter, band);
        EXPECT_TRUE(range.overridden());
        EXPECT_EQ(adapter.RangeBegin, rbCurrent);
        EXPECT_EQ(adapter.RangeEnd, reCount);
        EXPECT_EQ(adapter.RangeEndCount, 3);
        adapter.Init();
        std::vector<std::string> seen;
        for (adapter.First(); !adapter.Eof(); adapter.Next())
            seen.push_back(codeOf(csv));
        EXPECT_EQ(seen, codes(6, 8));
        // Moving the override hands over the duty to restore.
        TRMBandRangeOverride moved(std::move(range));
        EXPECT_EQ(range.dataset(), nullptr);
        moved.restore();
        EXPECT_EQ(moved.dataset(), nullptr);
    }
    EXPECT_EQ(adapter.RangeBegin, rbFirst);
    EXPECT_EQ(adapter.RangeEnd, reLast);
    EXPECT_EQ(adapter.RangeEndCount, 7);
    // Exit ran with the band's rbCurrent: the cursor is back on the record it started on.
    EXPECT_EQ(codeOf(csv), "6");

    // Values that are no range (a damaged template) are ignored; an owned adapter is freed.
    band.RangeBegin = 9;
    band.RangeEnd = 200;
    band.RangeEndCount = -4;
    bool freed = false;
    struct Counted : TRMUserDataset {
        bool& freed;
        explicit Counted(bool& f)
            : freed(f) {}
        ~Counted() override { freed = true; }
    };
    TRMBandRangeOverride range;
    range.attachOwned(std::make_unique<Counted>(freed), band);
    EXPECT_FALSE(range.overridden());
    EXPECT_EQ(range.dataset()->RangeBegin, rbFirst);
    range.restore();
    EXPECT_TRUE(freed);
}

TEST(DataSources, CsvTextWithQuotesLineBreaksAndRaggedRows) {
    TRMCsvCursor csv("\xEF\xBB\xBF"
                     "编码,名称,备注\r\n"
                     "001,\"北京, 总部\",\"He said \"\"hi\"\"\"\n"
                     "\n"
                     "002,\"two\r\nlines\"\r"
                     "003,,\n"
                     "004,x,y,extra,\n"
                     "\"005\"tail");
    EXPECT_EQ(csv.fieldNames(), (std::vector<std::string>{"编码", "名称", "备注"}));
    ASSERT_EQ(csv.recordCount(), 5);
    csv.open();
    auto row = [&] {
        std::vector<std::string> values;
        for (int i = 0; i < csv.fieldCount(); ++i)
            values.push_back(csv.fieldValue(i).toString());
        csv.next();
        return values;
    };
    EXPECT_EQ(row(), (std::vector<std::string>{"001", "北京, 总部", "He said \"hi\""}));
    EXPECT_EQ(row(), (std::vector<std::string>{"002", "two\r\nlines", ""}));
    EXPECT_EQ(row(), (std::vector<std::string>{"003", "", ""}));
    EXPECT_EQ(row(), (std::vector<std::string>{"004", "x", "y"}));
    EXPECT_EQ(row(), (std::vector<std::string>{"005tail", "", ""}));

    try {
        TRMCsvCursor broken("a,b\n1,2\n3,\"open\nstill open");
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "CSV 文本第 3 行的引号没有闭合");
    }
    EXPECT_EQ(TRMCsvCursor("").fieldCount(), 0);
    EXPECT_EQ(TRMCsvCursor("a,b\n").recordCount(), 0);

    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("units.csv").toStdString();
    EXPECT_THROW(TRMCsvCursor::fromFile(path), EDatabaseError);
    {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(csvOfRecords().c_str());
    }
    EXPECT_EQ(TRMCsvCursor::fromFile(path).recordCount(), kRecords);
}

namespace {

// A model that answers only in the display role.
class DisplayOnlyModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& = {}) const override { return 2; }
    int columnCount(const QModelIndex& = {}) const override { return 1; }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(QString("row %1").arg(index.row())) : QVariant();
    }
    QVariant headerData(int, Qt::Orientation, int role) const override {
        return role == Qt::DisplayRole ? QVariant("label") : QVariant();
    }
};

} // namespace

TEST(DataSources, ItemModelValuesKeepTheirKind) {
    auto model = std::make_unique<QStandardItemModel>(1, 6);
    model->setHorizontalHeaderLabels({"int", "double", "date", "text", "none", "flag"});
    model->setData(model->index(0, 0), 42);
    model->setData(model->index(0, 1), 2.5);
    model->setData(model->index(0, 2), QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    model->setData(model->index(0, 3), QStringLiteral("核算"));
    model->setData(model->index(0, 5), true);
    TRMItemModelCursor cursor(model.get());
    cursor.open();
    EXPECT_EQ(cursor.fieldValue(0).type(), platform::VarType::Integer);
    EXPECT_EQ(cursor.fieldValue(0).toInt(), 42);
    EXPECT_DOUBLE_EQ(cursor.fieldValue(1).toDouble(), 2.5);
    EXPECT_EQ(cursor.fieldValue(2).type(), platform::VarType::Date);
    EXPECT_DOUBLE_EQ(cursor.fieldValue(2).toDateTime().days,
                     platform::DateTime::fromParts(2026, 12, 9, 12).days);
    EXPECT_EQ(cursor.fieldValue(3).toString(), "核算");
    EXPECT_TRUE(cursor.fieldValue(4).isNull());
    EXPECT_EQ(cursor.fieldValue(5).type(), platform::VarType::Boolean);

    // Rows removed under the cursor and a model destroyed leave it without records.
    model->removeRows(0, 1);
    EXPECT_TRUE(cursor.eof());
    EXPECT_TRUE(cursor.fieldValue(0).isNull());
    model.reset();
    EXPECT_EQ(cursor.fieldCount(), 0);
    cursor.close();
    EXPECT_THROW(cursor.open(), EDatabaseError);

    DisplayOnlyModel displayOnly;
    TRMItemModelCursor display(&displayOnly);
    display.open();
    display.next();
    platform::Variant value;
    ASSERT_TRUE(display.fieldValue("LABEL", value));
    EXPECT_EQ(value.toString(), "row 1");
}

TEST(DataSources, ClientDataSetCursorNeedsDataAndKeepsNulls) {
    platform::TClientDataSet dataSet("cdsEmpty");
    TRMClientDataSetCursor cursor(dataSet);
    try {
        cursor.open();
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "cdsEmpty: 数据集没有数据，不能打开");
    }
    platform::DataPacket packet;
    packet.fields = {"code"};
    packet.rows = {{std::nullopt}};
    dataSet.setData(packet);
    EXPECT_TRUE(cursor.isOpen());
    EXPECT_TRUE(cursor.fieldValue(0).isNull());
    dataSet.setData(platform::DataPacket{{"code"}, {}});
    EXPECT_TRUE(cursor.eof());
    EXPECT_EQ(cursor.bookmark(), kNoBookmark);
    EXPECT_FALSE(cursor.gotoBookmark(0));
}

TEST(DataSources, FieldReferencesResolveThroughTheDictionary) {
    TRMCsvCursor csv(csvOfRecords());
    auto adapter = std::make_unique<TRMDBDataSet>("RMGridDataSet1");
    adapter->setDataSet(&csv);
    TRMUserDataset rows("GridRows");
    TRMReport report;
    auto list = std::make_unique<TRMDatasetList>();
    list->Add(*adapter, "RMDialogForm");
    list->Add(rows);
    list->attachTo(report.Dictionary);

    EXPECT_EQ(list->Find("rmdialogform.rmgriddataset1"), adapter.get());
    EXPECT_EQ(list->Find("RMGridDataSet1"), adapter.get());
    EXPECT_EQ(list->Find("GridRows"), &rows);
    EXPECT_EQ(list->Find("Other.RMGridDataSet1"), nullptr);

    // The closed cursor opens at the first look-up; later ones follow the cursor.
    EXPECT_EQ(report.ExpandVariables("[RMDialogForm.RMGridDataSet1.\"code\"]"), "1");
    csv.next();
    EXPECT_EQ(report.ExpandVariables("[RMDialogForm.RMGridDataSet1.\"code\"]: "
                                     "[RMGridDataSet1.\"NAME\"] / [rmgriddataset1.name]"),
              "2: unit 2 / unit 2");
    report.Dictionary.FieldAliases = {{"单位名称", "RMGridDataSet1.\"name\""}};
    EXPECT_EQ(report.ExpandVariables("[单位名称]"), "unit 2");
    // Binding a view looks the same names up without reading.
    const auto bound = list->FindField("单位名称", report.Dictionary);
    ASSERT_TRUE(bound.has_value());
    EXPECT_EQ(bound->DataSet, adapter.get());
    EXPECT_EQ(bound->FieldName, "name");
    EXPECT_FALSE(list->FindField("GridRows.code", report.Dictionary).has_value());
    // Inside expressions too; names that are no field resolve as before.
    EXPECT_EQ(report.ExpandVariables("[RMGridDataSet1.\"code\" * 10]"), "20");
    EXPECT_EQ(report.ExpandVariables("[GridRows.code]"), "");
    EXPECT_THROW(report.ExpandVariables("[RMGridDataSet1.\"missing\"]"), EDatabaseError);

    // An adapter renamed or destroyed no longer answers; nor does a destroyed list.
    adapter->Name = "Renamed";
    EXPECT_EQ(report.ExpandVariables("[RMGridDataSet1.\"code\"]"), "");
    EXPECT_EQ(report.ExpandVariables("[Renamed.\"code\"]"), "2");
    adapter.reset();
    EXPECT_EQ(list->Count(), 1);
    EXPECT_EQ(list->Find("Renamed"), nullptr);
    list.reset();
    EXPECT_EQ(report.ExpandVariables("[单位名称]"), "");
}
