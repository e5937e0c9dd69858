#pragma once

// A Qt item model's top-level rows as a cursor: one record per row, one field per column,
// named by the horizontal header. Values are read in the edit role (the stored value), or
// in the display role when a model gives nothing there. A model destroyed while the cursor
// lives leaves it without rows; opening it then fails.

#include "report/engine/data/RMRowCursor.h"
#include "report/engine/model/RMQtValue.h"

#include <QPointer>

class QAbstractItemModel;

namespace report {

class TRMItemModelCursor : public TRMRowCursor {
public:
    explicit TRMItemModelCursor(const QAbstractItemModel* model);

    const QAbstractItemModel* model() const { return model_.data(); }

    int fieldCount() const override;
    std::string fieldName(int index) const override;
    platform::Variant fieldValue(int index) const override;
    using TRMDataCursor::fieldValue;

protected:
    int rowCount() const override;
    void openRows() override;

private:
    QPointer<const QAbstractItemModel> model_;
};

} // namespace report
