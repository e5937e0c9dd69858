#include "library/ArchiveWindowFactory.h"

#include "archive/TfrmAcountUnitArchives.h"

namespace plugin {

TFrmBase* createArchiveWindow(FormMode mode, QWidget* owner) {
    if (mode == FormMode::Dialog)
        return new archive::TfrmAcountUnitArchives(owner, "cm");
    return new archive::TfrmAcountUnitArchives(owner);
}

} // namespace plugin
