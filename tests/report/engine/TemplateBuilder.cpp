#include "TemplateBuilder.h"

#include "report/engine/layout/RMMemoLayout.h"
#include "report/engine/model/RMUnits.h"

namespace testreport {

using namespace report;

platform::Variant RowsCursor::fieldValue(int index) const {
    const int row = currentRow();
    if (row < 0)
        return platform::Variant(platform::null);
    return Rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(index)];
}

void RowsCursor::openRows() {
    if (FailToOpen)
        throw std::runtime_error("cannot open the rows");
}

RowsDataset::RowsDataset(std::string name, std::vector<std::string> fields,
                         std::vector<std::vector<platform::Variant>> rows)
    : TRMDBDataSet(std::move(name)) {
    Cursor.Fields = std::move(fields);
    Cursor.Rows = std::move(rows);
    setDataSet(&Cursor);
}

void RowsDataset::Init() {
    ++Inits;
    TRMDBDataSet::Init();
}

void RowsDataset::Exit() {
    ++Exits;
    TRMDBDataSet::Exit();
}

std::string RowsDataset::ref(const std::string& field) const {
    return "[RMDialogForm." + Name + ".\"" + field + "\"]";
}

TemplateBuilder::TemplateBuilder(TRMReport& report)
    : report_(report) {
    setScreenPixelsPerInch(96, 96);
    nextPage();
}

void TemplateBuilder::nextPage() {
    page_ = report_.Pages.Add();
    nextY_ = 0;
}

int TemplateBuilder::leftMargin() const {
    return page_->marginsInPixels().left;
}

int TemplateBuilder::topMargin() const {
    return page_->marginsInPixels().top;
}

TRMBandView& TemplateBuilder::band(int type, int height, const std::string& name) {
    auto view = std::make_unique<TRMBandView>();
    view->setBandType(type);
    view->Name = name.empty() ? report_.Pages.makeUniqueName("Band") : name;
    view->SetBounds(0, nextY_, 700, height);
    nextY_ += height + 10;
    return static_cast<TRMBandView&>(*page_->addView(std::move(view)));
}

TRMMemoView& TemplateBuilder::memo(TRMBandView& band, int x, int y, int width, int height,
                                   TRMStrings text, const std::string& name) {
    auto view = std::make_unique<TRMMemoView>();
    view->Name = name.empty() ? report_.Pages.makeUniqueName("Memo") : name;
    view->SetBounds(leftMargin() + x, band.Top + y, width, height);
    view->Font.Name = "宋体";
    view->Font.Size = 9;
    view->Memo = std::move(text);
    return static_cast<TRMMemoView&>(*page_->addView(std::move(view)));
}

TRMCalcMemoView& TemplateBuilder::calc(TRMBandView& band, int x, int y, int width, int height,
                                       std::string text, int type, const std::string& dataBand) {
    auto view = std::make_unique<TRMCalcMemoView>();
    view->Name = report_.Pages.makeUniqueName("CalcMemo");
    view->SetBounds(leftMargin() + x, band.Top + y, width, height);
    view->Font.Name = "宋体";
    view->Font.Size = 9;
    view->Memo = {std::move(text)};
    view->DBCalcType = static_cast<std::uint8_t>(type);
    view->DataBand = dataBand;
    return static_cast<TRMCalcMemoView&>(*page_->addView(std::move(view)));
}

std::vector<Placed> placed(const TRMReport& report, int page) {
    std::vector<Placed> out;
    const std::unique_ptr<TRMPage> views = report.EMFPages.LoadPageViews(page);
    if (!views)
        return out;
    for (const auto& v : views->Objects()) {
        Placed p{v->Name, v->Left, v->Top, v->Width, v->Height, {}, v->ClassName()};
        for (std::size_t i = 0; i < v->Memo.size(); ++i) {
            if (i > 0)
                p.text += "|";
            p.text += std::string(stripMarker(v->Memo[i]));
        }
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<std::string> texts(const TRMReport& report, int page) {
    std::vector<std::string> out;
    for (const Placed& p : placed(report, page))
        out.push_back(p.text);
    return out;
}

std::vector<Placed> named(const TRMReport& report, int page, const std::string& prefix) {
    std::vector<Placed> out;
    for (Placed& p : placed(report, page))
        if (p.name.rfind(prefix, 0) == 0)
            out.push_back(std::move(p));
    return out;
}

std::string templateBytes(const TRMReport& report) {
    RMStream s;
    report.SaveToStream(s);
    return s.takeBytes();
}

} // namespace testreport
