#include "report/engine/model/RMInputQuery.h"

#include <utility>

namespace report {

namespace {
TRMInputHook& installedHook() {
    static TRMInputHook hook;
    return hook;
}
} // namespace

TRMInputHook installInputHook(TRMInputHook hook) {
    return std::exchange(installedHook(), std::move(hook));
}

std::string inputQuery(const std::string& prompt, const std::string& defaultText) {
    if (const TRMInputHook& hook = installedHook()) {
        if (std::optional<std::string> answer = hook(prompt, defaultText))
            return *answer;
    }
    return defaultText;
}

} // namespace report
