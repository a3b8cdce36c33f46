#include "ui/workspace/ToastBanner.h"

#include "core/localization/KeyNames.h"
#include "editor/EditorViewModel.h"
#include "ui/theme/SymbolIcons.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {
const QColor kErrorOrange(0xff, 0x9f, 0x0a);
const QColor kSuccessGreen(0x34, 0xc7, 0x59);
constexpr int kShadowRoom = 14; // the shadow's blur and offset are drawn inside the widget
} // namespace

ToastBanner::ToastBanner(EditorViewModel& editor, QWidget* parent) : QWidget(parent), editor_(editor) {
    setObjectName(QStringLiteral("toastBanner"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kShadowRoom + 16, kShadowRoom / 2 + 9, kShadowRoom + 18, kShadowRoom * 3 / 2 + 9);
    row->setSpacing(8);
    icon_ = new QLabel(this);
    icon_->setFixedSize(18, 18);
    text_ = new QLabel(this);
    QFont f = font();
    f.setPixelSize(14);
    f.setWeight(QFont::Medium);
    text_->setFont(f);
    text_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    text_->setTextFormat(Qt::PlainText);
    row->addWidget(icon_);
    row->addWidget(text_, 1);

    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor(0, 0, 0, int(0.35 * 255)));
    shadow->setBlurRadius(10);
    shadow->setOffset(0, 4);
    setGraphicsEffect(shadow);

    connect(&editor_, &EditorViewModel::toastMessageChanged, this, &ToastBanner::refresh);
    connect(&editor_, &EditorViewModel::toastIsErrorChanged, this, &ToastBanner::refresh);
    refresh();
}

void ToastBanner::refresh() {
    const std::optional<QString>& message = editor_.toastMessage();
    if (!message) {
        hide();
        return;
    }
    const bool error = editor_.toastIsError();
    icon_->setPixmap(symbols::icon(error ? QStringLiteral("exclamationmark.triangle.fill")
                                         : QStringLiteral("checkmark.circle.fill"),
                                   error ? kErrorOrange : kSuccessGreen)
                         .pixmap(QSize(18, 18), devicePixelRatioF()));
    // Toasts name shortcuts in Mac glyphs ("paste with ⌥⌘V"); the keyboard here says Ctrl and Alt.
    text_->setText(withPlatformKeyNames(*message));
    reposition(top_);
    show();
    raise();
}

void ToastBanner::reposition(int top) {
    top_ = top;
    if (!parentWidget()) return;
    const int maxWidth = qMax(200, parentWidget()->width() - 80);
    text_->setWordWrap(false);
    QSize hint = sizeHint();
    if (hint.width() > maxWidth) {
        text_->setWordWrap(true);
        hint = QSize(maxWidth, heightForWidth(maxWidth) > 0 ? heightForWidth(maxWidth) : sizeHint().height());
    }
    setGeometry((parentWidget()->width() - hint.width()) / 2, top - kShadowRoom / 2, hint.width(),
                hint.height());
}

void ToastBanner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule =
        QRectF(rect()).adjusted(kShadowRoom, kShadowRoom / 2.0, -kShadowRoom, -kShadowRoom * 1.5);
    const qreal radius = qMin(capsule.height() / 2.0, 22.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, int(0.84 * 255)));
    p.drawRoundedRect(capsule, radius, radius);
}
