#include "report/engine/model/RMViewFactory.h"

#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"

#include <vector>

namespace report {

namespace {

struct AddIn {
    std::string name;
    TRMViewCreator creator;
};

std::vector<AddIn>& addIns() {
    static std::vector<AddIn> list = [] {
        std::vector<AddIn> builtIn;
        builtIn.push_back({"TRMRichView", [] { return std::make_unique<TRMRichView>(); }});
        builtIn.push_back({"TRMShapeView", [] { return std::make_unique<TRMShapeView>(); }});
        builtIn.push_back({"TRMCheckBoxView", [] { return std::make_unique<TRMCheckBoxView>(); }});
        builtIn.push_back({"TRMDiagonalView", [] { return std::make_unique<TRMDiagonalView>(); }});
        return builtIn;
    }();
    return list;
}

AddIn* findAddIn(std::string_view className) {
    for (AddIn& addIn : addIns())
        if (sameText(addIn.name, className))
            return &addIn;
    return nullptr;
}

} // namespace

void registerAddInView(std::string_view className, TRMViewCreator creator) {
    if (AddIn* existing = findAddIn(className)) {
        existing->creator = std::move(creator);
        return;
    }
    addIns().push_back({std::string(className), std::move(creator)});
}

void unregisterAddInView(std::string_view className) {
    std::erase_if(addIns(), [&](const AddIn& a) { return sameText(a.name, className); });
}

bool isAddInViewRegistered(std::string_view className) {
    return findAddIn(className) != nullptr;
}

std::unique_ptr<TRMView> createView(std::uint8_t objectType, std::string_view className,
                                    TRMClassNotFoundLog* log) {
    switch (objectType) {
    case gtMemo:
        return std::make_unique<TRMMemoView>();
    case gtPicture:
        return std::make_unique<TRMPictureView>();
    case gtBand:
        return std::make_unique<TRMBandView>();
    case gtSubReport:
        return std::make_unique<TRMSubReportView>();
    case gtLine:
        return std::make_unique<TRMLineView>();
    case gtCalcMemo:
        return std::make_unique<TRMCalcMemoView>();
    case gtMoneyView:
        return std::make_unique<TRMMoneyView>();
    case gtRegion:
        return std::make_unique<TRMRegionView>();
    case gtAddIn:
        break;
    default:
        return nullptr;
    }
    if (const AddIn* addIn = findAddIn(className))
        return addIn->creator();
    std::string text = std::string(className) + "\r";
    if (log != nullptr) {
        log->found = true;
        log->message += text;
        text = log->message;
    }
    throw EClassNotFound(text);
}

} // namespace report
