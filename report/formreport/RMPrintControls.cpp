#include "report/formreport/RMPrintControls.h"

#include "platform/Picture.h"
#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/layout/RMRtfWriter.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"
#include "report/formreport/RMFormReport.h"
#include "report/formreport/RMFormReportControls.h"
#include "report/formreport/TShape.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

namespace report {

namespace {

TRMStrings linesOf(const QString& text) {
    TRMStrings lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
        lines.push_back(line.toStdString());
    return lines;
}

// Text as a control shows it with a mnemonic: "&&" is "&", a single "&" marks the key.
QString withoutMnemonic(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            if (text[i] != QLatin1Char('&'))
                out += text[i];
            else
                out += QLatin1Char('&');
            continue;
        }
        out += text[i];
    }
    return out;
}

int horizontalAlignment(Qt::Alignment a) {
    if (a & Qt::AlignRight)
        return 1;
    if (a & Qt::AlignHCenter)
        return 2;
    if (a & Qt::AlignJustify)
        return 3;
    return 0;
}

int verticalLayout(Qt::Alignment a) {
    if (a & Qt::AlignVCenter)
        return 8;
    if (a & Qt::AlignBottom)
        return 16;
    return 0;
}

// A memo at the control's place with its font and the report's border rule. What a control
// holds (an edit's text, list items) is the operator's data and prints as it stands: the memo
// is text only unless it is bound to a field or shows a caption of the window's design.
std::unique_ptr<TRMMemoView> controlMemo(const TRMFormReport& report, const QWidget& control) {
    auto memo = std::make_unique<TRMMemoView>();
    memo->Font = reportFont(control);
    memo->setFlag(flag::TextOnly, true);
    setAllFrames(*memo, report.ReportOptions.has(rmgoDrawBorder));
    return memo;
}

// Binds a view to the field reference of a data-aware control: the reference is the
// template's own expression (the field's value it yields still prints as it stands).
void bindField(TRMView& view, const std::string& reference) {
    view.Memo = {reference};
    view.setFlag(flag::TextOnly, false);
}

template <class T>
T* place(TRMFormReport& report, TRMPage& page, std::unique_ptr<T> view) {
    T* v = report.addView(page, std::move(view));
    addToSimpleList(report, *v);
    return v;
}

std::string labelText(const QLabel& label) {
    QString text = label.text();
    if (label.textFormat() == Qt::RichText ||
        (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument doc;
        doc.setHtml(text);
        text = doc.toPlainText();
    } else if (label.buddy() != nullptr) {
        text = withoutMnemonic(text);
    }
    return text.toStdString();
}

} // namespace

// ---- TRMPrintControl

void TRMPrintControl::PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                                   QWidget& control) {
    std::unique_ptr<TRMMemoView> memo = controlMemo(report, control);
    memo->Left = placeX(report, control);
    memo->Top = placeY(report, control);
    memo->Width = control.width() + 8;
    memo->Height = control.height() + 4;
    const std::string reference = fieldReference(report, control);
    if (auto* edit = qobject_cast<QPlainTextEdit*>(&control)) {
        if (reference.empty())
            memo->Memo = linesOf(edit->toPlainText());
        else
            bindField(*memo, reference);
    } else if (auto* list = qobject_cast<QListView*>(&control)) {
        if (!reference.empty()) {
            bindField(*memo, reference);
        } else if (const QAbstractItemModel* model = list->model()) {
            for (int r = 0; r < model->rowCount(list->rootIndex()); ++r)
                memo->Memo.push_back(model->index(r, list->modelColumn(), list->rootIndex())
                                         .data()
                                         .toString()
                                         .toStdString());
        }
        memo->setLayout(8);
    } else if (auto* label = qobject_cast<QLabel*>(&control)) {
        // A label's caption is the window's own design, like a template text, and may
        // hold expressions ("第[Page#]页"); what it shows from data comes by binding.
        if (reference.empty())
            memo->Memo = {labelText(*label)};
        else
            memo->Memo = {reference};
        memo->setFlag(flag::TextOnly, false);
        memo->Top -= 2;
        memo->setFlag(flag::Wordwrap, label->wordWrap());
        memo->setLayout(verticalLayout(label->alignment()));
        if (reference.empty())
            memo->setAlignment(horizontalAlignment(label->alignment()));
        else
            applyFieldFormat(*memo, control);
    } else {
        const QVariant text = control.property("text");
        memo->Memo = {text.isValid() ? text.toString().toStdString()
                                     : control.windowTitle().toStdString()};
    }
    view = place(report, page, std::move(memo));
}

