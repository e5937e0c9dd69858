#include "report/engine/model/RMQtValue.h"

#include "platform/Picture.h"

#include <QDateTime>
#include <QImage>
#include <QPixmap>
#include <QVariant>

#include <cstdint>

namespace report {

platform::Variant variantFromQt(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return platform::null;
    static const QDate dayZero(1899, 12, 30);
    constexpr double msPerDay = 86400000.0;
    if (value.metaType() == QMetaType::fromType<platform::Currency>())
        return value.value<platform::Currency>();
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
    case QMetaType::QImage:
    case QMetaType::QPixmap: {
        const QImage image = value.typeId() == QMetaType::QImage ? value.value<QImage>()
                                                                 : value.value<QPixmap>().toImage();
        if (image.isNull())
            return platform::null;
        const QByteArray bytes = platform::Picture::fromImage(image).bytes();
        return platform::ByteArray(bytes.begin(), bytes.end());
    }
    default:
        return value.toString().toStdString();
    }
}

} // namespace report
