// The add-in registry and the standard registrations.
#include "grid/TAdvStringGrid.h"
#include "report/formreport/RMFormPrintDBGrid.h"
#include "report/formreport/RMFormPrintStringGrid.h"
#include "report/formreport/RMFormReportObject.h"
#include "report/formreport/RMPrintControls.h"
#include "report/formreport/RMPrintListView.h"
#include "report/formreport/TShape.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDataWidgetMapper>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTableWidget>
#include <QTextEdit>
#include <QTreeView>
#include <QTreeWidget>

namespace report {

void TRMFormReportAddIns::Register(const QMetaObject& controlClass,
                                   TRMFormReportObjectClass objectClass, TRMAddInAccepts accepts) {
    entries_.push_back({&controlClass, std::move(objectClass), std::move(accepts)});
}

const TRMAddInFormReportObjectInfo* TRMFormReportAddIns::Find(const QWidget& control) const {
    for (const QMetaObject* mo = control.metaObject(); mo != nullptr; mo = mo->superClass())
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
            if (it->ControlClass == mo && (!it->Accepts || it->Accepts(control)))
                return &*it;
    return nullptr;
}

namespace {

// A label mapped to a data field through its pixmap: a data-aware image.
bool isDataImage(const QWidget& control) {
    const QWidget* window = control.window();
    if (window == nullptr)
        return false;
    for (const QDataWidgetMapper* m : window->findChildren<QDataWidgetMapper*>()) {
        const int section = m->mappedSection(const_cast<QWidget*>(&control));
        if (section >= 0 && m->mappedPropertyName(const_cast<QWidget*>(&control)) == "pixmap")
            return true;
    }
    return false;
}

// An image is a label that shows a pixmap, or one whose pixmap shows a data field; any
// other label is a text label.
bool isImageLabel(const QWidget& control) {
    const auto* label = qobject_cast<const QLabel*>(&control);
    return label != nullptr && (!label->pixmap().isNull() || isDataImage(control));
}

void registerStandardAddIns(TRMFormReportAddIns& r) {
    using C = TRMFormReportObjectClass;
    r.Register(QCheckBox::staticMetaObject, C::of<TRMPrintCheckBox>());
    r.Register(TShape::staticMetaObject, C::of<TRMPrintShape>());
    r.Register(QLabel::staticMetaObject, C::of<TRMPrintImage>(), isDataImage);
    r.Register(QLabel::staticMetaObject, C::of<TRMPrintImage>(), isImageLabel);
    r.Register(QListView::staticMetaObject, C::of<TRMPrintControl>());
    r.Register(QListWidget::staticMetaObject, C::of<TRMPrintControl>());
    r.Register(QComboBox::staticMetaObject, C::of<TRMPrintEdit>());
    r.Register(QLineEdit::staticMetaObject, C::of<TRMPrintEdit>());
    r.Register(QPlainTextEdit::staticMetaObject, C::of<TRMPrintControl>());
    r.Register(QTextEdit::staticMetaObject, C::of<TRMPrintRichEdit>());
    r.Register(QLabel::staticMetaObject, C::of<TRMPrintControl>(),
               [](const QWidget& c) { return !isImageLabel(c); });
    r.Register(QDateTimeEdit::staticMetaObject, C::of<TRMPrintDateTimePicker>());
    r.Register(QTreeView::staticMetaObject, C::of<TRMPrintListView>());
    r.Register(QTreeWidget::staticMetaObject, C::of<TRMPrintListView>());
    r.Register(QTableWidget::staticMetaObject, C::of<TRMFormPrintStringGrid>());
    r.Register(QTableView::staticMetaObject, C::of<TRMFormPrintDBGrid>());
    r.Register(grid::TAdvStringGrid::staticMetaObject, C::of<TRMFormPrintADVStringGridPro>());
}

} // namespace

TRMFormReportAddIns& FormReportAddIns() {
    static TRMFormReportAddIns registry = [] {
        TRMFormReportAddIns r;
        registerStandardAddIns(r);
        return r;
    }();
    return registry;
}

void RegisterFormReportAddIn(const QMetaObject& controlClass, TRMFormReportObjectClass objectClass,
                             TRMAddInAccepts accepts) {
    FormReportAddIns().Register(controlClass, std::move(objectClass), std::move(accepts));
}

} // namespace report
