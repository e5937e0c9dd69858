// Plain texts drawn as cached glyph runs, everything else shaped: each kind of text is drawn
// into a 600-dpi PDF both ways and read back; the texts, their places and the embedded fonts
// must not change.

#include "platform/GlyphRuns.h"

#include "platform/Canvas.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform;

namespace {

struct Kind {
    const char* text;
    bool plain;
};

const Kind kinds[] = {
    {"Accounting unit 12, (draft) #7", true},
    {"核算单位档案：北京分公司（会计核算中心）", true},
    {"0123456789 2026-12-11 ¥1,234.50", true},
    {"ABC-123 研发中心二部 第3页/共500页", true},
    {"Cafe\u0301 cre\u0300me", false},      // combining marks
    {"\u05e9\u05dc\u05d5\u05dd 12", false}, // right-to-left
    {"\u0645\u0631\u062d\u0628\u0627", false},
    {"\u0e20\u0e32\u0e29\u0e32\u0e44\u0e17\u0e22", false}, // complex scripts
    {"\u0928\u092e\u0938\u094d\u0924\u0947", false},
    {"emoji \U0001F600", false}, // outside the basic plane
};

// Every kind on its own line, in 宋体 and MS Sans Serif.
QString printKinds(const QString& path, bool glyphRuns) {
    setPlainTextGlyphRuns(glyphRuns);
    {
        QPdfWriter pdf(path);
        pdf.setResolution(600);
        QPainter painter(&pdf);
        TCanvas c(painter);
        c.setViewport(600.0 / 96, 600.0 / 96);
        c.Brush.Style = bsClear;
        int y = 20;
        for (const char* face : {"宋体", "MS Sans Serif"}) {
            c.Font.Name = face;
            c.Font.Height = -12;
            for (const Kind& k : kinds) {
                c.textOut(20, y, k.text);
                y += 20;
            }
        }
    }
    setPlainTextGlyphRuns(true);
    return path;
}

QString run(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString()
                      << " is needed and failed: " << p.errorString().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// pdffonts' table without the object numbers (they follow the order fonts were first used).
QStringList fonts(const QString& pdf) {
    QStringList rows = run("pdffonts", {pdf}).split(u'\n', Qt::SkipEmptyParts).mid(2);
    for (QString& row : rows)
        row = row.left(row.lastIndexOf(QRegularExpression("\\s+\\d+\\s+\\d+\\s*$")));
    rows.sort();
    return rows;
}

} // namespace

TEST(GlyphRuns, OnlyTextsWithoutShapingAreDrawnAsGlyphRuns) {
    QTemporaryDir dir;
    QPdfWriter pdf(dir.filePath("probe.pdf"));
    pdf.setResolution(600);
    QPainter painter(&pdf);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(75);
    for (const Kind& k : kinds) {
        const QString text = QString::fromUtf8(k.text);
        EXPECT_EQ(isPlainText(text), k.plain) << k.text;
        EXPECT_EQ(drawPlainText(painter, {100, 200}, font, text), k.plain) << k.text;
    }
    // Decorated fonts are shaped, which draws their lines; so is text on a picture, which
    // keeps the characters.
    QPicture picture;
    QPainter recorder(&picture);
    EXPECT_FALSE(drawPlainText(recorder, {100, 200}, font, QStringLiteral("0001")));
    font.setUnderline(true);
    EXPECT_FALSE(drawPlainText(painter, {100, 200}, font, QStringLiteral("0001")));
}

TEST(GlyphRuns, PdfTextsPlacesAndFontsMatchShapedText) {
    QTemporaryDir dir;
    const QString runs = printKinds(dir.filePath("runs.pdf"), true);
    const QString shaped = printKinds(dir.filePath("shaped.pdf"), false);
    const QString text = run("pdftotext", {"-layout", runs, "-"});
    EXPECT_EQ(text, run("pdftotext", {"-layout", shaped, "-"}));
    for (const Kind& k : kinds) {
        if (k.plain) {
            EXPECT_TRUE(text.contains(QString::fromUtf8(k.text))) << k.text;
        }
    }
    const QStringList used = fonts(runs);
    ASSERT_FALSE(used.isEmpty());
    EXPECT_EQ(used, fonts(shaped));
    for (const QString& row : used)
        EXPECT_TRUE(row.contains(QRegularExpression("\\byes\\s+(yes|no)\\s+(yes|no)\\s*$")))
            << "font not embedded: " << row.toStdString();
}
