// hsdwhost --print-pdf / --export-xlsx: the archive printed without a display, over a real
// SQLite file, and the outputs read back with pdftotext and openpyxl.

#include "host/DemoDatabase.h"
#include "host/SqliteDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramRun runProgram(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& env, int timeoutMs) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " did not finish";
    }
    if (process.error() == QProcess::FailedToStart)
        ADD_FAILURE() << program.toStdString()
                      << " cannot run: " << process.errorString().toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QString unitCode(int n) {
    return QString::asprintf("%04d", n);
}

QString unitName(int n) {
    return QStringLiteral("核算单位%1").arg(n);
}

class HostPrintProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path() + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("HSDW_JOB_FLAG_BLOCK"),
                   QStringLiteral("hsdw-print-test-%1").arg(QCoreApplication::applicationPid()));
    }

    // A SQLite archive holding exactly `count` units "0001".."count" (with leading zeros),
    // named by `name`.
    QString archiveWithUnits(int count, const std::function<QString(int)>& name = unitName) {
        const QString path = dir.path() + QStringLiteral("/units%1.sqlite").arg(count);
        host::createDemoDatabase(path.toStdString());
        host::SqliteDatabase db(path.toStdString(), host::SqliteDatabase::OpenMode::ExistingOnly);
        std::string sql = "begin;delete from tbHsdwda;";
        for (int n = 1; n <= count; ++n)
            sql += "insert into tbHsdwda(f_Hsdwh,f_Hsdwmc) values('" + unitCode(n).toStdString() +
                   "','" + name(n).replace(u'\'', QStringLiteral("''")).toStdString() + "');";
        sql += "commit;";
        db.executeOrThrow(sql);
        return path;
    }

    ProgramRun host(const QStringList& arguments) {
        return runProgram(QStringLiteral(HSDW_HOST_PATH), arguments, env, 240000);
    }

    QTemporaryDir dir;
    QProcessEnvironment env;
};

} // namespace

TEST_F(HostPrintProgramTest, PrintPdfWritesTheArchiveIntoTheFile) {
    const QString db = archiveWithUnits(120);
    const QString pdf = dir.path() + QStringLiteral("/archive.pdf");
    const ProgramRun r = host({QStringLiteral("--db"), db, QStringLiteral("--print-pdf"), pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), pdf);
    // The confirmation was answered, not waited on.
    EXPECT_TRUE(r.err.contains(QStringLiteral("请准备好打印机"))) << r.err.toStdString();

    const ProgramRun info = runProgram(QStringLiteral("pdfinfo"), {pdf}, env, 60000);
    ASSERT_EQ(info.exitCode, 0) << "pdfinfo must read the file: " << info.err.toStdString();
    EXPECT_TRUE(info.out.contains(QStringLiteral("Pages:"))) << info.out.toStdString();
    const ProgramRun text =
        runProgram(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, env, 60000);
    ASSERT_EQ(text.exitCode, 0) << "pdftotext must read the file: " << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("核算单位编码")));
    EXPECT_TRUE(text.out.contains(QStringLiteral("核算单位名称")));
    for (int n : {1, 9, 60, 120}) {
        EXPECT_TRUE(text.out.contains(unitCode(n))) << n;
        EXPECT_TRUE(text.out.contains(unitName(n) + QLatin1Char('\n')) ||
                    text.out.contains(unitName(n) + QLatin1Char(' ')))
            << n;
    }
}

