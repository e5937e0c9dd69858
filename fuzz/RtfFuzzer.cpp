// Rich-text reader on arbitrary bytes: refusing is allowed; crashes, hangs and runaway
// allocation are not. Whatever is read must survive writing: the written text reads back
// to a document that writes the same bytes again.

#include "fuzz/FuzzSupport.h"
#include "report/engine/layout/RMRtfReader.h"
#include "report/engine/layout/RMRtfWriter.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 65536)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    QTextDocument doc;
    if (!report::rtf::readRtf(input, doc))
        return 0;
    const std::string written = report::rtf::writeRtf(doc);
    QTextDocument again;
    if (!report::rtf::readRtf(written, again) || again.toRawText() != doc.toRawText() ||
        report::rtf::writeRtf(again) != written) {
        std::fprintf(stderr, "written text does not read back:\n%s\n", written.c_str());
        std::abort();
    }
    return 0;
}
