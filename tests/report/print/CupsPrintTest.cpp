// A real CUPS queue: the test starts its own cupsd, adds a queue over the cups-pdf backend
// and prints to it through the printer layer. A cupsd that cannot start fails the test.

#include "report/print/RMCupsDevice.h"
#include "report/print/RMPdfPrinter.h"
#include "report/print/RMPrintRun.h"
#include "report/print/RMPrinter.h"
#include "report/print/RMPrinterStatus.h"
#include "tests/report/print/CupsServer.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cups/cups.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

using namespace report;
using printtest::CupsServer;
using printtest::TestPages;

namespace {

constexpr const char* kQueue = "RmTestQueue";

class CupsPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(server.start(&error)) << "cupsd could not be started: " << error.toStdString();
        ASSERT_TRUE(server.addPdfQueue(kQueue, &error)) << error.toStdString();
        ASSERT_TRUE(server.tool("/usr/sbin/lpadmin", {"-d", kQueue}, &error))
            << error.toStdString();
        TRMPrinterList::instance().Refresh();
        RMPrinter().Reset();
        ASSERT_TRUE(out.isValid());
        setPdfOutputFolder(out.path().toStdString());
    }

    void TearDown() override {
        // cups-pdf writes into the requesting user's ~/PDF: leave nothing there.
        for (const QString& file : cupsPdfOutputs)
            QFile::remove(file);
    }

    int queueIndex() const {
        const TRMPrinterList& list = TRMPrinterList::instance();
        for (int i = 2; i < list.Count(); ++i)
            if (list.Name(i) == kQueue)
                return i;
        return -1;
    }

    TRMPrintResult printTo(TRMPrintDevice& device, int pages) {
        TestPages source(pages);
        TRMPrintRunOptions options;
        options.jobTitle = "rmtest";
        TRMPrintRun run(source, RMPrinter(), device);
        return run.Execute(options);
    }

    // The file cups-pdf made of a job, "" when there is none.
    QString cupsPdfOutput(int jobId) {
        const passwd* user = getpwuid(getuid());
        if (user == nullptr)
            return {};
        const QDir folder(QString::fromLocal8Bit(user->pw_dir) + "/PDF");
        const QStringList found =
            folder.entryList({QString("*job_%1.pdf").arg(jobId)}, QDir::Files);
        for (const QString& name : found)
            cupsPdfOutputs << folder.filePath(name);
        return found.isEmpty() ? QString() : folder.filePath(found.first());
    }

    CupsServer server;
    QTemporaryDir out;
    QStringList cupsPdfOutputs;
};

TEST_F(CupsPrintTest, QueueIsListedWithItsPapersAndTakesAJob) {
    const TRMPrinterList& list = TRMPrinterList::instance();
    const int index = queueIndex();
    ASSERT_EQ(index, 2) << "the CUPS queue follows the two fixed entries";
    EXPECT_EQ(list.Name(list.Count() - 1), "PDF");
    EXPECT_EQ(list.DefaultIndex(), index) << "the CUPS default destination is the default printer";
    EXPECT_EQ(RMPrinter().PrinterIndex(), 0);
    EXPECT_EQ(&RMPrinter().Info(), &TRMPrinterList::instance().Info(index));

    ASSERT_TRUE(RMPrinter().SelectIndex(index));
    const TRMPrinterInfo& info = RMPrinter().Info();
    const int a4 = info.PaperIndex(9);
    ASSERT_GE(a4, 0) << "A4 from the queue's media is paper code 9";
    EXPECT_FALSE(info.PaperMedia[a4].empty());
    EXPECT_EQ(info.PaperCodes.back(), info.CustomCode());
    EXPECT_EQ(info.PaperNames.back(), "自定义大小");
    EXPECT_EQ(info.BinCodes.front(), rmDefaultBin);
    EXPECT_EQ(info.BinNames.front(), "缺省");
    EXPECT_EQ(printerDetails(TRMPrinterList::instance(), index).status, "空闲");

    RMPrinter().SetPrinterInfo(9, 2100, 2970, 0, -1);
    const std::unique_ptr<TRMPrintDevice> device = RMPrinter().CreateDevice();
    const TRMPrintResult result = printTo(*device, 3);
    ASSERT_EQ(result.status, TRMPrintStatus::Printed) << result.message;
    EXPECT_EQ(result.jobs, 1);
    const auto& ids = dynamic_cast<TRMCupsDevice&>(*device).JobIds();
    ASSERT_EQ(ids.size(), 1u);
    const printtest::CupsJob job = server.waitForJob(ids[0]);
    EXPECT_EQ(job.state, IPP_JSTATE_COMPLETED)
        << job.stateReasons.toStdString() << server.errorLog().toStdString();
    EXPECT_EQ(job.impressions, 3);
    const QString produced = cupsPdfOutput(ids[0]);
    if (!produced.isEmpty()) {
        EXPECT_EQ(printtest::pdfPageCount(produced), 3);
    }
}

