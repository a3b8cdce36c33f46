#pragma once

#include "core/localization/AppLanguage.h"

#include <QString>
#include <QUrl>

class EditorViewModel;

// Small commands of the window that several of its parts share (toolbar, menus).
namespace workspace {

// The maker's web site; the feedback page lives under it.
QUrl makerSiteURL();
// The label of the maker's item in the Help menu: name and domain.
QString makerMenuLabel();

// The feedback page for the interface language: /tr/geri-bildirim in Turkish, /<code>/feedback
// otherwise, with app, version, os and source as query items in that order. `osName` is the
// running system's name and version ("Debian GNU/Linux 12 (bookworm)").
QUrl feedbackURL(AppLanguage language, const QString& appVersion, const QString& osName);
// The same for this process: its version ("1.0.0" when it has none) and this system.
QUrl feedbackURL(AppLanguage language);
// The running system's name and version, as the feedback page is told.
QString runningSystemName();

// The before/after comparison on or off; turning it on leaves crop mode and the eyedropper.
void toggleCompareMode(EditorViewModel& editor);

} // namespace workspace
