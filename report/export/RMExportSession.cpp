#include "report/export/RMExportSession.h"

#include "platform/EngineTexts.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/preview/RMProgressForm.h"

#include <QFileDialog>
#include <QFileInfo>

namespace report {

std::string withMaskExtension(const std::string& name, const std::string& mask) {
    const std::string first = mask.substr(0, mask.find(';'));
    const std::size_t dot = first.rfind('.');
    if (dot == std::string::npos || first.find('*', dot) != std::string::npos)
        return name;
    const QString extension = QString::fromStdString(first.substr(dot + 1));
    if (QFileInfo(QString::fromStdString(name)).suffix().compare(extension, Qt::CaseInsensitive) ==
        0)
        return name;
    return name + "." + extension.toStdString();
}

std::string chooseExportFile(platform::WindowHandle owner, const TRMFileFormat& filter,
                             const std::string& initialDir) {
    QFileDialog dialog(platform::widgetOf(owner));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(
        QString::fromStdString(filter.description() + " (" + filter.fileMask() + ")"));
    if (!initialDir.empty())
        dialog.setDirectory(QString::fromStdString(initialDir));
    if (platform::execModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return withMaskExtension(dialog.selectedFiles().front().toStdString(), filter.fileMask());
}

TRMExportResult exportWithProgress(platform::WindowHandle owner, TRMFileFormat& filter,
                                   const TRMEMFPages& pages, const std::string& fileName,
                                   const std::vector<int>& pageIndexes, const std::string& title) {
    TRMExportResult result;
    {
        TRMProgressForm progress(platform::widgetOf(owner));
        progress.setCaption("导出报表" + (title.empty() ? std::string() : " - " + title));
        progress.Start();
        result = filter.writeFile(pages, fileName, pageIndexes, &progress, title);
    }
    if (result.status == TRMExportStatus::Failed)
        platform::MessageBox(owner, result.message, platform::engineText(47206),
                             platform::MB_OK | platform::MB_ICONERROR);
    return result;
}

bool exportWithSaveDialog(platform::WindowHandle owner, TRMFileFormat& filter,
                          const TRMEMFPages& pages, const std::vector<int>& pageIndexes,
                          const std::string& title, const std::string& initialDir) {
    const std::string fileName = chooseExportFile(owner, filter, initialDir);
    if (fileName.empty())
        return false;
    return exportWithProgress(owner, filter, pages, fileName, pageIndexes, title).status ==
           TRMExportStatus::Exported;
}

} // namespace report