// ---- TRMPrintEdit

void TRMPrintEdit::PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                                QWidget& control) {
    std::unique_ptr<TRMMemoView> memo = controlMemo(report, control);
    const QRect client = clientRect(control);
    memo->Left = placeX(report, control) + (control.width() - client.width()) / 2;
    memo->Top = placeY(report, control) + (control.height() - client.height()) / 2;
    memo->Width = client.width();
    memo->Height = client.height();
    memo->setLayout(8);
    const std::string reference = fieldReference(report, control);
    if (!reference.empty()) {
        bindField(*memo, reference);
        if (qobject_cast<QLineEdit*>(&control) != nullptr)
            applyFieldFormat(*memo, control);
    } else if (auto* edit = qobject_cast<QLineEdit*>(&control)) {
        // What the edit shows: a password prints masked.
        memo->Memo = {edit->displayText().toStdString()};
    } else if (auto* combo = qobject_cast<QComboBox*>(&control)) {
        memo->Memo = {combo->currentText().toStdString()};
    }
    view = place(report, page, std::move(memo));
}

// ---- TRMPrintImage

void TRMPrintImage::PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                                 QWidget& control) {
    auto picture = std::make_unique<TRMPictureView>();
    picture->Left = placeX(report, control);
    picture->Top = placeY(report, control);
    picture->Width = control.width();
    picture->Height = control.height();
    for (TRMFrameLine* side :
         {&picture->LeftFrame, &picture->TopFrame, &picture->RightFrame, &picture->BottomFrame})
        side->Width = 0;
    setAllFrames(*picture, report.ReportOptions.has(rmgoDrawBorder));
    picture->setFlag(TRMPictureView::KeepAspect, false);
    if (auto* label = qobject_cast<QLabel*>(&control)) {
        const Qt::Alignment a = label->alignment();
        picture->setFlag(TRMPictureView::Center,
                         (a & Qt::AlignHCenter) != 0 && (a & Qt::AlignVCenter) != 0);
        picture->setFlag(TRMPictureView::Stretched, label->hasScaledContents());
        const std::string reference = fieldReference(report, control);
        if (!reference.empty()) {
            picture->Memo = {reference};
        } else if (!label->pixmap().isNull()) {
            const platform::Picture image = platform::Picture::fromImage(
                label->pixmap().toImage(), platform::TPictureKind::Bitmap);
            picture->Picture.kind = TRMPicture::Bitmap;
            picture->Picture.data = image.bytes().toStdString();
        }
    }
    view = place(report, page, std::move(picture));
}

// ---- TRMPrintRichEdit

void TRMPrintRichEdit::PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                                    QWidget& control) {
    auto rich = std::make_unique<TRMRichView>();
    rich->Left = placeX(report, control);
    rich->Top = placeY(report, control);
    rich->Width = control.width() + 2;
    rich->Height = control.height() + 2;
    setAllFrames(*rich, report.ReportOptions.has(rmgoDrawBorder));
    const std::string reference = fieldReference(report, control);
    if (!reference.empty()) {
        bindField(*rich, reference);
    } else if (auto* edit = qobject_cast<QTextEdit*>(&control)) {
        rich->RichText = rtf::writeRtf(*edit->document());
        rich->setFlag(flag::TextOnly, true);
    }
    view = place(report, page, std::move(rich));
}

// ---- TRMPrintShape

