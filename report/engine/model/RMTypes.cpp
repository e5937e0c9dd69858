#include "report/engine/model/RMTypes.h"

#include "platform/EngineTexts.h"

namespace report {

std::string bandTypeName(int bandType) {
    if (bandType < 0 || bandType >= rmBandTypeCount)
        return {};
    return platform::engineText(47077 + bandType);
}

} // namespace report
