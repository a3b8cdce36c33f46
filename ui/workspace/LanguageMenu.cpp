#include "ui/workspace/LanguageMenu.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"

#include <QActionGroup>

LanguageMenu::LanguageMenu(EditorViewModel& editor, QWidget* parent) : QMenu(parent), editor_(editor) {
    connect(this, &QMenu::aboutToShow, this, &LanguageMenu::rebuild);
    rebuild();
}

void LanguageMenu::rebuild() {
    clear();
    setTitle(S::t(QStringLiteral("Language"), QStringLiteral("Dil")));
    auto* group = new QActionGroup(this);
    const bool following = editor_.isFollowingSystemLanguage();
    QAction* system =
        addAction(S::t(QStringLiteral("System Language"), QStringLiteral("Sistem Dili")) +
                  QStringLiteral(" (") + AppLanguage::systemResolved().nativeName() + QStringLiteral(")"));
    system->setCheckable(true);
    system->setChecked(following);
    group->addAction(system);
    connect(system, &QAction::triggered, this, [this] { editor_.setFollowSystemLanguage(); });
    addSeparator();
    for (const AppLanguage language : AppLanguage::sortedCases()) {
        QAction* action = addAction(language.displayName());
        action->setCheckable(true);
        action->setChecked(!following && editor_.language() == language);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, language] { editor_.setLanguage(language); });
    }
}
