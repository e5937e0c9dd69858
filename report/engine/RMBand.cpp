#include "report/engine/RMBand.h"

#include "report/engine/RMBandView.h"

namespace report {

bool TRMBand::visible() const {
    return View == nullptr || View->Visible;
}

} // namespace report
