#include "report/preview/RMPreviewSearchForm.h"

#include "platform/Modal.h"
#include "report/preview/RMEngineFont.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace report {

TRMPreviewSearchForm::TRMPreviewSearchForm(QWidget* owner)
    : QDialog(owner) {
    setObjectName("TRMPreviewSearchForm");
    setWindowTitle(engineQText(45000));
    Label1 = new QLabel(engineQText(45001), this);
    edtSearchTxt = new QLineEdit(this);
    edtSearchTxt->setObjectName("edtSearchTxt");
    Label1->setBuddy(edtSearchTxt);

    GroupBox1 = new QGroupBox(engineQText(45002), this);
    chkCaseSensitive = new QCheckBox(engineQText(45003), GroupBox1);
    chkCaseSensitive->setObjectName("chkCaseSensitive");
    chkWholewords = new QCheckBox(engineQText(45377), GroupBox1);
    chkWholewords->setObjectName("chkWholewords");
    auto* options = new QVBoxLayout(GroupBox1);
    options->addWidget(chkCaseSensitive);
    options->addWidget(chkWholewords);

    GroupBox2 = new QGroupBox(engineQText(45004), this);
    rdbFromFirst = new QRadioButton(engineQText(45005), GroupBox2);
    rdbFromFirst->setObjectName("rdbFromFirst");
    rdbFromCursor = new QRadioButton(engineQText(45006), GroupBox2);
    rdbFromCursor->setObjectName("rdbFromCursor");
    rdbFromFirst->setChecked(true);
    auto* start = new QVBoxLayout(GroupBox2);
    start->addWidget(rdbFromFirst);
    start->addWidget(rdbFromCursor);

    btnOK = new QPushButton(engineQText(47000), this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(engineQText(47001), this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* groups = new QHBoxLayout;
    groups->addWidget(GroupBox1);
    groups->addWidget(GroupBox2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(edtSearchTxt);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    applyEngineFont(*this);
}

bool ShowSearchForm(QWidget* owner, TRMSearchRequest& request) {
    TRMPreviewSearchForm form(owner);
    form.edtSearchTxt->setText(QString::fromStdString(request.text));
    form.edtSearchTxt->selectAll();
    form.chkCaseSensitive->setChecked(request.caseSensitive);
    form.chkWholewords->setChecked(request.wholeWords);
    (request.fromFirst ? form.rdbFromFirst : form.rdbFromCursor)->setChecked(true);
    if (platform::execModal(form) != QDialog::Accepted)
        return false;
    request.text = form.edtSearchTxt->text().toStdString();
    request.caseSensitive = form.chkCaseSensitive->isChecked();
    request.wholeWords = form.chkWholewords->isChecked();
    request.fromFirst = form.rdbFromFirst->isChecked();
    return true;
}

} // namespace report
