#include "tests/report/print/PrintTestSupport.h"

#include "report/engine/model/RMUnits.h"
#include "report/print/RMPrinter.h"

#include <QProcess>
#include <QRegularExpression>

#include <cmath>
#include <gtest/gtest.h>

namespace printtest {

using report::TRMPageInfo;

TestPages::TestPages(int count, std::vector<bool> landscape) {
    for (int i = 0; i < count; ++i) {
        TRMPageInfo page;
        const bool turned = i < static_cast<int>(landscape.size()) && landscape[i];
        page.Orientation = turned ? 1 : 0;
        page.PaperWidth = turned ? 2970 : 2100;
        page.PaperHeight = turned ? 2100 : 2970;
        auto pixels = [](int tenths) {
            return static_cast<int>(
                std::lround(report::RMToScreenPixels(tenths / 10.0, report::rmutMillimeters)));
        };
        page.Width = pixels(page.PaperWidth);
        page.Height = pixels(page.PaperHeight);
        pages.push_back(page);
    }
}

std::optional<report::TRMSourceBackground> TestPages::Background(int) const {
    if (backgroundPicture.isEmpty())
        return {};
    report::TRMSourceBackground background = backgroundPlace;
    background.picture = &backgroundPicture;
    return background;
}

void TestPages::DrawPage(int index, platform::TCanvas& canvas, const platform::TRect& target,
                         const report::TRMDrawContext& context) {
    drawn.push_back({index, target, context});
    const TRMPageInfo& page = pages.at(index);
    const double scale = static_cast<double>(target.width()) / page.Width;
    canvas.Font.Name = "宋体";
    canvas.Font.Height = -static_cast<int>(std::lround(20 * scale));
    canvas.Brush = platform::TBrush::clear();
    canvas.textOut(target.Left + static_cast<int>(std::lround(100 * scale)),
                   target.Top + static_cast<int>(std::lround(100 * scale)),
                   "第" + std::to_string(index + 1) + "页");
    canvas.frameRect(target);
}

bool RecordingDevice::BeginDoc(const report::TRMPrintJob& job) {
    jobs.push_back({job, {}, false});
    printing_ = true;
    startPage();
    return true;
}

void RecordingDevice::startPage() {
    canvas_.reset();
    auto page = std::make_shared<platform::TMetafile>(jobs.back().job.geometry.pageWidthPx,
                                                      jobs.back().job.geometry.pageHeightPx);
    jobs.back().pages.push_back(page);
    canvas_ = std::make_unique<platform::TMetafileCanvas>(*page);
}

bool RecordingDevice::NewPage() {
    startPage();
    return true;
}

bool RecordingDevice::EndDoc() {
    canvas_.reset();
    printing_ = false;
    jobs.back().finished = true;
    return true;
}

void RecordingDevice::Abort() {
    canvas_.reset();
    if (printing_)
        jobs.pop_back();
    printing_ = false;
}

void withoutPrintServer(const QString& folder) {
    qputenv("CUPS_SERVER", (folder + "/no-cups.sock").toLocal8Bit());
    report::TRMPrinterList::instance().Refresh();
    report::RMPrinter().Reset();
}

QString runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

std::vector<int> printedPageNumbers(const QString& pdf) {
    const QString text = runTool("pdftotext", {pdf, "-"});
    static const QRegularExpression pattern(QStringLiteral("第(\\d+)页"));
    std::vector<int> numbers;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        numbers.push_back(it.next().captured(1).toInt());
    return numbers;
}

int pdfPageCount(const QString& pdf) {
    static const QRegularExpression pattern(QStringLiteral("^Pages:\\s+(\\d+)"),
                                            QRegularExpression::MultilineOption);
    const auto match = pattern.match(runTool("pdfinfo", {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

std::vector<QSizeF> pdfPageSizes(const QString& pdf) {
    const QString info = runTool("pdfinfo", {"-f", "1", "-l", "100000", pdf});
    static const QRegularExpression pattern(
        QStringLiteral("Page\\s+\\d+ size:\\s+([\\d.]+) x ([\\d.]+) pts"));
    std::vector<QSizeF> sizes;
    for (auto it = pattern.globalMatch(info); it.hasNext();) {
        const auto match = it.next();
        sizes.emplace_back(match.captured(1).toDouble(), match.captured(2).toDouble());
    }
    return sizes;
}

} // namespace printtest
