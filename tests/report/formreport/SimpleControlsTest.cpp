// The simple-control add-ins: what each control prints, where and how large.

#include "report/engine/model/RMGraphicViews.h"
#include "report/formreport/RMFormReportControls.h"
#include "report/formreport/TShape.h"
#include "tests/report/formreport/FormReportTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDataWidgetMapper>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QTextEdit>
#include <QTimeEdit>

#include <gtest/gtest.h>

using namespace report;
using namespace formtest;

namespace {

constexpr int kMargin = 38;

} // namespace

TEST(SimpleControls, EditsPrintTheirClientArea) {
    TestWindow w;
    auto* edit = w.add<QLineEdit>(20, 30, 120, 26);
    edit->setText("北京分公司");
    const QRect client = clientRect(*edit);
    ASSERT_LT(client.width(), edit->width()); // the style draws a frame
    auto* bare = w.add<QLineEdit>(20, 70, 120, 26);
    bare->setFrame(false);
    bare->setText("0001");
    auto* secret = w.add<QLineEdit>(20, 110, 120, 26);
    secret->setEchoMode(QLineEdit::Password);
    secret->setText("abc");
    auto* combo = w.add<QComboBox>(20, 150, 120, 26);
    combo->addItems({"甲", "乙"});
    combo->setCurrentIndex(1);

    const std::vector<TRMMemoView*> m = memos(w.build());
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(text(*m[0]), "北京分公司");
    EXPECT_EQ(m[0]->Left, 20 + (120 - client.width()) / 2 + kMargin);
    EXPECT_EQ(m[0]->Top, 30 + (26 - client.height()) / 2 + kMargin);
    EXPECT_EQ(m[0]->Width, client.width());
    EXPECT_EQ(m[0]->Height, client.height());
    EXPECT_EQ(m[0]->Layout(), 8); // vertically centred
    EXPECT_EQ(m[0]->FrameTyp(), 0);
    EXPECT_EQ(m[1]->Width, 120);
    EXPECT_EQ(m[1]->Left, 20 + kMargin);
    EXPECT_EQ(text(*m[2]), secret->displayText().toStdString()); // masked, as shown
    EXPECT_NE(text(*m[2]), "abc");
    EXPECT_EQ(text(*m[3]), "乙");

    w.report().ReportOptions.include(rmgoDrawBorder);
    EXPECT_EQ(memos(w.build())[0]->FrameTyp(), 15);
}

TEST(SimpleControls, CheckBoxDateTimeMemoListAndLabel) {
    TestWindow w;
    auto* box = w.add<QCheckBox>(10, 10, 100, 20);
    box->setText("&Active");
    box->setChecked(true);
    auto* date = w.add<QDateTimeEdit>(10, 40, 120, 24);
    date->setDateTime(QDateTime(QDate(2026, 12, 9), QTime(10, 45)));
    date->setDisplayFormat("yyyy-MM-dd");
    auto* time = w.add<QTimeEdit>(10, 70, 120, 24);
    time->setTime(QTime(8, 5));
    auto* memo = w.add<QPlainTextEdit>(10, 100, 200, 60);
    memo->setPlainText("第一行\n第二行");
    auto* list = w.add<QListWidget>(250, 10, 100, 80);
    list->addItems({"甲", "乙", "丙"});
    auto* label = w.add<QLabel>(250, 100, 100, 40);
    label->setText("右对齐");
    label->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    label->setWordWrap(true);

    TRMPage& p = w.build();
    const std::vector<TRMCheckBoxView*> checks = viewsOf<TRMCheckBoxView>(p);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(text(*checks[0]), "1");
    EXPECT_EQ(checks[0]->Width, 18);
    EXPECT_EQ(checks[0]->Height, 22);
    // Walked by top, then left: the list box shares the check box's top.
    const std::vector<TRMMemoView*> m = memos(p);
    ASSERT_EQ(m.size(), 6u);
    EXPECT_EQ(text(*m[0]), "Active");
    EXPECT_EQ(m[0]->Left, 10 + 18 + kMargin);
    EXPECT_EQ(m[0]->Width, 100 - 16);
    EXPECT_EQ(text(*m[1]), "甲\n乙\n丙");
    EXPECT_EQ(m[1]->Layout(), 8);
    EXPECT_EQ(text(*m[2]), "2026-12-09");
    EXPECT_EQ(m[2]->Width, 122);
    EXPECT_EQ(text(*m[3]), "8:05");
    EXPECT_EQ(text(*m[4]), "第一行\n第二行");
    EXPECT_EQ(m[4]->Width, 208);
    EXPECT_EQ(m[4]->Height, 64);
    EXPECT_EQ(text(*m[5]), "右对齐");
    EXPECT_EQ(m[5]->Alignment(), 1);
    EXPECT_EQ(m[5]->Layout(), 16);
    EXPECT_TRUE(m[5]->flag(flag::Wordwrap));
    EXPECT_EQ(m[5]->Top, 100 - 2 + kMargin);

    box->setChecked(false);
    EXPECT_EQ(text(*viewsOf<TRMCheckBoxView>(w.build())[0]), "0");
}

