#include "ui/shell/AppMenus.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/shell/TextFieldFocus.h"
#include "ui/workspace/MainWorkspaceView.h"
#include "ui/workspace/WorkspaceCommands.h"

#include "core/localization/KeyNames.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace {

// A menu shows "&" as the mark of a mnemonic, and the desktop's key names rather than the Mac's.
QString menuText(const QString& label) {
    QString text = withPlatformKeyNames(label);
    return text.replace(u'&', QStringLiteral("&&"));
}

} // namespace

AppMenus::AppMenus(EditorViewModel& editor, MainWorkspaceView& workspace, QMenuBar& bar, QObject* parent)
    : QObject(parent), editor_(editor), workspace_(workspace) {
    EditorViewModel* e = &editor_;
    auto menu = [&](std::function<QString()> title) {
        QMenu* m = bar.addMenu(menuText(title()));
        menus_ << m;
        menuTitles_ << std::move(title);
        connect(m, &QMenu::aboutToShow, this, &AppMenus::refresh);
        return m;
    };
    auto text = [](QString (*f)()) { return std::function<QString()>(f); };
    auto pair = [](const char* en, const char* tr) {
        return std::function<QString()>(
            [en, tr] { return S::t(QString::fromUtf8(en), QString::fromUtf8(tr)); });
    };
    auto fixed = [](const QString& label) { return std::function<QString()>([label] { return label; }); };
    const auto never = std::function<bool()>();
    auto hasImage = [e] { return e->hasImage(); };
    auto several = [e] { return e->folderImages().size() >= 2; };
    auto key = [](const QString& k) { return QKeySequence(k); };

    QMenu* file = menu(pair("File", "Dosya"));
    add(file, QStringLiteral("open"), text(&S::openPhotoOrFolder), {key("Ctrl+O")}, never,
        [e] { e->promptOpenFileOrFolder(); });
    add(file, QStringLiteral("capture"), text(&S::captureScreen), {key("Ctrl+Shift+A")}, never,
        [e] { e->captureInteractiveScreenshot(); });
    file->addSeparator();
    add(
        file, QStringLiteral("save"), text(&S::saveOverwrite), {key("Ctrl+S")},
        [e] { return e->hasUnsavedEdits(); }, [e] { e->saveInPlace(); });
    add(file, QStringLiteral("export"), text(&S::exportAs), {key("Ctrl+Shift+E")}, hasImage,
        [e] { e->presentExportSheet(); });
    add(file, QStringLiteral("batch"), text(&S::batchProcess), {key("Ctrl+Shift+B")}, several,
        [e] { e->setShowBatchSheet(true); });
    file->addSeparator();
    // Plain Delete and Backspace remove the selected markup; with Ctrl the photo goes.
    add(file, QStringLiteral("moveToTrash"), text(&S::moveToTrash),
        {key("Ctrl+Delete"), key("Ctrl+Backspace")}, hasImage, [e] { e->moveCurrentToTrash(); });
    file->addSeparator();
    QAction* quit = add(file, QStringLiteral("quit"), pair("Quit TaviView", "TaviView'dan Çık"),
                        {QKeySequence(QKeySequence::Quit)}, never, [] { QApplication::closeAllWindows(); });
    quit->setMenuRole(QAction::QuitRole);

    QMenu* edit = menu(pair("Edit", "Düzen"));
    add(
        edit, QStringLiteral("undo"), text(&S::undo), {key("Ctrl+Z")}, [e] { return e->canUndo(); },
        [e] { e->undo(); });
    add(
        edit, QStringLiteral("redo"), text(&S::redo), {key("Ctrl+Shift+Z")}, [e] { return e->canRedo(); },
        [e] { e->redo(); });
    edit->addSeparator();
    add(edit, QStringLiteral("copy"), text(&S::copyImage), {key("Ctrl+C")}, never, [e] {
        if (!textfield::copy()) e->copyCurrentImageToClipboard();
    });
    // The label keeps its "(⌘V)": the menu shows the shortcut beside it in the desktop's words.
    add(edit, QStringLiteral("paste"), text(&S::pasteFromClipboard), {key("Ctrl+V")}, never, [e] {
        if (!textfield::paste()) e->pasteImageFromClipboard();
    });
    edit->addSeparator();
    add(edit, QStringLiteral("copyEdits"), text(&S::copyEdits), {key("Ctrl+Alt+C")}, hasImage,
        [e] { e->copyCurrentEdits(); });
    add(
        edit, QStringLiteral("pasteEdits"), text(&S::pasteEdits), {key("Ctrl+Alt+V")},
        [e] { return e->copiedAdjustments().has_value(); }, [e] { e->pasteCopiedEdits(); });

    QMenu* navigate = menu(pair("Navigate", "Görünüm"));
    // The plain arrows belong to the key monitor, which knows when they must pass (text fields,
    // the grid); the labels name them.
    add(navigate, QStringLiteral("previous"), text(&S::previousPhoto), {}, several,
        [e] { e->navigatePrevious(); });
    add(navigate, QStringLiteral("next"), text(&S::nextPhoto), {}, several, [e] { e->navigateNext(); });
    navigate->addSeparator();
    add(navigate, QStringLiteral("grid"), text(&S::gridView), {key("Ctrl+G")}, never,
        [e] { e->toggleGridView(); });
    add(navigate, QStringLiteral("sideBySide"), text(&S::sideBySide), {key("Ctrl+2")}, several,
        [e] { e->toggleSideBySideCompare(); });
    add(navigate, QStringLiteral("slideshow"), text(&S::slideshow), {}, several,
        [e] { e->toggleSlideshow(); });
    navigate->addSeparator();
    add(navigate, QStringLiteral("fit"), text(&S::fitWindow), {key("Ctrl+0")}, never, [e] { e->zoomFit(); });
    add(navigate, QStringLiteral("actualSize"), text(&S::actualSize), {key("Ctrl+1")}, never,
        [e] { e->toggleActualSize(); });
    add(navigate, QStringLiteral("zoomIn"), fixed(QStringLiteral("Zoom In")), {key("Ctrl++"), key("Ctrl+=")},
        never, [e] { e->zoomIn(1.25); });
    add(navigate, QStringLiteral("zoomOut"), fixed(QStringLiteral("Zoom Out")), {key("Ctrl+-")}, never,
        [e] { e->zoomOut(1.25); });
    navigate->addSeparator();
    add(navigate, QStringLiteral("rotateRight"), text(&S::rotateRight), {key("Ctrl+R")}, never,
        [e] { e->rotateRight(); });
    add(navigate, QStringLiteral("rotateLeft"), text(&S::rotateLeft), {key("Ctrl+L")}, never,
        [e] { e->rotateLeft(); });

    QMenu* help = menu(pair("Help", "Yardım"));
    MainWorkspaceView* w = &workspace_;
    add(help, QStringLiteral("feedback"), pair("Send Feedback & Ideas…", "Geri Bildirim & Fikir Gönder…"), {},
        never, [w] { w->openFeedbackPage(); });
    help->addSeparator();
    add(help, QStringLiteral("maker"), fixed(workspace::makerMenuLabel()), {}, never,
        [w] { w->openMakerSite(); });

    for (auto signal : {&EditorViewModel::folderImagesChanged, &EditorViewModel::currentIndexChanged,
                        &EditorViewModel::renderedDisplayImageChanged, &EditorViewModel::adjustmentsChanged,
                        &EditorViewModel::annotationsChanged, &EditorViewModel::bgSettingsChanged,
                        &EditorViewModel::canUndoChanged, &EditorViewModel::canRedoChanged,
                        &EditorViewModel::copiedAdjustmentsChanged})
        connect(&editor_, signal, this, &AppMenus::refresh);
    connect(&editor_, &EditorViewModel::languageChanged, this, &AppMenus::retranslate);
    refresh();
}

QAction* AppMenus::add(QMenu* menu, const QString& name, std::function<QString()> label,
                       const QList<QKeySequence>& shortcuts, std::function<bool()> enabled,
                       std::function<void()> run) {
    auto* action = new QAction(menuText(label()), menu);
    action->setObjectName(name);
    action->setShortcuts(shortcuts);
    action->setShortcutContext(Qt::WindowShortcut);
    menu->addAction(action);
    connect(action, &QAction::triggered, this, [enabled, run] {
        if (enabled && !enabled()) return;
        run();
    });
    commands_.append({action, std::move(enabled), std::move(label)});
    return action;
}

QAction* AppMenus::action(const QString& name) const {
    for (const Command& c : commands_)
        if (c.action->objectName() == name) return c.action;
    return nullptr;
}

void AppMenus::refresh() {
    for (const Command& c : std::as_const(commands_))
        c.action->setEnabled(!c.enabled || c.enabled());
}

void AppMenus::retranslate() {
    for (int i = 0; i < menus_.size(); ++i)
        menus_[i]->setTitle(menuText(menuTitles_[i]()));
    for (const Command& c : std::as_const(commands_))
        c.action->setText(menuText(c.label()));
}
