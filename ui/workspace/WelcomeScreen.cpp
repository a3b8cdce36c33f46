#include "ui/workspace/WelcomeScreen.h"

#include "core/localization/KeyNames.h"
#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

WelcomeScreen::WelcomeScreen(EditorViewModel& editor, QWidget* parent) : QWidget(parent), editor_(editor) {
    setObjectName(QStringLiteral("welcomeEmptyState"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral(
        "#welcomeEmptyState { background: #1c1d21; }"
        "#welcomeEmptyState QPushButton { background: #2e3036; color: #e8e8ea; border: 1px solid #3a3c42;"
        "  border-radius: 6px; padding: 7px 14px; }"
        "#welcomeEmptyState QPushButton:hover { background: #373a41; }"
        "#welcomeEmptyState QPushButton:pressed { background: #3a3c42; }"
        "#welcomeEmptyState QPushButton:focus { border: 1px solid #3d8bfd; }"
        "#welcomeEmptyState QPushButton#prominent { background: #3d8bfd; color: white; border: none;"
        "  font-weight: 600; }"
        "#welcomeEmptyState QPushButton#prominent:hover { background: #5a9dfd; }"
        "#welcomeEmptyState QPushButton#prominent:pressed { background: #2f74d8; }"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(40, 40, 40, 40);
    column->setSpacing(0);
    column->addStretch(1);

    // No emblem image ships with the application; its symbol stands in.
    auto* emblem = new QLabel(this);
    emblem->setAlignment(Qt::AlignCenter);
    emblem->setPixmap(symbols::icon(QStringLiteral("photo.stack.fill"), theme::accent)
                          .pixmap(QSize(82, 82), devicePixelRatioF()));
    column->addWidget(emblem);
    column->addSpacing(14);

    auto* title = new QLabel(QStringLiteral("TaviView"), this);
    title->setAlignment(Qt::AlignCenter);
    QFont titleFont = font();
    titleFont.setPixelSize(30);
    titleFont.setWeight(QFont::Bold);
    title->setFont(titleFont);
    column->addWidget(title);
    column->addSpacing(6);

    auto label = [this](int pixelSize, const QColor& colour) {
        auto* l = new QLabel(this);
        l->setAlignment(Qt::AlignCenter);
        l->setWordWrap(true);
        QFont f = font();
        f.setPixelSize(pixelSize);
        l->setFont(f);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, colour);
        l->setPalette(p);
        return l;
    };
    subtitle_ = label(15, theme::secondaryText);
    column->addWidget(subtitle_);
    column->addSpacing(28);
    hint_ = label(14, theme::text);
    column->addWidget(hint_);
    column->addSpacing(6);
    formats_ = label(theme::captionPixelSize, theme::secondaryText);
    column->addWidget(formats_);
    column->addSpacing(24);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(theme::spacing + 2);
    buttons->addStretch(1);
    auto button = [this, buttons](const QString& symbol, const QColor& colour) {
        auto* b = new QPushButton(this);
        b->setIcon(symbols::icon(symbol, colour));
        b->setIconSize(QSize(17, 17));
        b->setCursor(Qt::PointingHandCursor);
        buttons->addWidget(b);
        return b;
    };
    open_ = button(QStringLiteral("folder"), Qt::white);
    open_->setObjectName(QStringLiteral("prominent"));
    paste_ = button(QStringLiteral("doc.on.clipboard"), theme::text);
    capture_ = button(QStringLiteral("camera.viewfinder"), theme::text);
    buttons->addStretch(1);
    column->addLayout(buttons);
    column->addStretch(1);

    connect(open_, &QPushButton::clicked, &editor_, &EditorViewModel::promptOpenFileOrFolder);
    connect(paste_, &QPushButton::clicked, &editor_, &EditorViewModel::pasteImageFromClipboard);
    connect(capture_, &QPushButton::clicked, &editor_, &EditorViewModel::captureInteractiveScreenshot);
    connect(&editor_, &EditorViewModel::languageChanged, this, &WelcomeScreen::retranslate);
    retranslate();
}

void WelcomeScreen::retranslate() {
    subtitle_->setText(S::appSubtitle());
    hint_->setText(S::dropHint());
    formats_->setText(S::dropFormatsHint());
    open_->setText(S::openPhotoOrFolder());
    paste_->setText(withPlatformKeyNames(S::pasteFromClipboard()));
    capture_->setText(S::captureScreen());
}
