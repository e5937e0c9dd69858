#pragma once

// An output file written under a temporary name beside its target and moved over the
// target only when complete, so a failed or cancelled export leaves no partial file and
// never spoils a file that was there.

#include <string>

namespace report {

class TRMStagedFile {
public:
    TRMStagedFile() = default;
    TRMStagedFile(const TRMStagedFile&) = delete;
    TRMStagedFile& operator=(const TRMStagedFile&) = delete;
    ~TRMStagedFile() { discard(); }

    // Reserves the temporary file; false with the reason when the folder cannot take it.
    bool create(const std::string& target, std::string* error);
    const std::string& tempPath() const { return temp_; }
    const std::string& target() const { return target_; }
    bool active() const { return !temp_.empty(); }
    // Moves the temporary file over the target.
    bool commit(std::string* error);
    // Removes the temporary file.
    void discard();

private:
    std::string target_;
    std::string temp_;
};

} // namespace report
