#pragma once

// dynamic_cast for views in the band loops, answered once per class. Views derive from
// TRMView along one line (no multiple or virtual bases), so a view is a `To` exactly when
// its class is, at the same address; a failing dynamic_cast walks the whole hierarchy and
// compares type names, which every view of every row paid for several times.

#include "report/engine/model/RMView.h"

#include <array>
#include <type_traits>
#include <typeinfo>

namespace report {

template <typename To, typename From>
To* viewCast(From* view) {
    static_assert(std::is_base_of_v<TRMView, std::remove_const_t<To>>);
    if (view == nullptr)
        return nullptr;
    struct Known {
        const std::type_info* type = nullptr;
        bool is = false;
    };
    thread_local std::array<Known, 8> known{};
    const std::type_info* type = &typeid(*view);
    for (const Known& k : known) {
        if (k.type == type)
            return k.is ? static_cast<To*>(view) : nullptr;
        if (k.type == nullptr)
            break;
    }
    To* cast = dynamic_cast<To*>(view);
    for (Known& k : known)
        if (k.type == nullptr) {
            k = {type, cast != nullptr};
            break;
        }
    return cast;
}

} // namespace report
