#include "archive/AcountUnitArchivesRecords.h"

#include <stdexcept>

namespace archive {
namespace {

[[noreturn]] void outOfBounds(std::size_t index) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

TAcountUnitArchivesRecord& TAcountUnitArchivesRecords::Add() {
    return *items_.emplace_back(std::make_unique<TAcountUnitArchivesRecord>());
}

TAcountUnitArchivesRecord& TAcountUnitArchivesRecords::Insert(std::size_t index) {
    if (index > items_.size())
        outOfBounds(index);
    auto it = items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index),
                            std::make_unique<TAcountUnitArchivesRecord>());
    return **it;
}

void TAcountUnitArchivesRecords::Delete(std::size_t index) {
    if (index >= items_.size())
        outOfBounds(index);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

TAcountUnitArchivesRecord& TAcountUnitArchivesRecords::Items(std::size_t index) {
    if (index >= items_.size())
        outOfBounds(index);
    return *items_[index];
}

const TAcountUnitArchivesRecord& TAcountUnitArchivesRecords::Items(std::size_t index) const {
    if (index >= items_.size())
        outOfBounds(index);
    return *items_[index];
}

} // namespace archive
