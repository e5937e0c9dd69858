#include "report/engine/model/RMBand.h"

#include "report/engine/model/RMBandView.h"

namespace report {

bool TRMBand::visible() const {
    return View == nullptr || View->Visible;
}

} // namespace report
