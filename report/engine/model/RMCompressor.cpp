#include "report/engine/model/RMCompressor.h"

namespace report {

namespace {

TRMCompressor*& installed() {
    static TRMCompressor* compressor = nullptr;
    return compressor;
}

} // namespace

TRMCompressor& RMCompressor() {
    static TRMCompressor base;
    return installed() != nullptr ? *installed() : base;
}

void installCompressor(TRMCompressor* compressor) {
    installed() = compressor;
}

} // namespace report
