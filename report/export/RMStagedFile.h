#pragma once

// An output file written under a temporary name beside its target and moved over the
// target only when complete, so a failed, cancelled or killed export leaves no partial file
// and never spoils a file that was there.
//
// The temporary file (".NAME.staged-XXXXXX") stays locked (flock) while it is written. A
// process that dies leaves it behind unlocked; the next staged file created in that folder
// removes such leftovers, whatever their target.

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

    // Removes the temporary files of dead writers in `folder`; returns how many went.
    static int removeLeftovers(const std::string& folder);
    // Whether `fileName` (without folder) is named like a temporary file of ours.
    static bool isStagedName(const std::string& fileName);

private:
    void release();

    std::string target_;
    std::string temp_;
    int lock_ = -1; // open descriptor of temp_ holding its lock
};

} // namespace report