TEST_F(HostPrintProgramTest, ExportXlsxOfAThousandUnitsHasEveryUnitInItsOwnRow) {
    const QString db = archiveWithUnits(1000);
    const QString xlsx = dir.path() + QStringLiteral("/archive.xlsx");
    const ProgramRun r = host({QStringLiteral("--db"), db, QStringLiteral("--export-xlsx"), xlsx});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), xlsx);

    const ProgramRun dump = runProgram(QStringLiteral("/usr/bin/python3"),
                                       {QStringLiteral(XLSX_DUMP_SCRIPT), xlsx}, env, 120000);
    ASSERT_EQ(dump.exitCode, 0) << "the workbook must be readable with openpyxl: "
                                << dump.err.toStdString();
    const QJsonObject book = QJsonDocument::fromJson(dump.out.toUtf8()).object();
    const QJsonArray sheets = book.value(QStringLiteral("sheets")).toArray();
    ASSERT_EQ(sheets.size(), 1) << "one sheet for the whole report";

    // Cells by row; the code column is the one where "0001" is.
    std::map<int, std::map<QString, QJsonObject>> rows;
    for (const QJsonValue& v : sheets[0].toObject().value(QStringLiteral("cells")).toArray()) {
        const QJsonObject cell = v.toObject();
        const QString ref = cell.value(QStringLiteral("ref")).toString();
        qsizetype split = 0;
        while (split < ref.size() && ref[split].isLetter())
            ++split;
        rows[ref.mid(split).toInt()][ref.left(split)] = cell;
    }
    QString codeColumn, nameColumn;
    int titleRow = 0, codeTitleRow = 0;
    std::map<QString, int> rowOfCode;
    for (const auto& [row, cells] : rows)
        for (const auto& [column, cell] : cells) {
            const QJsonValue value = cell.value(QStringLiteral("value"));
            if (!value.isString())
                continue;
            const QString text = value.toString();
            if (text == QStringLiteral("核算单位编码")) {
                if (codeTitleRow == 0)
                    codeTitleRow = row; // the first page's
                codeColumn = column;
            } else if (text == QStringLiteral("核算单位名称")) {
                nameColumn = column;
            } else if (text.contains(QStringLiteral("核算单位档案")) && titleRow == 0) {
                titleRow = row;
            }
        }
    ASSERT_FALSE(codeColumn.isEmpty()) << "column titles";
    ASSERT_FALSE(nameColumn.isEmpty());
    EXPECT_NE(codeColumn, nameColumn);
    for (const auto& [row, cells] : rows) {
        const auto code = cells.find(codeColumn);
        if (code == cells.end() || row <= codeTitleRow)
            continue;
        const QJsonObject cell = code->second;
        const QString value = cell.value(QStringLiteral("value")).toVariant().toString();
        if (value == QStringLiteral("核算单位编码") ||
            !QRegularExpression(QStringLiteral("^[0-9]+$")).match(value).hasMatch())
            continue; // the titles and the page captions repeat on each page
        EXPECT_EQ(cell.value(QStringLiteral("type")).toString(), QLatin1String("s"))
            << "codes stay text, row " << row;
        const QString text = cell.value(QStringLiteral("value")).toString();
        EXPECT_TRUE(rowOfCode.emplace(text, row).second) << "code twice: " << text.toStdString();
        const auto name = cells.find(nameColumn);
        ASSERT_NE(name, cells.end()) << "row " << row;
        EXPECT_EQ(name->second.value(QStringLiteral("value")).toString(), unitName(text.toInt()))
            << "row " << row;
    }
    EXPECT_EQ(rowOfCode.size(), 1000u);
    for (int n = 1; n <= 1000; ++n)
        EXPECT_TRUE(rowOfCode.count(unitCode(n))) << unitCode(n).toStdString();
    EXPECT_TRUE(rowOfCode.count(QStringLiteral("0009"))) << "\"0009\" stays \"0009\"";
    // The printout's title (its rich-text caption) comes before the column titles.
    EXPECT_NE(titleRow, 0) << "title \"核算单位档案\"";
    EXPECT_LT(titleRow, codeTitleRow);
}

TEST_F(HostPrintProgramTest, AFileThatCannotBeWrittenFailsWithAMessageAndNoFile) {
    const QString db = archiveWithUnits(5);
    const QString blocked = dir.path() + QStringLiteral("/no-such-folder/archive.xlsx");
    const ProgramRun r =
        host({QStringLiteral("--db"), db, QStringLiteral("--export-xlsx"), blocked});
    EXPECT_EQ(r.exitCode, 5) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("无法写入"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(blocked));
    EXPECT_TRUE(r.out.isEmpty());

    const QString pdf = dir.path() + QStringLiteral("/no-such-folder/archive.pdf");
    const ProgramRun p = host({QStringLiteral("--db"), db, QStringLiteral("--print-pdf"), pdf});
    EXPECT_EQ(p.exitCode, 5) << p.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));

    const ProgramRun both = host({QStringLiteral("--db"), db, QStringLiteral("--print-pdf"), pdf,
                                  QStringLiteral("--export-xlsx"), blocked});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_TRUE(both.err.contains(QStringLiteral("只能选一个"))) << both.err.toStdString();
    const ProgramRun none = host({QStringLiteral("--db"), db, QStringLiteral("--mode"),
                                  QStringLiteral("none"), QStringLiteral("--print-pdf"), pdf});
    EXPECT_EQ(none.exitCode, 2);
}

