// Reader of templates as JSON text: any byte string either builds template bytes or is
// refused with at least one message and no bytes. What builds loads as a template, and its
// dump is the normal form: it builds to the same bytes and dumps to itself.

#include "fuzz/FuzzSupport.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMTemplateJson.h"

#include <cstdlib>

namespace {

// A text that sets a field of every kind: enumerations, flags, colours, frames, texts in
// base64, a picture, rich text, band data and the dictionary.
constexpr const char* everyKind = R"({
  "PrintBackColor": true,
  "ReportInfo": ["标题"],
  "DoublePass": true,
  "pages": [
    {"Name": "Page1", "Orientation": "poLandscape", "Script": ["begin", "end"],
     "BackGround": {"Kind": "Bitmap", "Data": "Qk0AAQ=="},
     "views": [
      {"Class": "TRMBandView", "Name": "Rows", "Top": 40, "Height": 20,
       "BandType": "rmbtMasterData", "DataSource": "Units", "Flags": ["Stretched", 16384],
       "NewPageCondition": "[Line] > 10", "RangeEnd": "reCount", "RangeEndCount": 3},
      {"Class": "TRMMemoView", "Name": "Memo1", "Top": 40, "Width": 80, "Height": 20,
       "Flags": ["WordWrap", "PrintFrame", "PrintVisible"], "Flags2": ["ScaleFontSize"],
       "LeftFrame": {"Visible": true, "Style": "psDash", "Color": "#FF0000", "Width": 1.5},
       "FillColor": "clBtnFace", "Memo": ["[Units.\"name\"]", "第二行"],
       "Font": {"Name": "宋体", "Size": 9, "Style": ["fsBold"]}, "Highlight": "[Value] < 0",
       "HighlightAttr": {"FontColor": "#0000FF"}, "Tag": {"base64": "//4="}},
      {"Class": "TRMCalcMemoView", "DBCalcType": "rmdcMax", "DataBand": "Rows"},
      {"Class": "TRMMoneyView", "MoneySymbol": "￥", "DigitCount": 12},
      {"Class": "TRMDiagonalView", "LineColor": "#00FF00"},
      {"Class": "TRMPictureView", "Picture": {"Kind": "Jpeg", "BlobType": "btJPG",
       "Data": "/9g="}},
      {"Class": "TRMLineView"}, {"Class": "TRMRegionView"},
      {"Class": "TRMSubReportView", "SubPage": 1},
      {"Class": "TRMShapeView", "Shape": 2}, {"Class": "TRMCheckBoxView", "CheckStyle": 1},
      {"Class": "TRMRichView", "RichText": "{\\rtf1\\ansi \\'b8\\'bb}"}
    ]},
    {"Type": "ptDialog", "Name": "Page2"}
  ],
  "Dictionary": {"Variables": [{"Name": "合计", "Value": "1 + 2"}]}
})";

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::initialize(argc, argv);
    fuzzsupport::writeSeeds("FUZZ_SEEDS", {{"every_kind.json", QByteArray(everyKind)},
                                           {"empty.json", QByteArray("{\"pages\": [{}]}")}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string bytes;
    std::vector<std::string> errors;
    if (!report::templateFromJson(text, bytes, errors)) {
        if (errors.empty() || !bytes.empty())
            std::abort();
        return 0;
    }
    try {
        const std::string json = report::templateBytesToJson(bytes);
        std::string again;
        if (!report::templateFromJson(json, again, errors) || again != bytes ||
            report::templateBytesToJson(again) != json)
            std::abort();
    } catch (const std::exception&) {
        std::abort();
    }
    report::TRMReport report;
    report::RMStream stream(bytes);
    if (!report.LoadFromStream(stream))
        std::abort();
    return 0;
}
