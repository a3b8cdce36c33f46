#include "ui/workspace/WorkspaceToolbar.h"

#include "core/localization/KeyNames.h"
#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"
#include "ui/workspace/LanguageMenu.h"
#include "ui/workspace/WorkspaceCommands.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace {

constexpr int kBarHeight = 44;
constexpr int kButtonSize = 30;
constexpr int kIconSize = 19;

QFrame* groupGap(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFixedSize(1, 20);
    line->setStyleSheet(QStringLiteral("background: #3a3c42;"));
    return line;
}

} // namespace

WorkspaceToolbar::WorkspaceToolbar(EditorViewModel& editor, QWidget* parent)
    : QWidget(parent), editor_(editor) {
    setObjectName(QStringLiteral("topStudioToolbar"));
    setAttribute(Qt::WA_StyledBackground, true);
    setFixedHeight(kBarHeight);
    setStyleSheet(QStringLiteral(
        "#topStudioToolbar { background: #24262b; }"
        "#topStudioToolbar QToolButton { border: none; border-radius: 6px; background: transparent;"
        "  color: #e8e8ea; padding: 0px; }"
        "#topStudioToolbar QToolButton:hover { background: #2e3036; }"
        "#topStudioToolbar QToolButton:pressed { background: #3a3c42; }"
        "#topStudioToolbar QToolButton:checked { background: rgba(61, 139, 253, 0.22); }"
        "#topStudioToolbar QToolButton:focus { outline: none; border: 1px solid #3d8bfd; }"
        "#topStudioToolbar QToolButton::menu-indicator { image: none; width: 0px; }"
        "#topStudioToolbar QToolButton#makerLine { padding: 2px 6px; color: #9b9ca3; font-size: 11px; }"
        "#topStudioToolbar QToolButton#languageMenuButton { padding: 0px 6px; font-size: 11px;"
        "  font-weight: 600; color: #9b9ca3; }"
        "#topStudioToolbar QPushButton#openButton { background: #3d8bfd; color: white; border: none;"
        "  border-radius: 6px; padding: 4px 12px 4px 8px; font-weight: 600; }"
        "#topStudioToolbar QPushButton#openButton:hover { background: #5a9dfd; }"
        "#topStudioToolbar QPushButton#openButton:pressed { background: #2f74d8; }"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 10, 0);
    row->setSpacing(4);

    // The emblem and the maker line: one link to the maker's site.
    auto* maker = new QToolButton(this);
    maker->setObjectName(QStringLiteral("makerLine"));
    maker->setIcon(symbols::icon(QStringLiteral("photo.stack.fill"), theme::accent));
    maker->setIconSize(QSize(20, 20));
    maker->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    maker->setText(QStringLiteral("by Quellora"));
    maker->setCursor(Qt::PointingHandCursor);
    maker->setFixedHeight(kButtonSize);
    maker->setFocusPolicy(Qt::NoFocus);
    connect(maker, &QToolButton::clicked, this, &WorkspaceToolbar::makerSiteRequested);
    buttons_.insert(Item::emblem, maker);
    row->addWidget(maker);
    row->addSpacing(6);

    auto* open = new QPushButton(this);
    open->setObjectName(QStringLiteral("openButton"));
    open->setIcon(symbols::icon(QStringLiteral("folder.badge.plus"), Qt::white));
    open->setIconSize(QSize(17, 17));
    open->setFixedHeight(28);
    open->setCursor(Qt::PointingHandCursor);
    // Toolbar items take clicks, not the keyboard: the keys belong to the photo.
    open->setFocusPolicy(Qt::NoFocus);
    connect(open, &QPushButton::clicked, &editor_, &EditorViewModel::promptOpenFileOrFolder);
    buttons_.insert(Item::open, open);
    row->addWidget(open);

    row->addWidget(addIconButton(Item::capture, QStringLiteral("camera.viewfinder")));
    connect(buttons_[Item::capture], &QAbstractButton::clicked, &editor_,
            &EditorViewModel::captureInteractiveScreenshot);

    // The document's items, in groups.
    auto addDocumentItem = [&](QWidget* w) {
        row->addWidget(w);
        documentItems_ << w;
    };
    auto addCommand = [&](Item item, const QString& symbol, auto&& action) {
        QToolButton* b = addIconButton(item, symbol);
        connect(b, &QToolButton::clicked, this, action);
        addDocumentItem(b);
    };
    addDocumentItem(groupGap(this));
    addCommand(Item::previous, QStringLiteral("chevron.left"), [this] { editor_.navigatePrevious(); });
    addCommand(Item::next, QStringLiteral("chevron.right"), [this] { editor_.navigateNext(); });
    addDocumentItem(groupGap(this));
    addCommand(Item::grid, QStringLiteral("square.grid.2x2"), [this] { editor_.toggleGridView(); });
    addCommand(Item::sideBySide, QStringLiteral("rectangle.split.2x1"),
               [this] { editor_.toggleSideBySideCompare(); });
    addCommand(Item::slideshow, QStringLiteral("play.fill"), [this] { editor_.toggleSlideshow(); });
    addDocumentItem(groupGap(this));
    addCommand(Item::rotate, QStringLiteral("rotate.right"), [this] { editor_.rotateRight(); });
    addCommand(Item::crop, QStringLiteral("crop"), [this] { editor_.toggleCropMode(); });
    addCommand(Item::compare, QStringLiteral("square.lefthalf.filled"),
               [this] { workspace::toggleCompareMode(editor_); });
    addCommand(Item::undo, QStringLiteral("arrow.uturn.backward"), [this] { editor_.undo(); });
    addCommand(Item::redo, QStringLiteral("arrow.uturn.forward"), [this] { editor_.redo(); });
    addCommand(Item::favorite, QStringLiteral("heart"), [this] { editor_.toggleCurrentFavorite(); });
    addDocumentItem(groupGap(this));
    addCommand(Item::batch, QStringLiteral("square.stack.3d.up"),
               [this] { editor_.setShowBatchSheet(true); });
    documentItems_.removeLast(); // Batch has its own rule (two or more photos)
    addCommand(Item::copy, QStringLiteral("doc.on.doc"), [this] { editor_.copyCurrentImageToClipboard(); });
    addCommand(Item::save, QStringLiteral("square.and.arrow.down"), [this] { editor_.saveInPlace(); });
    addCommand(Item::exportImage, QStringLiteral("square.and.arrow.up"),
               [this] { editor_.presentExportSheet(); });

    row->addStretch(1);

    QToolButton* filmstrip =
        addIconButton(Item::filmstrip, QStringLiteral("rectangle.bottomthird.inset.filled"));
    connect(filmstrip, &QToolButton::clicked, this,
            [this] { editor_.setShowFilmstrip(!editor_.showFilmstrip()); });
    row->addWidget(filmstrip);
    QToolButton* inspector = addIconButton(Item::inspector, QStringLiteral("sidebar.right"));
    connect(inspector, &QToolButton::clicked, this,
            [this] { editor_.setShowInspector(!editor_.showInspector()); });
    row->addWidget(inspector);
    QToolButton* feedback =
        addIconButton(Item::feedback, QStringLiteral("bubble.left.and.exclamationmark.bubble.right"));
    connect(feedback, &QToolButton::clicked, this, &WorkspaceToolbar::feedbackRequested);
    row->addWidget(feedback);

    auto* language = new QToolButton(this);
    language->setObjectName(QStringLiteral("languageMenuButton"));
    language->setIcon(symbols::icon(QStringLiteral("globe"), theme::secondaryText));
    language->setIconSize(QSize(17, 17));
    language->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    language->setPopupMode(QToolButton::InstantPopup);
    language->setFixedHeight(kButtonSize);
    language->setFocusPolicy(Qt::NoFocus);
    languageMenu_ = new LanguageMenu(editor_, language);
    language->setMenu(languageMenu_);
    buttons_.insert(Item::language, language);
    row->addWidget(language);

    auto refreshNow = [this] { refresh(); };
    for (auto signal : {&EditorViewModel::viewModeChanged, &EditorViewModel::folderImagesChanged,
                        &EditorViewModel::currentIndexChanged, &EditorViewModel::renderedDisplayImageChanged,
                        &EditorViewModel::isSlideshowRunningChanged, &EditorViewModel::isCropModeChanged,
                        &EditorViewModel::isCompareModeChanged, &EditorViewModel::adjustmentsChanged,
                        &EditorViewModel::annotationsChanged, &EditorViewModel::bgSettingsChanged,
                        &EditorViewModel::canUndoChanged, &EditorViewModel::canRedoChanged,
                        &EditorViewModel::favoritePathsChanged, &EditorViewModel::showFilmstripChanged,
                        &EditorViewModel::showInspectorChanged})
        connect(&editor_, signal, this, refreshNow);
    connect(&editor_, &EditorViewModel::languageChanged, this, [this] {
        retranslate();
        refresh();
    });
    connect(&editor_, &EditorViewModel::isFollowingSystemLanguageChanged, this, [this] { retranslate(); });
    // A click flips a checkable button by itself; the editor's state decides what it shows.
    for (QAbstractButton* b : std::as_const(buttons_))
        connect(b, &QAbstractButton::clicked, this, refreshNow);
    retranslate();
    refresh();
}

QToolButton* WorkspaceToolbar::addIconButton(Item item, const QString& symbol) {
    auto* b = new QToolButton(this);
    b->setFixedSize(kButtonSize, kButtonSize);
    b->setIconSize(QSize(kIconSize, kIconSize));
    b->setIcon(symbols::icon(symbol, theme::text));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    buttons_.insert(item, b);
    symbols_.insert(item, symbol);
    return b;
}

bool WorkspaceToolbar::isActive(Item item) const {
    QAbstractButton* b = button(item);
    return b && b->isCheckable() && b->isChecked();
}

void WorkspaceToolbar::setActive(Item item, bool active, const QString& symbol) {
    QAbstractButton* b = buttons_.value(item);
    b->setCheckable(true);
    b->setChecked(active);
    if (symbols_.value(item) != symbol || b->property("taviActive").toBool() != active ||
        b->icon().isNull()) {
        b->setIcon(symbols::icon(symbol, active ? theme::accent : theme::text));
        b->setProperty("taviActive", active);
        symbols_.insert(item, symbol);
    }
}

void WorkspaceToolbar::retranslate() {
    auto tip = [this](Item item, const QString& text) {
        buttons_[item]->setToolTip(withPlatformKeyNames(text));
    };
    buttons_[Item::emblem]->setToolTip(QStringLiteral("quellora.com"));
    buttons_[Item::open]->setText(S::openPhotoOrFolder());
    tip(Item::capture, S::captureScreen() + QStringLiteral(" (⇧⌘A)"));
    tip(Item::previous, S::previousPhoto());
    tip(Item::next, S::nextPhoto());
    tip(Item::grid, S::gridView());
    tip(Item::sideBySide, S::sideBySide());
    tip(Item::slideshow, S::slideshow());
    tip(Item::rotate, S::rotateRight());
    tip(Item::crop, S::cropMode());
    tip(Item::compare, S::compareSplit());
    tip(Item::undo, S::undo());
    tip(Item::redo, S::redo());
    tip(Item::favorite, S::favoriteToggle());
    tip(Item::batch, S::batchProcess());
    tip(Item::copy, S::copyImage());
    tip(Item::save, S::saveOverwrite());
    tip(Item::exportImage, S::exportAs());
    tip(Item::filmstrip, S::t(QStringLiteral("Filmstrip"), QStringLiteral("Film Şeridi")));
    tip(Item::inspector, S::t(QStringLiteral("Inspector"), QStringLiteral("Denetleyici")));
    tip(Item::feedback, S::t(QStringLiteral("Listening to you — Report a bug or share an idea"),
                             QStringLiteral("Sizi dinliyoruz — Hata bildir veya fikir paylaş")));
    const QString languageTitle = S::t(QStringLiteral("Language"), QStringLiteral("Dil"));
    buttons_[Item::language]->setToolTip(languageTitle);
    buttons_[Item::language]->setText(editor_.language().shortCode());
    languageMenu_->rebuild();
}

void WorkspaceToolbar::refresh() {
    const int count = int(editor_.folderImages().size());
    const bool hasImage = editor_.hasImage();
    const bool documentShown = hasImage || count > 0;
    const bool several = count >= 2;
    const WorkspaceViewMode mode = editor_.viewMode();

    for (QWidget* w : std::as_const(documentItems_))
        w->setVisible(documentShown);
    buttons_[Item::batch]->setVisible(several);

    buttons_[Item::previous]->setEnabled(several);
    buttons_[Item::next]->setEnabled(several);
    buttons_[Item::sideBySide]->setEnabled(several);
    buttons_[Item::slideshow]->setEnabled(several);
    buttons_[Item::compare]->setEnabled(editor_.hasUnsavedEdits());
    buttons_[Item::undo]->setEnabled(editor_.canUndo());
    buttons_[Item::redo]->setEnabled(editor_.canRedo());
    buttons_[Item::favorite]->setEnabled(hasImage);
    buttons_[Item::save]->setEnabled(editor_.hasUnsavedEdits());

    setActive(Item::grid, mode == WorkspaceViewMode::grid, QStringLiteral("square.grid.2x2"));
    setActive(Item::sideBySide, mode == WorkspaceViewMode::sideBySide, QStringLiteral("rectangle.split.2x1"));
    const bool playing = editor_.isSlideshowRunning();
    setActive(Item::slideshow, playing, playing ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"));
    setActive(Item::crop, editor_.isCropMode(), QStringLiteral("crop"));
    setActive(Item::compare, editor_.isCompareMode(), QStringLiteral("square.lefthalf.filled"));
    const bool favourite = hasImage && editor_.isCurrentFavorite();
    setActive(Item::favorite, favourite, favourite ? QStringLiteral("heart.fill") : QStringLiteral("heart"));
    setActive(Item::filmstrip, editor_.showFilmstrip(), QStringLiteral("rectangle.bottomthird.inset.filled"));
    setActive(Item::inspector, editor_.showInspector(), QStringLiteral("sidebar.right"));
}
