// Which add-in a control gets: its own class first, then its bases; at a class the latest
// registration that accepts the control.

#include "grid/TAdvStringGrid.h"
#include "grid/TInplaceEdit.h"
#include "report/formreport/RMFormReportObject.h"
#include "report/formreport/RMPrintControls.h"
#include "report/formreport/TShape.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimeEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace report;

namespace {

std::string addInOf(const QWidget& control) {
    const TRMAddInFormReportObjectInfo* entry = FormReportAddIns().Find(control);
    return entry ? entry->ObjectClass.Name : "";
}

} // namespace

TEST(AddInRegistry, StandardControlsFindTheirAddIns) {
    QWidget window;
    QLabel pictureLabel(&window);
    QPixmap pixmap(8, 8);
    pixmap.fill(Qt::red);
    pictureLabel.setPixmap(pixmap);
    grid::TAdvStringGrid advGrid(&window);
    grid::TInplaceEdit inplace(&advGrid);
    const std::vector<std::pair<QWidget*, std::string>> cases{
        {new QCheckBox(&window), "TRMPrintCheckBox"},
        {new TShape(&window), "TRMPrintShape"},
        {&pictureLabel, "TRMPrintImage"},
        {new QLabel("text", &window), "TRMPrintControl"},
        {new QListView(&window), "TRMPrintControl"},
        {new QListWidget(&window), "TRMPrintControl"}, // registered twice, same add-in
        {new QComboBox(&window), "TRMPrintEdit"},
        {new QLineEdit(&window), "TRMPrintEdit"},
        {&inplace, "TRMPrintEdit"},
        {new QPlainTextEdit(&window), "TRMPrintControl"},
        {new QTextEdit(&window), "TRMPrintRichEdit"},
        {new QDateTimeEdit(&window), "TRMPrintDateTimePicker"},
        {new QTimeEdit(&window), "TRMPrintDateTimePicker"},
        {new QTreeWidget(&window), "TRMPrintListView"},
        // A QTableWidget is a QTableView too: its own class decides.
        {new QTableWidget(&window), "TRMFormPrintStringGrid"},
        {new QTableView(&window), "TRMFormPrintDBGrid"},
        {&advGrid, "TRMFormPrintADVStringGridPro"},
        {new QPushButton(&window), ""},
        {new QSpinBox(&window), ""}, // its line edit prints instead
    };
    for (const auto& [control, expected] : cases)
        EXPECT_EQ(addInOf(*control), expected) << control->metaObject()->className();
}

TEST(AddInRegistry, SpecificClassesWinLaterRegistrationsReplace) {
    TRMFormReportAddIns r;
    r.Register(QLineEdit::staticMetaObject, TRMFormReportObjectClass::of<TRMPrintEdit>());
    r.Register(QWidget::staticMetaObject, TRMFormReportObjectClass::of<TRMPrintControl>());
    QLineEdit edit;
    QPushButton button;
    // The base class registered later does not take the edit from its own entry.
    EXPECT_EQ(r.Find(edit)->ObjectClass.Name, "TRMPrintEdit");
    EXPECT_EQ(r.Find(button)->ObjectClass.Name, "TRMPrintControl");

    r.Register(QLineEdit::staticMetaObject, TRMFormReportObjectClass::of<TRMPrintCheckBox>());
    EXPECT_EQ(r.Find(edit)->ObjectClass.Name, "TRMPrintCheckBox");

    // An entry that declines passes the control on to the earlier ones.
    r.Register(QLineEdit::staticMetaObject, TRMFormReportObjectClass::of<TRMPrintShape>(),
               [](const QWidget& w) { return static_cast<const QLineEdit&>(w).isReadOnly(); });
    EXPECT_EQ(r.Find(edit)->ObjectClass.Name, "TRMPrintCheckBox");
    edit.setReadOnly(true);
    EXPECT_EQ(r.Find(edit)->ObjectClass.Name, "TRMPrintShape");
}