// Unit names are the operator's data: brackets in them print as typed, never evaluated as
// report expressions (no input box, no arithmetic that could trap), in the PDF and in the
// workbook alike.
TEST_F(HostPrintProgramTest, UnitNamesThatLookLikeExpressionsPrintAsTyped) {
    const QStringList names = {QStringLiteral("[1+1]号公司"),
                               QStringLiteral("[Page#]"),
                               QStringLiteral("[INPUT('x')]"),
                               QStringLiteral("a]b[c"),
                               QStringLiteral("[99999999999999999999 MOD -1]"),
                               QStringLiteral("[CNUMBER(-)]")};
    const QString db =
        archiveWithUnits(static_cast<int>(names.size()), [&](int n) { return names[n - 1]; });
    const QString pdf = dir.path() + QStringLiteral("/archive.pdf");
    const ProgramRun printed =
        host({QStringLiteral("--db"), db, QStringLiteral("--print-pdf"), pdf});
    ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString();
    const ProgramRun text =
        runProgram(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}, env, 60000);
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    // A name too long for its column wraps at the blank.
    const QString printedText = text.out.simplified();
    for (const QString& name : names)
        EXPECT_TRUE(printedText.contains(name)) << name.toStdString() << " in\n"
                                                << text.out.toStdString();
    EXPECT_FALSE(text.out.contains(QStringLiteral("2号公司")));

    const QString xlsx = dir.path() + QStringLiteral("/archive.xlsx");
    const ProgramRun exported =
        host({QStringLiteral("--db"), db, QStringLiteral("--export-xlsx"), xlsx});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const ProgramRun dump = runProgram(QStringLiteral("/usr/bin/python3"),
                                       {QStringLiteral(XLSX_DUMP_SCRIPT), xlsx}, env, 120000);
    ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    QStringList cells;
    const QJsonArray sheets = QJsonDocument::fromJson(dump.out.toUtf8())
                                  .object()
                                  .value(QStringLiteral("sheets"))
                                  .toArray();
    for (const QJsonValue& sheet : sheets)
        for (const QJsonValue& cell : sheet.toObject().value(QStringLiteral("cells")).toArray())
            cells << cell.toObject()
                         .value(QStringLiteral("value"))
                         .toVariant()
                         .toString()
                         .simplified();
    for (const QString& name : names)
        EXPECT_TRUE(cells.contains(name)) << name.toStdString();
    // The only box either run met is the print confirmation (the host reports boxes and
    // modal windows it answered on stderr).
    for (const ProgramRun* run : {&printed, &exported})
        for (const QString& line : run->err.split(u'\n', Qt::SkipEmptyParts))
            if (line.startsWith(QStringLiteral("hsdwhost:"))) {
                EXPECT_TRUE(line.contains(QStringLiteral("请准备好打印机"))) << line.toStdString();
            }
}

// A file-size limit (a quota, ulimit -f) fails the write: the host ignores SIGXFSZ, ends the
// print with the reason and leaves no file, instead of dying of the signal.
TEST_F(HostPrintProgramTest, AFileSizeLimitEndsThePrintWithAMessage) {
    const QString db = archiveWithUnits(600);
    const QString pdf = dir.path() + QStringLiteral("/limited.pdf");
    const ProgramRun r =
        runProgram(QStringLiteral("prlimit"),
                   {QStringLiteral("--fsize=49152"), QStringLiteral(HSDW_HOST_PATH),
                    QStringLiteral("--db"), db, QStringLiteral("--print-pdf"), pdf},
                   env, 240000);
    EXPECT_EQ(r.exitCode, 5) << "a message and exit 5, not the signal: " << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("无法写入"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
    // The pages went to disk before the limit stopped them: an older file stays as it was
    // and nothing of the failed print is left beside it.
    {
        QFile older(pdf);
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("older");
    }
    const ProgramRun again =
        runProgram(QStringLiteral("prlimit"),
                   {QStringLiteral("--fsize=49152"), QStringLiteral(HSDW_HOST_PATH),
                    QStringLiteral("--db"), db, QStringLiteral("--print-pdf"), pdf},
                   env, 240000);
    EXPECT_EQ(again.exitCode, 5) << again.err.toStdString();
    QFile older(pdf);
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), QByteArray("older"));
    EXPECT_TRUE(QDir(dir.path())
                    .entryList({QStringLiteral(".limited.pdf.*")}, QDir::Files | QDir::Hidden)
                    .isEmpty());
    // Without the limit the same print completes.
    const ProgramRun full = host({QStringLiteral("--db"), db, QStringLiteral("--print-pdf"), pdf});
    EXPECT_EQ(full.exitCode, 0) << full.err.toStdString();
    EXPECT_GT(QFileInfo(pdf).size(), 49152) << "the limit was below the file's size";
}
