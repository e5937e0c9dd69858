// A rich view over arbitrary bytes: its text is expanded, measured, written in parts and
// drawn. Evaluation errors are allowed; crashes, hangs, a part that takes nothing and a
// height below the search's smallest answer are not.

#include "fuzz/FuzzSupport.h"
#include "platform/Metafile.h"
#include "report/engine/layout/RMRichDocument.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMRichView.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 16384)
        return 0;
    using namespace report;
    static TRMReport report;
    report.OnInput = [](const std::string&, const std::string& preset) { return preset; };
    TRMRichView view;
    view.SetBounds(0, 0, 160, 0);
    view.RichText.assign(reinterpret_cast<const char*>(data), size);
    try {
        view.CalcHeight(report);
    } catch (const std::exception&) {
        view.setFlag(flag::TextOnly, true);
    }
    const int height = view.CalcHeight(report);
    if (height < 2 + 2 * view.GapY)
        std::abort();
    RMStream stream;
    for (int part = 0; part <= view.Prepared()->length() && view.RemainHeight() > 0; ++part) {
        const int before = view.SplitPosition;
        view.Height = std::max(view.MinHeight(), height / 3);
        view.DrawStatus = rmsPrinting;
        view.PrintToStream(report, stream);
        if (view.RemainHeight() > 0 && view.SplitPosition <= before) {
            std::fprintf(stderr, "a part at %d took nothing\n", before);
            std::abort();
        }
    }
    if (view.RemainHeight() != 0)
        std::abort();
    view.Height = height;
    platform::TMetafile metafile(200, 200);
    platform::TMetafileCanvas canvas(metafile);
    view.Draw(canvas, {}, {});
    return 0;
}
