#pragma once

// Compression hook of prepared files. The base operations copy unchanged and the hook is
// off, so prepared files are written uncompressed; a compressed file is refused.

#include <string>

namespace report {

class TRMCompressor {
public:
    virtual ~TRMCompressor() = default;
    virtual std::string Compress(const std::string& input) { return input; }
    virtual std::string Decompress(const std::string& input) { return input; }
    bool Enabled = false;
};

// The engine's instance (created on first use); installCompressor replaces it.
TRMCompressor& RMCompressor();
void installCompressor(TRMCompressor* compressor);

} // namespace report
