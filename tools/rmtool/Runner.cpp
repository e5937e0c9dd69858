#include "tools/rmtool/Runner.h"

#include "report/engine/data/RMCsvCursor.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMPaper.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMTemplateJson.h"
#include "report/export/RMCsvExportFilter.h"
#include "report/export/RMPdfExportFilter.h"
#include "report/export/RMPngExportFilter.h"
#include "report/export/RMXlsxExportFilter.h"
#include "report/print/RMPageList.h"
#include "report/print/RMPreparedPageSource.h"
#include "report/print/RMPrintRun.h"
#include "report/print/RMPrinter.h"
#include "report/print/RMPrinterList.h"
#include "tools/rmtool/RMSqliteCursor.h"
#include "tools/rmtool/TerminalProgress.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>
#include <memory>

namespace rmtool {

namespace {

std::string suffixOf(const std::string& file) {
    return QFileInfo(QString::fromStdString(file)).suffix().toLower().toStdString();
}

std::string millimetres(std::int32_t tenths) {
    const std::string whole = std::to_string(tenths / 10);
    return tenths % 10 == 0 ? whole : whole + "." + std::to_string(std::abs(tenths % 10));
}

// "A4 210 x 297 毫米, 横向"; papers whose name gives no size get theirs.
std::string paperText(const report::TRMPageInfo& page) {
    std::string text = report::paperName(page.PaperSize);
    if (page.PaperSize == report::rmCustomPaperSize ||
        (text.find("毫米") == std::string::npos && text.find("mm") == std::string::npos))
        text += " " + millimetres(page.PaperWidth) + "×" + millimetres(page.PaperHeight) + " 毫米";
    return text + ", " + (page.Orientation == report::poLandscape ? "横向" : "纵向");
}

std::string pageRange(int first, int last) {
    return first == last ? "第" + std::to_string(first) + "页"
                         : "第" + std::to_string(first) + "-" + std::to_string(last) + "页";
}

} // namespace

int Runner::fail(int code, const std::string& message) {
    std::fprintf(err_, "rmtool: %s\n", message.c_str());
    return code;
}

std::vector<int> Runner::pageIndexes(const std::string& list, int pageCount) {
    std::set<int> pages;
    try {
        pages = report::parsePageList(list, pageCount);
    } catch (const report::EConvertError& e) {
        throw UsageError("页码 '" + list + "' 有误：" + e.what());
    }
    if (!list.empty() && pages.empty())
        throw UsageError("页码 '" + list + "' 没有指定任何页");
    std::vector<int> indexes;
    for (int page : pages) {
        if (page < 1 || page > pageCount)
            throw UsageError("报表只有 " + std::to_string(pageCount) + " 页，没有第 " +
                             std::to_string(page) + " 页");
        indexes.push_back(page - 1);
    }
    return indexes;
}

bool Runner::loadPrepared(const std::string& file, report::TRMReport& report, int& code) {
    const QFileInfo info(QString::fromStdString(file));
    if (!info.exists()) {
        code = fail(BadInput, "文件不存在：" + file);
        return false;
    }
    if (!info.isFile() || !info.isReadable()) {
        code = fail(BadInput, "无法读取文件：" + file);
        return false;
    }
    std::string error;
    if (!report.EMFPages.LoadFromFile(file, &error)) {
        code = fail(BadInput, file + " 不是报表文件或已损坏：" + error);
        return false;
    }
    return true;
}

int Runner::run(const Command& command) {
    try {
        switch (command.kind) {
        case Command::Help:
            std::fputs(usage().c_str(), out_);
            return Done;
        case Command::Version:
            std::fprintf(out_, "rmtool %s\n", HSDW_VERSION);
            return Done;
        case Command::Info:
            return info(command);
        case Command::Export:
            return exportPages(command);
        case Command::Print:
            return print(command);
        case Command::Render:
            return render(command);
        case Command::Dump:
            return dump(command);
        case Command::Build:
        case Command::Check:
            return build(command);
        }
    } catch (const UsageError& e) {
        return fail(BadUsage, e.what());
    } catch (const std::exception& e) {
        return fail(OutputFailed, e.what());
    }
    return Done;
}

int Runner::info(const Command& command) {
    if (const std::string suffix = suffixOf(command.input); suffix == "rmf" || suffix == "json")
        return templateInfo(command);
    report::TRMReport report;
    int code = Done;
    if (!loadPrepared(command.input, report, code))
        return code;
    const report::TRMEMFPages& pages = report.EMFPages;
    std::fprintf(out_, "文件: %s\n页数: %d\n", command.input.c_str(), pages.pageCount());
    // Runs of pages with the same paper, and of the same template page.
    auto runs = [&](const char* heading, auto describe) {
        std::fprintf(out_, "%s:\n", heading);
        int first = 1;
        for (int i = 1; i <= pages.pageCount(); ++i) {
            const std::string here = describe(pages.pageInfo(i - 1));
            if (i < pages.pageCount() && describe(pages.pageInfo(i)) == here)
                continue;
            std::fprintf(out_, "  %s: %s\n", pageRange(first, i).c_str(), here.c_str());
            first = i + 1;
        }
    };
    runs("纸张", paperText);
    runs("模板页", [](const report::TRMPageInfo& p) {
        return "模板第" + std::to_string(p.TemplatePageNo) + "页";
    });
    return Done;
}

int Runner::writeOutput(const Command& command, const report::TRMEMFPages& pages,
                        const std::string& title) {
    const std::vector<int> indexes = pageIndexes(command.pages, pages.pageCount());
    const std::string suffix = suffixOf(command.output);
    std::unique_ptr<report::TRMFileFormat> filter;
    report::TRMPngExportFilter* png = nullptr;
    if (suffix == "xlsx") {
        auto xlsx = std::make_unique<report::TRMXlsxExportFilter>();
        xlsx->Options.SheetPerPage = command.sheetPerPage;
        filter = std::move(xlsx);
    } else if (suffix == "csv") {
        auto csv = std::make_unique<report::TRMCsvExportFilter>();
        if (command.gbk)
            csv->TextEncoding = report::TRMCsvExportFilter::Encoding::Gbk;
        csv->EscapeFormulas = !command.csvFormulas;
        filter = std::move(csv);
    } else if (suffix == "png") {
        auto image = std::make_unique<report::TRMPngExportFilter>();
        image->Dpi = command.dpi;
        png = image.get();
        filter = std::move(image);
    } else {
        filter = std::make_unique<report::TRMPdfExportFilter>();
    }
    TerminalProgress progress(err_, indexes.empty() ? pages.pageCount()
                                                    : static_cast<int>(indexes.size()));
    progress.setCaption("导出");
    const report::TRMExportResult result =
        filter->writeFile(pages, command.output, indexes, &progress, title);
    progress.finish();
    if (result.status != report::TRMExportStatus::Exported)
        return fail(OutputFailed, "导出失败：" + result.message);
    if (png != nullptr && png->Outputs().size() > 1) {
        std::fprintf(out_, "已导出 %d 页到:\n", result.pages);
        for (const std::string& file : png->Outputs())
            std::fprintf(out_, "  %s\n", file.c_str());
    } else {
        std::fprintf(out_, "已导出 %d 页到 %s\n", result.pages, command.output.c_str());
    }
    return Done;
}

int Runner::exportPages(const Command& command) {
    report::TRMReport report;
    int code = Done;
    if (!loadPrepared(command.input, report, code))
        return code;
    return writeOutput(
        command, report.EMFPages,
        QFileInfo(QString::fromStdString(command.input)).completeBaseName().toStdString());
}

int Runner::print(const Command& command) {
    report::TRMReport report;
    int code = Done;
    if (!loadPrepared(command.input, report, code))
        return code;
    const int count = report.EMFPages.pageCount();
    pageIndexes(command.pages, count); // reports a bad list before anything is printed

    report::TRMPrinterList& list = report::TRMPrinterList::instance();
    report::TRMPrinter& printer = report::RMPrinter();
    int index = list.DefaultIndex();
    if (!command.printer.empty()) {
        index = -1;
        const QString wanted = QString::fromStdString(command.printer);
        for (int i = 0; i < list.Count(); ++i)
            if (QString::fromStdString(list.Name(i)).compare(wanted, Qt::CaseInsensitive) == 0)
                index = i;
        if (index < 0) {
            std::string names;
            for (int i = 0; i < list.Count(); ++i)
                names += "\n  " + list.Name(i);
            return fail(UnknownPrinter,
                        "没有打印机 '" + command.printer + "'。可用的打印机:" + names);
        }
    }
    std::string error;
    if (!printer.SelectIndex(index, &error))
        return fail(OutputFailed, "无法使用打印机 " + list.Name(index) + "：" + error);
    const std::unique_ptr<report::TRMPrintDevice> device = printer.CreateDevice();
    if (!device)
        return fail(OutputFailed, list.Name(index) + " 不能打印（没有输出设备）");

    report::TRMPreparedPageSource source(report.EMFPages);
    report::TRMPrintRun run(source, printer, *device);
    TerminalProgress progress(err_, 0);
    progress.setTotal((command.pages.empty()
                           ? count
                           : static_cast<int>(pageIndexes(command.pages, count).size())) *
                      command.copies);
    run.Progress = &progress;
    report::TRMPrintRunOptions options;
    options.jobTitle =
        QFileInfo(QString::fromStdString(command.input)).completeBaseName().toStdString();
    options.pageList = command.pages;
    options.copies = command.copies;
    options.collate = command.collate;
    const report::TRMPrintResult result = run.Execute(options);
    progress.finish();
    switch (result.status) {
    case report::TRMPrintStatus::Printed:
        std::fprintf(out_, "已在 %s 上打印 %d 页\n", list.Name(index).c_str(), result.pagesPrinted);
        for (const std::string& output : result.outputs)
            std::fprintf(out_, "  %s\n", output.c_str());
        return Done;
    case report::TRMPrintStatus::Nothing:
        std::fprintf(out_, "没有要打印的页\n");
        return Done;
    case report::TRMPrintStatus::BadPageList:
        return fail(BadUsage, "页码 '" + command.pages + "' 有误：" + result.message);
    case report::TRMPrintStatus::Cancelled:
        return fail(OutputFailed, "打印已取消");
    case report::TRMPrintStatus::Failed:
        break;
    }
    return fail(OutputFailed, "打印失败：" + result.message);
}

namespace {

// Dataset names the template's data bands use ("Units", "RMDialogForm.Units"), with the
// band that names each.
struct BandSource {
    std::string owner, name, band;
};

std::vector<BandSource> bandSources(const report::TRMReport& report) {
    std::vector<BandSource> sources;
    for (int p = 0; p < report.Pages.Count(); ++p)
        for (const auto& view : report.Pages[p]->Objects()) {
            const auto* band = dynamic_cast<const report::TRMBandView*>(view.get());
            if (band == nullptr)
                continue;
            const int type = band->bandType();
            if (type != report::rmbtMasterData && type != report::rmbtDetailData &&
                type != report::rmbtSubDetailData && type != report::rmbtCrossData)
                continue;
            const QString source = QString::fromStdString(band->DataSource()).trimmed();
            bool number = false;
            source.toInt(&number);
            if (source.isEmpty() || number)
                continue; // no data, or a count of records
            const qsizetype dot = source.lastIndexOf(u'.');
            sources.push_back({dot < 0 ? std::string() : source.left(dot).toStdString(),
                               source.mid(dot + 1).toStdString(), band->Name});
        }
    return sources;
}

} // namespace

int Runner::render(const Command& command) {
    if (!QFileInfo::exists(QString::fromStdString(command.input)))
        return fail(BadInput, "文件不存在：" + command.input);
    report::TRMReport report;
    report.ShowProgress = false;
    if (int code = Done; !loadTemplate(command.input, report, code))
        return code;
    if (command.printIfEmpty)
        report.PrintIfEmpty = *command.printIfEmpty;
    if (command.doublePass)
        report.DoublePass = *command.doublePass;
    report.MaxSeconds = command.timeout;

    // Every dataset a band names must be bound, and every binding's data must be readable
    // before preparing: preparation takes a source that cannot open as an empty one.
    const std::vector<BandSource> sources = bandSources(report);
    std::vector<std::unique_ptr<report::TRMDataCursor>> cursors;
    std::vector<std::unique_ptr<report::TRMDBDataSet>> datasets;
    for (const DataBinding& binding : command.data) {
        const QString name = QString::fromStdString(binding.name);
        std::string owner;
        for (const BandSource& s : sources)
            if (QString::fromStdString(s.name).compare(name, Qt::CaseInsensitive) == 0)
                owner = s.owner;
        if (!QFileInfo::exists(QString::fromStdString(binding.file)))
            return fail(BadInput, "数据 " + binding.name + " 的文件不存在：" + binding.file);
        try {
            if (binding.query.empty()) {
                cursors.push_back(std::make_unique<report::TRMCsvCursor>(
                    report::TRMCsvCursor::fromFile(binding.file)));
            } else {
                auto sqlite =
                    std::make_unique<report::TRMSqliteCursor>(binding.file, binding.query);
                sqlite->load();
                cursors.push_back(std::move(sqlite));
            }
        } catch (const std::exception& e) {
            return fail(BadInput, "数据 " + binding.name + " 无法读取：" + e.what());
        }
        auto dataset = std::make_unique<report::TRMDBDataSet>(binding.name);
        dataset->setDataSet(cursors.back().get());
        report.Datasets.Add(*dataset, owner);
        datasets.push_back(std::move(dataset));
    }
    for (const BandSource& s : sources)
        if (report.Datasets.Find(s.owner.empty() ? s.name : s.owner + "." + s.name) == nullptr)
            return fail(BadInput, "模板的数据带 " + s.band + " 使用数据 '" + s.name +
                                      "'，请用 --data " + s.name + "=文件 指定它");

    TerminalProgress progress(err_, 0);
    progress.setCaption("准备");
    report.OnProgress = [&](int) { progress.setLine({}); };
    const bool prepared = report.PrepareReport();
    progress.finish();
    report.OnProgress = nullptr;
    if (report.EMFPages.pageCount() == 0 && report.ErrorMessage.empty())
        return fail(OutputFailed, "报表没有页（数据为空；--print-if-empty 仍然输出空报表）");
    if (!prepared)
        return fail(BadInput, "报表准备失败" +
                                  (report.ErrorMessage.empty() ? "" : "：" + report.ErrorMessage));

    if (suffixOf(command.output) == "rmp") {
        std::string error;
        std::vector<std::string> warnings;
        if (!report.EMFPages.SaveToFile(command.output, &error, &warnings))
            return fail(OutputFailed, error);
        if (!warnings.empty())
            std::fprintf(err_, "rmtool: 警告: %s\n",
                         report::replacedCharactersMessage(warnings).c_str());
        std::fprintf(out_, "已准备 %d 页到 %s\n", report.EMFPages.pageCount(),
                     command.output.c_str());
        return Done;
    }
    const std::string title =
        report.ReportInfo.Title().empty()
            ? QFileInfo(QString::fromStdString(command.input)).completeBaseName().toStdString()
            : report.ReportInfo.Title();
    return writeOutput(command, report.EMFPages, title);
}

namespace {

bool readWholeFile(const std::string& file, std::string& bytes) {
    QFile in(QString::fromStdString(file));
    if (!QFileInfo(in).isFile() || !in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = in.readAll();
    bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return true;
}

bool writeWholeFile(const std::string& file, const std::string& bytes) {
    QSaveFile out(QString::fromStdString(file));
    return out.open(QIODevice::WriteOnly) &&
           out.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size()) &&
           out.commit();
}

} // namespace

bool Runner::templateBytes(const std::string& file, std::string& bytes, int& code) {
    if (!QFileInfo::exists(QString::fromStdString(file))) {
        code = fail(BadInput, "文件不存在：" + file);
        return false;
    }
    std::string text;
    if (!readWholeFile(file, text)) {
        code = fail(BadInput, "无法读取文件：" + file);
        return false;
    }
    std::vector<std::string> errors;
    if (report::templateFromJson(text, bytes, errors))
        return true;
    for (const std::string& error : errors)
        std::fprintf(err_, "rmtool: %s: %s\n", file.c_str(), error.c_str());
    code = fail(BadInput,
                file + " 不是有效的模板文本（" + std::to_string(errors.size()) + " 处错误）");
    return false;
}

bool Runner::loadTemplate(const std::string& file, report::TRMReport& report, int& code) {
    if (suffixOf(file) == "json") {
        std::string bytes;
        if (!templateBytes(file, bytes, code))
            return false;
        report::RMStream stream(std::move(bytes));
        if (report.LoadFromStream(stream)) {
            report.FileName = file;
            return true;
        }
    } else {
        if (!QFileInfo::exists(QString::fromStdString(file))) {
            code = fail(BadInput, "文件不存在：" + file);
            return false;
        }
        if (report.LoadFromFile(file))
            return true;
    }
    code = fail(BadInput, file + " 不是报表模板或已损坏" +
                              (report.ErrorMessage.empty() ? "" : "：" + report.ErrorMessage));
    return false;
}

int Runner::dump(const Command& command) {
    report::TRMReport report;
    if (int code = Done; !loadTemplate(command.input, report, code))
        return code;
    const std::string text = report::templateToJson(report);
    if (command.output.empty()) {
        std::fwrite(text.data(), 1, text.size(), out_);
        return Done;
    }
    if (!writeWholeFile(command.output, text))
        return fail(OutputFailed, "无法写入 " + command.output);
    return Done;
}

int Runner::build(const Command& command) {
    std::string bytes;
    if (int code = Done; !templateBytes(command.input, bytes, code))
        return code;
    if (command.kind == Command::Check) {
        std::fprintf(out_, "%s: 模板文本有效\n", command.input.c_str());
        return Done;
    }
    if (!writeWholeFile(command.output, bytes))
        return fail(OutputFailed, "无法写入 " + command.output);
    return Done;
}

int Runner::templateInfo(const Command& command) {
    report::TRMReport report;
    if (int code = Done; !loadTemplate(command.input, report, code))
        return code;
    std::fprintf(out_, "模板: %s\n页数: %d\n", command.input.c_str(), report.Pages.Count());
    for (int p = 0; p < report.Pages.Count(); ++p) {
        const report::TRMPage& page = *report.Pages[p];
        int bands = 0;
        for (const auto& view : page.Objects())
            bands += view->ObjectType == report::gtBand ? 1 : 0;
        std::fprintf(out_, "第%d页 %s: %s, %d 个视图, %d 个带区\n", p + 1, page.Name.c_str(),
                     page.Type == report::ptDialog ? "对话框"
                                                   : report::paperName(page.Size).c_str(),
                     static_cast<int>(page.Objects().size()), bands);
        for (const auto& view : page.Objects())
            if (const auto* band = dynamic_cast<const report::TRMBandView*>(view.get()))
                std::fprintf(
                    out_, "  %s: %s%s\n", band->Name.c_str(),
                    report::bandTypeName(band->bandType()).c_str(),
                    band->DataSource().empty() ? "" : (" (" + band->DataSource() + ")").c_str());
    }
    const std::vector<BandSource> sources = bandSources(report);
    std::fprintf(out_, "数据集:%s\n", sources.empty() ? " 无" : "");
    for (const BandSource& s : sources)
        std::fprintf(out_, "  %s%s (%s)\n", s.owner.empty() ? "" : (s.owner + ".").c_str(),
                     s.name.c_str(), s.band.c_str());
    return Done;
}

} // namespace rmtool
