#include "report/print/RMPrinterList.h"

#include "platform/EngineTexts.h"
#include "report/print/RMCupsClient.h"

#include <QString>

#include <stdexcept>

namespace report {

TRMPrinterList& TRMPrinterList::instance() {
    static TRMPrinterList list;
    return list;
}

TRMPrinterList::TRMPrinterList() {
    Refresh();
}

std::unique_ptr<TRMPrinterList> TRMPrinterList::copyOf(TRMPrinterList& from, int index) {
    std::unique_ptr<TRMPrinterList> list(new TRMPrinterList(Empty{}));
    list->entries_.push_back({platform::engineText(47007), nullptr});
    list->entries_.push_back({from.Name(1), std::make_unique<TRMPrinterInfo>(from.Info(1))});
    list->entries_.push_back(
        {from.Name(index), std::make_unique<TRMPrinterInfo>(from.Info(index))});
    list->defaultIndex_ = 2;
    return list;
}

void TRMPrinterList::Refresh() {
    entries_.clear();
    error_.clear();
    entries_.push_back({platform::engineText(47007), nullptr});
    entries_.push_back({platform::engineText(47495),
                        std::make_unique<TRMPrinterInfo>(TRMPrinterKind::Virtual, "")});
    int cupsDefault = -1;
    for (const cups::TRMCupsDestination& dest : cups::listDestinations(&error_)) {
        if (QString::fromStdString(dest.name).compare(rmPdfPrinterName, Qt::CaseInsensitive) == 0)
            continue; // the built-in printer owns that name
        auto info = std::make_unique<TRMPrinterInfo>(TRMPrinterKind::Cups, dest.name);
        info->Driver = dest.makeModel;
        info->Port = dest.location;
        info->Comment = dest.info;
        if (dest.isDefault)
            cupsDefault = Count();
        entries_.push_back({dest.name, std::move(info)});
    }
    auto pdf = std::make_unique<TRMPrinterInfo>(TRMPrinterKind::Pdf, rmPdfPrinterName);
    pdf->Driver = "PDF";
    pdf->Comment = "写入 PDF 文件";
    entries_.push_back({rmPdfPrinterName, std::move(pdf)});
    defaultIndex_ = cupsDefault >= 0 ? cupsDefault : pdfIndex();
}

int TRMPrinterList::AddPrinter(const std::string& name, std::unique_ptr<TRMPrinterInfo> info) {
    const int position = pdfIndex();
    entries_.insert(entries_.begin() + position, {name, std::move(info)});
    if (defaultIndex_ >= position)
        ++defaultIndex_;
    return position;
}

const std::string& TRMPrinterList::Name(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("printer index");
    return entries_[static_cast<std::size_t>(index)].name;
}

int TRMPrinterList::resolve(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("printer index");
    return index == 0 ? defaultIndex_ : index;
}

TRMPrinterInfo& TRMPrinterList::Info(int index) {
    return *entries_[static_cast<std::size_t>(resolve(index))].info;
}

bool TRMPrinterList::LoadInfo(int index, std::string* error) {
    TRMPrinterInfo& info = Info(index);
    if (info.Loaded)
        return true;
    if (info.Kind != TRMPrinterKind::Cups) {
        info.loadBuiltin();
        return true;
    }
    TRMDeviceCapabilities caps;
    if (!cups::readCapabilities(info.Device, caps, error))
        return false;
    info.loadFrom(caps);
    return true;
}

int TRMPrinterList::IndexOfName(const std::string& name) const {
    if (name.empty() || name == "Default Printer")
        return 0;
    if (name == "Virtual Printer")
        return 1;
    const QString wanted = QString::fromStdString(name);
    for (int i = 0; i < Count(); ++i)
        if (QString::fromStdString(entries_[static_cast<std::size_t>(i)].name)
                .compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return 0;
}

} // namespace report