TEST_F(CupsPrintTest, PausedAndRejectingQueuesAreReported) {
    const int index = queueIndex();
    ASSERT_GE(index, 0);
    ASSERT_TRUE(server.tool("/usr/sbin/cupsdisable", {kQueue}));
    EXPECT_EQ(printerDetails(TRMPrinterList::instance(), index).status, "暂停");

    ASSERT_TRUE(server.tool("/usr/sbin/cupsreject", {kQueue}));
    ASSERT_TRUE(RMPrinter().SelectIndex(index));
    const std::unique_ptr<TRMPrintDevice> device = RMPrinter().CreateDevice();
    const TRMPrintResult result = printTo(*device, 2);
    EXPECT_EQ(result.status, TRMPrintStatus::Failed);
    EXPECT_NE(result.message.find("拒绝了打印作业"), std::string::npos) << result.message;
    EXPECT_FALSE(RMPrinter().Printing());
}

TEST_F(CupsPrintTest, ServerStoppingMidJobGivesAMessageAndThePdfPrinterStillWorks) {
    const int index = queueIndex();
    ASSERT_TRUE(RMPrinter().SelectIndex(index));
    TRMCupsDevice device(kQueue);
    device.BeforeData = [this] { server.stop(); };
    QElapsedTimer clock;
    clock.start();
    const TRMPrintResult result = printTo(device, 4);
    EXPECT_EQ(result.status, TRMPrintStatus::Failed);
    EXPECT_NE(result.message.find("打印作业未能送到打印机"), std::string::npos) << result.message;
    EXPECT_LT(clock.elapsed(), 60000) << "a vanished server must not hold the run";

    // The server is gone: its queue cannot be described any more, the PDF printer can.
    TRMPrinterList::instance().Refresh();
    EXPECT_EQ(TRMPrinterList::instance().Count(), 3);
    RMPrinter().Reset();
    EXPECT_EQ(RMPrinter().Info().Kind, TRMPrinterKind::Pdf);
    const std::unique_ptr<TRMPrintDevice> pdf = RMPrinter().CreateDevice();
    const TRMPrintResult printed = printTo(*pdf, 2);
    ASSERT_EQ(printed.status, TRMPrintStatus::Printed) << printed.message;
    EXPECT_EQ(printtest::printedPageNumbers(QString::fromStdString(printed.outputs.at(0))),
              (std::vector<int>{1, 2}));
}

TEST_F(CupsPrintTest, QueueOfAStoppedServerCannotBeSelected) {
    QString error0;
    ASSERT_TRUE(server.addPdfQueue("RmOtherQueue", &error0)) << error0.toStdString();
    TRMPrinterList::instance().Refresh();
    RMPrinter().Reset(); // describes the default queue while the server runs
    const int index = TRMPrinterList::instance().IndexOfName("rmotherqueue");
    ASSERT_GE(index, 2);
    server.stop();
    const int before = RMPrinter().PrinterIndex();
    std::string error;
    EXPECT_FALSE(RMPrinter().SelectIndex(index, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(RMPrinter().PrinterIndex(), before);
    EXPECT_TRUE(printerDetails(TRMPrinterList::instance(), index).status.empty());
}

TEST_F(CupsPrintTest, QueueDeletedMidJobEndsThePrintWithAMessage) {
    const int index = queueIndex();
    ASSERT_TRUE(RMPrinter().SelectIndex(index));
    TRMCupsDevice device(kQueue);
    device.BeforeData = [this] {
        QString error;
        EXPECT_TRUE(server.tool("/usr/sbin/lpadmin", {"-x", kQueue}, &error))
            << error.toStdString();
    };
    QElapsedTimer clock;
    clock.start();
    const TRMPrintResult result = printTo(device, 3);
    EXPECT_EQ(result.status, TRMPrintStatus::Failed);
    EXPECT_FALSE(result.message.empty());
    EXPECT_LT(clock.elapsed(), 60000) << "a vanished queue must not hold the run";
    EXPECT_FALSE(RMPrinter().Printing());

    // The list no longer offers it; the PDF printer prints.
    TRMPrinterList::instance().Refresh();
    EXPECT_LT(queueIndex(), 0);
    RMPrinter().Reset();
    const std::unique_ptr<TRMPrintDevice> pdf = RMPrinter().CreateDevice();
    const TRMPrintResult printed = printTo(*pdf, 1);
    EXPECT_EQ(printed.status, TRMPrintStatus::Printed) << printed.message;
}

} // namespace