void TRMPrintShape::PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                                 QWidget& control) {
    auto* shape = qobject_cast<TShape*>(&control);
    const TShapeType kind = shape ? shape->Shape() : TShapeType::stRectangle;
    const platform::TPen pen = shape ? shape->Pen() : platform::TPen{};
    const platform::TBrush brush = shape ? shape->Brush() : platform::TBrush{};
    const int w = control.width(), h = control.height();
    const bool rectangular = kind == TShapeType::stRectangle || kind == TShapeType::stRoundRect;
    std::unique_ptr<TRMView> v;
    float frameWidth = static_cast<float>(pen.Width);
    if ((rectangular && w <= 2) || h <= 2) {
        v = std::make_unique<TRMLineView>();
        frameWidth = static_cast<float>(w > 2 && h > 2 ? 1 : (w <= 2 ? w : h));
    } else {
        auto s = std::make_unique<TRMShapeView>();
        switch (kind) {
        case TShapeType::stRectangle:
            s->Shape = TRMShapeView::skRectangle;
            break;
        case TShapeType::stSquare:
            s->Shape = TRMShapeView::skSquare;
            break;
        case TShapeType::stRoundRect:
            s->Shape = TRMShapeView::skRoundRectangle;
            break;
        case TShapeType::stRoundSquare:
            s->Shape = TRMShapeView::skRoundSquare;
            break;
        case TShapeType::stEllipse:
            s->Shape = TRMShapeView::skEllipse;
            break;
        case TShapeType::stCircle:
            s->Shape = TRMShapeView::skCircle;
            break;
        }
        v = std::move(s);
    }
    v->Left = placeX(report, control);
    v->Top = placeY(report, control);
    v->Width = w;
    v->Height = h;
    v->setFrameWidth(frameWidth);
    v->setFrameColor(pen.Color);
    v->FillColor = brush.Style == platform::bsClear ? clNone : brush.Color;
    if (dynamic_cast<TRMLineView*>(v.get()) == nullptr)
        setAllFrames(*v, report.ReportOptions.has(rmgoDrawBorder));
    view = place(report, page, std::move(v));
}

// ---- TRMPrintCheckBox

void TRMPrintCheckBox::PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                                    QWidget& control) {
    auto* box = qobject_cast<QCheckBox*>(&control);
    const bool border = report.ReportOptions.has(rmgoDrawBorder);
    const int x = placeX(report, control), y = placeY(report, control);

    auto check = std::make_unique<TRMCheckBoxView>();
    check->Left = x;
    check->Top = y;
    check->Width = 18;
    check->Height = control.height() + 2;
    setAllFrames(*check, border);
    const std::string reference = fieldReference(report, control);
    check->Memo = {!reference.empty() ? reference : (box && box->isChecked() ? "1" : "0")};
    TRMCheckBoxView* checkView = place(report, page, std::move(check));

    std::unique_ptr<TRMMemoView> memo = controlMemo(report, control);
    memo->Left = x + 18;
    memo->Top = y;
    memo->Width = control.width() - 16;
    memo->Height = control.height() + 2;
    memo->setLayout(8);
    memo->Memo = {box ? withoutMnemonic(box->text()).toStdString() : std::string()};
    memo->setFlag(flag::TextOnly, false); // the caption is design, as a label's
    place(report, page, std::move(memo));
    view = checkView;
}

// ---- TRMPrintDateTimePicker

void TRMPrintDateTimePicker::PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                                          QWidget& control) {
    std::unique_ptr<TRMMemoView> memo = controlMemo(report, control);
    memo->Left = placeX(report, control);
    memo->Top = placeY(report, control);
    memo->Width = control.width() + 2;
    memo->Height = control.height() + 2;
    if (auto* picker = qobject_cast<QDateTimeEdit*>(&control)) {
        const QDateTime value = picker->dateTime();
        const bool timeMode = (picker->displayedSections() & QDateTimeEdit::DateSections_Mask) == 0;
        const QDate d = value.date();
        const QTime t = value.time();
        const double days = encodeDate(d.year(), d.month(), d.day()) +
                            encodeTime(t.hour(), t.minute(), t.second(), t.msec());
        const TRMFormatSettings& settings = defaultFormatSettings();
        memo->Memo = {
            formatDateTime(timeMode ? settings.ShortTimeFormat : settings.ShortDateFormat, days)};
    }
    view = place(report, page, std::move(memo));
}

} // namespace report
