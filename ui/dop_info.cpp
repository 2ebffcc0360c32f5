#include "ui/dop_info.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/classic.h"
#include "game/language_file.h"
#include "ui/screens.h"
#include "ui/ui_support.h"

namespace kordalt {
namespace {

constexpr int kWidth = 249, kHeight = 83;

}  // namespace

TDopInfo::TDopInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DopInfo"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(kWidth, kHeight);
    auto* frame = new QFrame(this);
    frame->setGeometry(0, 0, kWidth, kHeight);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);
    SendingLabel = new QLabel(frame);
    SendingLabel->setObjectName(QStringLiteral("Label1"));
    SendingLabel->setAlignment(Qt::AlignCenter);
    SendingLabel->setWordWrap(true);
    (new QVBoxLayout(frame))->addWidget(SendingLabel);
    Localize();
}

void TDopInfo::Localize() {
    SendingLabel->setText(NormalizeLineBreaks(Qs(LangText(kServerSending))));
    ApplyLanguageFont(this);
}

void TDopInfo::ShowNotice() {
    PlaceOver(*this, MainWindow());
    show();
    raise();
    repaint();
}

}  // namespace kordalt
