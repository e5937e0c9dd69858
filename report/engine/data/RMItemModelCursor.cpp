#include "report/engine/data/RMItemModelCursor.h"

#include "platform/ClientDataSet.h"
#include "report/engine/model/RMQtValue.h"

#include <QAbstractItemModel>

namespace report {

TRMItemModelCursor::TRMItemModelCursor(const QAbstractItemModel* model)
    : model_(model) {}

void TRMItemModelCursor::openRows() {
    if (model_.isNull())
        throw platform::EDatabaseError("数据模型已不存在，不能打开");
}

int TRMItemModelCursor::rowCount() const {
    return model_ ? model_->rowCount() : 0;
}

int TRMItemModelCursor::fieldCount() const {
    return model_ ? model_->columnCount() : 0;
}

std::string TRMItemModelCursor::fieldName(int index) const {
    if (!model_)
        return {};
    return model_->headerData(index, Qt::Horizontal, Qt::DisplayRole).toString().toStdString();
}

platform::Variant TRMItemModelCursor::fieldValue(int index) const {
    const int row = currentRow();
    if (!model_ || row < 0 || index < 0 || index >= model_->columnCount())
        return platform::null;
    const QModelIndex cell = model_->index(row, index);
    QVariant value = model_->data(cell, Qt::EditRole);
    if (!value.isValid())
        value = model_->data(cell, Qt::DisplayRole);
    return variantFromQt(value);
}

} // namespace report
