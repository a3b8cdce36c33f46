#include "ui/workspace/WorkspaceCommands.h"

#include "editor/EditorViewModel.h"

#include <QCoreApplication>
#include <QSysInfo>
#include <QUrlQuery>

namespace workspace {

QUrl makerSiteURL() {
    return QUrl(QStringLiteral("https://quellora.com"));
}

QString makerMenuLabel() {
    return QStringLiteral("Quellora (quellora.com)");
}

QString runningSystemName() {
    QString name = QSysInfo::prettyProductName();
    // Without an os-release file Qt answers with the kernel; say which one.
    if (name.isEmpty() || name == QSysInfo::kernelType())
        name = QSysInfo::kernelType() + u' ' + QSysInfo::kernelVersion();
    return name;
}

QUrl feedbackURL(AppLanguage language, const QString& appVersion, const QString& osName) {
    QUrl url = makerSiteURL();
    if (!url.isValid()) return {};
    url.setPath(language == AppLanguage::tr ? QStringLiteral("/tr/geri-bildirim")
                                            : u'/' + language.rawValue() + QStringLiteral("/feedback"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("app"), QStringLiteral("taviview"));
    query.addQueryItem(QStringLiteral("version"),
                       appVersion.isEmpty() ? QStringLiteral("1.0.0") : appVersion);
    query.addQueryItem(QStringLiteral("os"), osName);
    query.addQueryItem(QStringLiteral("source"), QStringLiteral("desktop_app"));
    url.setQuery(query);
    return url.isValid() ? url : QUrl();
}

QUrl feedbackURL(AppLanguage language) {
    return feedbackURL(language, QCoreApplication::applicationVersion(), runningSystemName());
}

void toggleCompareMode(EditorViewModel& editor) {
    const bool on = !editor.isCompareMode();
    editor.setIsCompareMode(on);
    if (!on) return;
    if (editor.isCropMode()) editor.toggleCropMode();
    // Asking for the eyedropper it already has turns it off.
    if (editor.isEyedropperActive()) editor.startEyedropper(editor.eyedropperPurpose());
}

} // namespace workspace
