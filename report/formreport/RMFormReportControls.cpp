#include "report/formreport/RMFormReportControls.h"

#include "platform/Colors.h"
#include "platform/Picture.h"
#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/expressions/RMDisplayFormat.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMMemoView.h"
#include "report/formreport/RMFormReport.h"

#include <QAbstractItemModel>
#include <QAbstractScrollArea>
#include <QDataWidgetMapper>
#include <QFrame>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>

#include <cmath>

namespace report {

std::vector<QWidget*> childControls(const QWidget& control) {
    const auto* area = qobject_cast<const QAbstractScrollArea*>(&control);
    const QWidget* hBar = area ? area->horizontalScrollBar()->parentWidget() : nullptr;
    const QWidget* vBar = area ? area->verticalScrollBar()->parentWidget() : nullptr;
    std::vector<QWidget*> children;
    for (QObject* o : control.children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w == nullptr || w->isWindow() || (area && (w == hBar || w == vBar)))
            continue;
        children.push_back(w);
    }
    return children;
}

QRect clientRect(const QWidget& control) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) {
        if (!edit->hasFrame())
            return edit->rect();
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        return edit->rect().adjusted(option.lineWidth, option.lineWidth, -option.lineWidth,
                                     -option.lineWidth);
    }
    if (const auto* frame = qobject_cast<const QFrame*>(&control))
        return frame->contentsRect();
    return control.rect();
}

TColor reportColor(const QColor& color) {
    return platform::fromQColor(color);
}

TRMFont reportFont(const QFont& font, TColor color, int charset) {
    TRMFont f;
    f.Name = font.family().toStdString();
    if (font.pointSizeF() > 0)
        f.Size = static_cast<std::int32_t>(std::lround(font.pointSizeF()));
    else
        f.Size = static_cast<std::int32_t>(std::lround(font.pixelSize() * 72.0 / 96.0));
    f.Style = static_cast<std::int16_t>((font.italic() ? fontstyle::Italic : 0) |
                                        (font.bold() ? fontstyle::Bold : 0) |
                                        (font.underline() ? fontstyle::Underline : 0) |
                                        (font.strikeOut() ? fontstyle::StrikeOut : 0));
    f.Color = color;
    f.Charset = static_cast<std::int16_t>(charset);
    return f;
}

TRMFont reportFont(const QWidget& control) {
    return reportFont(control.font(),
                      reportColor(control.palette().color(control.foregroundRole())));
}

TRMFont reportFont(const platform::TFont& font) {
    TRMFont f;
    f.Name = font.Name;
    f.Size = std::abs(font.size());
    f.Style = static_cast<std::int16_t>((font.italic() ? fontstyle::Italic : 0) |
                                        (font.bold() ? fontstyle::Bold : 0) |
                                        (font.underline() ? fontstyle::Underline : 0) |
                                        (font.strikeOut() ? fontstyle::StrikeOut : 0));
    f.Color = font.Color;
    f.Charset = static_cast<std::int16_t>(font.Charset);
    return f;
}

void setAllFrames(TRMView& view, bool on) {
    view.setFrameTyp(on ? 15 : 0);
}

bool dataFieldOf(const QWidget& control, QDataWidgetMapper*& mapper, std::string& field) {
    const QWidget* window = control.window();
    if (window == nullptr)
        return false;
    for (QDataWidgetMapper* m : window->findChildren<QDataWidgetMapper*>()) {
        const int section = m->mappedSection(const_cast<QWidget*>(&control));
        if (section < 0 || m->model() == nullptr)
            continue;
        mapper = m;
        field = m->model()->headerData(section, Qt::Horizontal).toString().toStdString();
        return true;
    }
    return false;
}

std::string fieldReference(TRMFormReport& report, const QWidget& control) {
    QDataWidgetMapper* mapper = nullptr;
    std::string field;
    if (!dataFieldOf(control, mapper, field))
        return {};
    return "[" + report.dataSetPath(*mapper->model()) + ".\"" + field + "\"]";
}

namespace {

QVariant firstValue(const QAbstractItemModel& model, int column) {
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex cell = model.index(row, column);
        QVariant value = model.data(cell, Qt::EditRole);
        if (!value.isValid())
            value = model.data(cell, Qt::DisplayRole);
        if (value.isValid() && !value.isNull())
            return value;
    }
    return {};
}

} // namespace

int alignmentOf(const QVariant& value) {
    const auto a = Qt::Alignment(value.toInt());
    if (a & Qt::AlignRight)
        return 1;
    if (a & Qt::AlignHCenter)
        return 2;
    return 0;
}

TRMFieldFormat fieldFormat(const QAbstractItemModel& model, int column) {
    TRMFieldFormat f;
    const QVariant value = firstValue(model, column);
    const TRMFormatSettings& settings = defaultFormatSettings();
    if (value.metaType() == QMetaType::fromType<platform::Currency>()) {
        f.Code = makeFormatCode(fkNumber, 4, 2, '.');
        f.Text = "￥#,##0.00";
        f.Alignment = 1;
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            f.Alignment = 1;
            break;
        case QMetaType::Float:
        case QMetaType::Double:
            f.Code = makeFormatCode(fkNumber, 3, 2, '.');
            f.Alignment = 1;
            break;
        case QMetaType::QDate:
            f.Code = makeFormatCode(fkDate, 7, 0, 0);
            f.Text = settings.ShortDateFormat;
            break;
        case QMetaType::QTime:
            f.Code = makeFormatCode(fkTime, 4, 0, 0);
            f.Text = settings.LongTimeFormat;
            break;
        case QMetaType::Bool:
            f.Code = makeFormatCode(fkBoolean, 1, 0, 0);
            break;
        case QMetaType::QImage:
        case QMetaType::QPixmap:
            f.Picture = true;
            break;
        case QMetaType::QByteArray:
            f.Picture =
                platform::Picture::detectKind(value.toByteArray()) != platform::TPictureKind::None;
            break;
        default:
            break;
        }
    }
    if (model.rowCount() > 0) {
        const QVariant align = model.index(0, column).data(Qt::TextAlignmentRole);
        if (align.isValid())
            f.Alignment = alignmentOf(align);
    }
    return f;
}

void applyFieldFormat(TRMMemoView& memo, const TRMFieldFormat& format) {
    memo.DisplayFormat = format.Code;
    memo.DisplayFormatText = format.Text;
    memo.setAlignment(format.Alignment);
    // False is a value of its own ("否"), not a zero to hide.
    if (formatKind(format.Code) == fkBoolean)
        memo.setFlag(flag::HideZeros, false);
}

void applyFieldFormat(TRMMemoView& memo, const QWidget& control) {
    QDataWidgetMapper* mapper = nullptr;
    std::string field;
    if (!dataFieldOf(control, mapper, field))
        return;
    applyFieldFormat(
        memo, fieldFormat(*mapper->model(), mapper->mappedSection(const_cast<QWidget*>(&control))));
}

int placeX(const TRMFormReport& report, const QWidget& control) {
    return control.x() + report.Build().WalkOffsetX;
}

int placeY(const TRMFormReport& report, const QWidget& control) {
    return control.y() + report.Build().WalkOffsetY;
}

void addToSimpleList(TRMFormReport& report, TRMView& view) {
    TRMGridBuildState& b = report.Build();
    (b.GridPlaced ? b.ColumnFooterObjects : b.TitleObjects).push_back(&view);
}

} // namespace report
