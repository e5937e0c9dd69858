#include "report/engine/data/RMItemModelCursor.h"

#include "platform/ClientDataSet.h"

#include <QAbstractItemModel>
#include <QDateTime>

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

platform::Variant variantFromQt(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return platform::null;
    static const QDate dayZero(1899, 12, 30);
    constexpr double msPerDay = 86400000.0;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return static_cast<long long>(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong n = value.toULongLong();
        if (n > static_cast<qulonglong>(INT64_MAX))
            return static_cast<double>(n);
        return static_cast<long long>(n);
    }
    case QMetaType::Float:
    case QMetaType::Double:
        return value.toDouble();
    case QMetaType::QDate:
        return platform::DateTime{static_cast<double>(dayZero.daysTo(value.toDate()))};
    case QMetaType::QTime:
        return platform::DateTime{QTime(0, 0).msecsTo(value.toTime()) / msPerDay};
    case QMetaType::QDateTime: {
        const QDateTime at = value.toDateTime();
        return platform::DateTime{static_cast<double>(dayZero.daysTo(at.date())) +
                                  QTime(0, 0).msecsTo(at.time()) / msPerDay};
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return platform::ByteArray(bytes.begin(), bytes.end());
    }
    default:
        return value.toString().toStdString();
    }
}

} // namespace report
