#include "report/export/RMXlsxOptionsForm.h"

#include "platform/EngineTexts.h"
#include "platform/Guard.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/preview/RMEngineFont.h"
#include "report/print/RMPageList.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace report {

bool TRMXlsxOptionsModel::validate(std::string* error) const {
    if (AllPages)
        return true;
    auto fail = [&](const std::string& text) {
        if (error != nullptr)
            *error = text;
        return false;
    };
    std::set<int> pages;
    try {
        pages = parsePageList(PageList, PageCount);
    } catch (const EConvertError& e) {
        return fail(e.what());
    }
    if (pages.empty())
        return fail("请输入要导出的页码，例如 1,3,5-12");
    for (int page : pages)
        if (page < 1 || page > PageCount)
            return fail("报表只有 " + std::to_string(PageCount) + " 页，没有第 " +
                        std::to_string(page) + " 页");
    return true;
}

std::vector<int> TRMXlsxOptionsModel::pageIndexes() const {
    std::vector<int> indexes;
    if (AllPages) {
        for (int i = 0; i < PageCount; ++i)
            indexes.push_back(i);
        return indexes;
    }
    try {
        for (int page : parsePageList(PageList, PageCount))
            if (page >= 1 && page <= PageCount)
                indexes.push_back(page - 1);
    } catch (const EConvertError&) {
    }
    return indexes;
}

TRMXlsxOptionsForm::TRMXlsxOptionsForm(QWidget* owner, TRMXlsxOptionsModel& model)
    : QDialog(owner)
    , model_(model) {
    setObjectName("TRMXlsxOptionsForm");
    setWindowTitle(QString::fromStdString(platform::engineText(45009, "保存为excel格式文件")));
    setFont(engineFont());

    auto* pagesBox = new QGroupBox(QStringLiteral("页码范围"), this);
    rbAllPages = new QRadioButton(QStringLiteral("全部页(&A)"), pagesBox);
    rbPageList = new QRadioButton(QStringLiteral("页码(&G):"), pagesBox);
    edPages = new QLineEdit(pagesBox);
    edPages->setObjectName("edPages");
    edPages->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9,\\- ]*")), edPages));
    auto* hint = new QLabel(QStringLiteral("用逗号分隔页码或页码范围，例如 1,3,5-12"), pagesBox);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(rbPageList);
    listRow->addWidget(edPages, 1);
    auto* pagesLayout = new QVBoxLayout(pagesBox);
    pagesLayout->addWidget(rbAllPages);
    pagesLayout->addLayout(listRow);
    pagesLayout->addWidget(hint);

    auto* sheetsBox = new QGroupBox(QStringLiteral("工作表"), this);
    rbOneSheet = new QRadioButton(QStringLiteral("整个报表一个工作表(&O)"), sheetsBox);
    rbSheetPerPage = new QRadioButton(QStringLiteral("每页一个工作表(&S)"), sheetsBox);
    auto* sheetsLayout = new QVBoxLayout(sheetsBox);
    sheetsLayout->addWidget(rbOneSheet);
    sheetsLayout->addWidget(rbSheetPerPage);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(engineQText(47001), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pagesBox);
    layout->addWidget(sheetsBox);
    layout->addWidget(buttons);

    rbAllPages->setChecked(model.AllPages);
    rbPageList->setChecked(!model.AllPages);
    edPages->setText(QString::fromStdString(model.PageList));
    rbOneSheet->setChecked(!model.SheetPerPage);
    rbSheetPerPage->setChecked(model.SheetPerPage);
    connect(rbPageList, &QRadioButton::toggled, this,
            [this] { platform::guarded(this, [this] { syncEnabled(); }); });
    connect(edPages, &QLineEdit::textEdited, this, [this] {
        platform::guarded(this, [this] {
            if (!edPages->text().isEmpty())
                rbPageList->setChecked(true);
        });
    });
    syncEnabled();
}

void TRMXlsxOptionsForm::syncEnabled() {
    edPages->setEnabled(rbPageList->isChecked());
}

void TRMXlsxOptionsForm::accept() {
    platform::guarded(this, [this] {
        TRMXlsxOptionsModel chosen = model_;
        chosen.AllPages = rbAllPages->isChecked();
        chosen.PageList = edPages->text().toStdString();
        chosen.SheetPerPage = rbSheetPerPage->isChecked();
        std::string error;
        if (!chosen.validate(&error)) {
            platform::MessageBox(this, error, platform::engineText(47206),
                                 platform::MB_OK | platform::MB_ICONERROR);
            edPages->setFocus();
            return;
        }
        model_ = chosen;
        QDialog::accept();
    });
}

bool showXlsxOptionsForm(platform::WindowHandle owner, TRMXlsxOptionsModel& model) {
    TRMXlsxOptionsForm form(platform::widgetOf(owner), model);
    return platform::execModal(form) == QDialog::Accepted;
}

} // namespace report
