#include "plugin/ArchiveWindowFactory.h"

#include "plugin/TFrmBase.h"

namespace plugin {

TFrmBase* createArchiveWindow(FormMode /*mode*/, QWidget* owner) {
    return new TFrmBase(owner);
}

} // namespace plugin
