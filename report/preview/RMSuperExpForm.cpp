#include "report/preview/RMSuperExpForm.h"

#include "platform/Guard.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/preview/RMEngineFont.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace report {

namespace {

constexpr const char* failedCaption = "转换失败";
constexpr const char* copyFailedText = "错误原因1：目标文件属性不可以为只读。\n"
                                       "错误原因2：目标路径不存在或没有写入权限。\n"
                                       "错误原因3：没有可转换的数据（转换文件不存在）。";

} // namespace

std::string TRM_SuperExp::SourceFolder;

TRM_SuperExp::TRM_SuperExp(QWidget* owner)
    : QDialog(owner) {
    setObjectName("TRM_SuperExp");
    setWindowTitle("数据转换");
    auto* label = new QLabel("目标路径:", this);
    edtPath = new QLineEdit(this);
    edtPath->setObjectName("edtPath");
    edtPath->setMinimumWidth(320);
    label->setBuddy(edtPath);
    btnBrowse = new QPushButton("...", this);
    btnBrowse->setObjectName("btnBrowse");
    btnOK = new QPushButton(engineQText(47000), this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(engineQText(47001), this);
    btnCancel->setObjectName("btnCancel");
    connect(btnBrowse, &QPushButton::clicked, this,
            [this] { platform::guarded(this, [&] { btnBrowseClick(); }); });
    connect(btnOK, &QPushButton::clicked, this, &TRM_SuperExp::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* path = new QHBoxLayout;
    path->addWidget(label);
    path->addWidget(edtPath, 1);
    path->addWidget(btnBrowse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(path);
    layout->addLayout(buttons);
    applyEngineFont(*this);
}

void TRM_SuperExp::btnBrowseClick() {
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter("CSV (*.csv)");
    dialog.setDefaultSuffix("csv");
    if (platform::execModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        edtPath->setText(dialog.selectedFiles().front());
}

void TRM_SuperExp::accept() {
    bool copied = false;
    platform::guarded(this, [&] { copied = SuperExport(this, edtPath->text().toStdString()); });
    if (copied)
        QDialog::accept();
}

bool SuperExport(QWidget* owner, const std::string& target) {
    const QString path = QString::fromStdString(target).trimmed();
    if (path.isEmpty()) {
        platform::MessageBox(owner, "目标路径非法。", failedCaption,
                             platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    const QString folder = TRM_SuperExp::SourceFolder.empty()
                               ? QDir::currentPath()
                               : QString::fromStdString(TRM_SuperExp::SourceFolder);
    QFile source(QDir(folder).filePath("~superfile.tmp"));
    // A target without write permission counts as read-only even for a user who could
    // write it anyway.
    const QFileInfo existing(path);
    constexpr auto writable =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    const bool readOnly =
        existing.exists() && (existing.isDir() || !(existing.permissions() & writable));
    bool ok = !readOnly && source.open(QIODevice::ReadOnly);
    if (ok) {
        // Written whole or not at all: an existing file is replaced only by a full copy.
        QSaveFile out(path);
        ok = out.open(QIODevice::WriteOnly) && out.write(source.readAll()) == source.size() &&
             out.commit();
    }
    if (!ok)
        platform::MessageBox(owner, copyFailedText, failedCaption,
                             platform::MB_OK | platform::MB_ICONERROR);
    return ok;
}

void ShowSuperExpForm(QWidget* owner) {
    TRM_SuperExp form(owner);
    platform::execModal(form);
}

} // namespace report
