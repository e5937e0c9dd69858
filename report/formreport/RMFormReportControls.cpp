#include "report/formreport/RMFormReportControls.h"

#include "platform/Colors.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMView.h"
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
