#include "report/preview/RMProgressForm.h"

#include "platform/Guard.h"
#include "report/preview/RMEngineFont.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace report {

TRMProgressForm::TRMProgressForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint)
    , Label1(new QLabel(this))
    , Label2(new QLabel(this))
    , btnCancel(new QPushButton(engineQText(47001), this)) {
    setObjectName("RMProgressForm");
    applyEngineFont(*this);
    setWindowModality(Qt::ApplicationModal);
    Label1->setObjectName("Label1");
    Label2->setObjectName("Label2");
    btnCancel->setObjectName("btnCancel");
    Label1->setMinimumWidth(260);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(btnCancel, &QPushButton::clicked, this,
            [this] { platform::guarded(this, [this] { btnCancelClick(); }); });
}

void TRMProgressForm::Start() {
    Label2->clear();
    show();
    raise();
    QCoreApplication::processEvents();
}

void TRMProgressForm::setCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

namespace {
// Work tells its line for every page; events (and with them the window's layout and
// painting) run at most this often, which keeps the window answering.
constexpr qint64 kEventsInterval = 10; // ms
} // namespace

void TRMProgressForm::setLine(const std::string& line) {
    Label1->setText(QString::fromStdString(line));
}

void TRMProgressForm::processEvents() {
    if (eventsRun_.isValid() && eventsRun_.elapsed() < kEventsInterval)
        return;
    QCoreApplication::processEvents();
    eventsRun_.start();
}

void TRMProgressForm::cancel() {
    cancelled_ = true;
    if (OnCancel)
        OnCancel();
}

void TRMProgressForm::btnCancelClick() {
    cancel();
    hide();
}

void TRMProgressForm::reject() {
    // Esc and the close box cancel like the button does.
    platform::guarded(this, [this] { btnCancelClick(); });
}

} // namespace report