TEST(SimpleControls, ImagesRichEditsAndShapes) {
    TestWindow w;
    auto* image = w.add<QLabel>(10, 10, 40, 30);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::blue);
    image->setPixmap(pixmap);
    image->setScaledContents(true);
    auto* rich = w.add<QTextEdit>(60, 10, 200, 80);
    rich->setPlainText("富文本");
    auto* box = w.add<TShape>(10, 100, 100, 50);
    box->setShape(TShapeType::stCircle);
    box->setPen({platform::clRed, 3});
    box->setBrush(platform::TBrush::solid(platform::clYellow));
    w.add<TShape>(10, 160, 200, 2); // a rule

    TRMPage& p = w.build();
    const std::vector<TRMPictureView*> pictures = viewsOf<TRMPictureView>(p);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0]->Picture.kind, TRMPicture::Bitmap);
    EXPECT_EQ(pictures[0]->Picture.data.substr(0, 2), "BM");
    EXPECT_TRUE(pictures[0]->flag(TRMPictureView::Stretched));
    EXPECT_FALSE(pictures[0]->flag(TRMPictureView::KeepAspect));
    EXPECT_EQ(pictures[0]->Width, 40);

    const std::vector<TRMRichView*> riches = viewsOf<TRMRichView>(p);
    ASSERT_EQ(riches.size(), 1u);
    EXPECT_EQ(riches[0]->RichText.substr(0, 5), "{\\rtf");
    EXPECT_NE(riches[0]->RichText.find("\\'b8\\'bb"), std::string::npos); // 富 in GBK
    EXPECT_EQ(riches[0]->Width, 202);

    const std::vector<TRMShapeView*> shapes = viewsOf<TRMShapeView>(p);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0]->Shape, TRMShapeView::skCircle);
    EXPECT_EQ(shapes[0]->TopFrame.Width, 3.0f);
    EXPECT_EQ(shapes[0]->TopFrame.Color, platform::clRed);
    EXPECT_EQ(shapes[0]->FillColor, platform::clYellow);
    const std::vector<TRMLineView*> lines = viewsOf<TRMLineView>(p);
    ASSERT_EQ(lines.size(), 1u); // a shape 2 pixels high prints as a line
    EXPECT_EQ(lines[0]->Width, 200);
    EXPECT_EQ(lines[0]->TopFrame.Width, 2.0f);
}

TEST(SimpleControls, DataAwareControlsPrintFieldReferences) {
    TestWindow w;
    QStandardItemModel model(3, 2);
    model.setHorizontalHeaderLabels({"Code", "Name"});
    auto* code = w.add<QLineEdit>(10, 10, 100, 24);
    auto* name = w.add<QLabel>(10, 40, 100, 20);
    auto* mapper = new QDataWidgetMapper(&w.root());
    mapper->setModel(&model);
    mapper->addMapping(code, 0);
    mapper->addMapping(name, 1, "text");
    TRMFormReport& r = w.report();
    r.DataSource = mapper;

    TRMPage& p = w.build();
    // Every record repeats the controls: they are in the master-data band.
    TRMBandView* master = band(p, rmbtMasterData);
    ASSERT_NE(master, nullptr);
    const std::string path = r.dataSetPath(model);
    EXPECT_EQ(texts(p, *master),
              (std::vector<std::string>{"[" + path + ".\"Code\"]", "[" + path + ".\"Name\"]"}));
    EXPECT_EQ(r.gridDataSetPath(), path);
}
