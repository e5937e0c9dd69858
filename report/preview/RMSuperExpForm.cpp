#include "report/preview/RMSuperExpForm.h"

#include "platform/Guard.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMExportFilter.h"
#include "report/preview/RMEngineFont.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace report {

namespace {

constexpr const char* failedCaption = "转换失败";
constexpr const char* copyFailedText = "错误原因1：目标文件属性不可以为只读。\n"
                                       "错误原因2：目标路径不存在或没有写入权限。\n"
                                       "错误原因3：没有可转换的数据。";

// The registered cell filter that writes comma-separated files.
TRMFileFormat* csvFilter() {
    for (TRMFileFormat* format : exportFilters())
        if (QString::fromStdString(format->fileMask()).compare("*.csv", Qt::CaseInsensitive) == 0)
            return format;
    return nullptr;
}

} // namespace

TRM_SuperExp::TRM_SuperExp(const TRMEMFPages* pages, std::string title, QWidget* owner)
    : QDialog(owner)
    , pages_(pages)
    , title_(std::move(title)) {
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
    bool written = false;
    platform::guarded(
        this, [&] { written = SuperExport(this, pages_, edtPath->text().toStdString(), title_); });
    if (written)
        QDialog::accept();
}

bool SuperExport(QWidget* owner, const TRMEMFPages* pages, const std::string& target,
                 const std::string& title) {
    const QString path = QString::fromStdString(target).trimmed();
    if (path.isEmpty()) {
        platform::MessageBox(owner, "目标路径非法。", failedCaption,
                             platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    // A target without write permission counts as read-only even for a user who could
    // write it anyway (the filter would replace it).
    const QFileInfo existing(path);
    constexpr auto writable =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    const bool readOnly =
        existing.exists() && (existing.isDir() || !(existing.permissions() & writable));
    TRMFileFormat* filter = csvFilter();
    std::string reason;
    bool ok = !readOnly && filter != nullptr && pages != nullptr && pages->Count() > 0;
    if (ok) {
        // Written whole or not at all: the filter replaces an existing file only when done.
        const TRMExportResult result =
            filter->writeFile(*pages, path.toStdString(), {}, nullptr, title);
        ok = result.status == TRMExportStatus::Exported;
        reason = result.message;
    }
    if (!ok) {
        std::string text = copyFailedText;
        if (!reason.empty())
            text += "\n" + reason;
        platform::MessageBox(owner, text, failedCaption, platform::MB_OK | platform::MB_ICONERROR);
    }
    return ok;
}

void ShowSuperExpForm(QWidget* owner, const TRMEMFPages* pages, const std::string& title) {
    TRM_SuperExp form(pages, title, owner);
    platform::execModal(form);
}

} // namespace report
