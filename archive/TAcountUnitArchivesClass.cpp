#include "archive/TAcountUnitArchivesClass.h"

#include "archive/ArchiveSql.h"
#include "platform/ClientDataSet.h"
#include "platform/Gbk.h"
#include "platform/MessageBox.h"
#include "plugin/SharedHelpers.h"

namespace archive {
namespace {

// Closes the store's dataset on every way out of an operation.
class CloseOnExit {
public:
    explicit CloseOnExit(platform::TClientDataSet& ds)
        : ds_(ds) {}
    ~CloseOnExit() { ds_.Close(); }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    platform::TClientDataSet& ds_;
};

} // namespace

TAcountUnitArchivesClass::TAcountUnitArchivesClass(ArchiveStoreSite& site)
    : site_(site) {}

TAcountUnitArchivesClass::~TAcountUnitArchivesClass() = default;

bool TAcountUnitArchivesClass::LoadRecords() {
    Records.Clear();
    platform::Variant data;
    if (!site_.dataService().OpenQuery(sql::selectAll(), data)) {
        // The service's own messages say what happened (a missing table, a lost server,
        // contents that are no text).
        platform::MessageBox(site_.windowHandle(),
                             sql::failureText("取核算单位档案时发生异常，可能是没有核算单位表!",
                                              sql::messageTexts(data)),
                             "错误", platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    platform::TClientDataSet& ds = site_.storeDataSet();
    CloseOnExit closer(ds);
    try {
        ds.setData(data);
        data = platform::Variant();
        platform::TField& code = ds.FieldByName("f_Hsdwh");
        platform::TField& name = ds.FieldByName("f_Hsdwmc");
        Records.reserve(static_cast<std::size_t>(ds.RecordCount()));
        for (ds.First(); !ds.Eof(); ds.Next()) {
            TAcountUnitArchivesRecord& r = Records.Add();
            r.Hsdwh = code.AsString();
            r.Hsdwmc = name.AsString();
        }
    } catch (...) {
        // A damaged result leaves no half-read list behind.
        Records.Clear();
        throw;
    }
    return true;
}

bool TAcountUnitArchivesClass::checkCode(std::string_view code) {
    platform::Variant data;
    if (!site_.dataService().OpenQuery(sql::selectCode(code), data)) {
        std::string joined;
        plugin::ShowMessageList(site_.applicationWindow(), data, {}, joined);
        return false;
    }
    site_.storeDataSet().setData(data);
    return true;
}

void TAcountUnitArchivesClass::refuse(const std::string& text) {
    refusedDuplicate_ = true;
    platform::MessageBox(site_.applicationWindow(), text, "错误",
                         platform::MB_OK | platform::MB_ICONERROR);
}

bool TAcountUnitArchivesClass::execute(const std::string& statementText,
                                       std::string_view failureHeading) {
    platform::Variant statement(statementText);
    if (site_.dataService().ExecSql(statement))
        return true;
    platform::MessageBox(site_.applicationWindow(),
                         sql::failureText(failureHeading, sql::messageTexts(statement)), "错误",
                         platform::MB_OK | platform::MB_ICONERROR);
    return false;
}

bool TAcountUnitArchivesClass::AddRecord(const TAcountUnitArchivesRecord& record) {
    refusedDuplicate_ = false;
    CloseOnExit closer(site_.storeDataSet());
    if (!checkCode(record.Hsdwh))
        return false;
    if (!site_.storeDataSet().IsEmpty()) {
        refuse(record.Hsdwh + "核算单位存在,无法新增!");
        site_.clearRefusedRow();
        return false;
    }
    return execute(sql::insertUnit(record.Hsdwh, record.Hsdwmc), "增加核算单位时错误!");
}

bool TAcountUnitArchivesClass::ModifyRecord(const TAcountUnitArchivesRecord& newValues,
                                            const TAcountUnitArchivesRecord& current) {
    refusedDuplicate_ = false;
    if (platform::trimBlanks(newValues.Hsdwh) == platform::trimBlanks(current.Hsdwh))
        return execute(sql::updateName(current.Hsdwh, newValues.Hsdwmc), "修改核算单位档案时错误!");

    CloseOnExit closer(site_.storeDataSet());
    if (!checkCode(newValues.Hsdwh))
        return false;
    if (!site_.storeDataSet().IsEmpty()) {
        refuse(newValues.Hsdwh + "核算单位存在,无法修改!");
        return false;
    }
    return execute(sql::updateUnit(current.Hsdwh, newValues.Hsdwh, newValues.Hsdwmc),
                   "修改核算单位档案时错误!");
}

bool TAcountUnitArchivesClass::DeleteRecord(std::string_view code) {
    return execute(sql::deleteUnit(code), "删除核算单位时错误!");
}

} // namespace archive
