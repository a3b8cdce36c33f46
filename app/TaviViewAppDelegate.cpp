#include "app/TaviViewAppDelegate.h"

#include "app/CommandLinePaths.h"
#include "editor/EditorViewModel.h"
#include "ui/platform/QtPlatformServices.h"
#include "ui/shell/KeyMonitor.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ScrollZoomMonitor.h"

#include <QApplication>
#include <QGuiApplication>

TaviViewAppDelegate::TaviViewAppDelegate(QObject* parent)
    : QObject(parent), platform_(std::make_unique<QtPlatformServices>()),
      viewModel_(std::make_unique<EditorViewModel>(*platform_)) {}

TaviViewAppDelegate::~TaviViewAppDelegate() {
    if (keyMonitor_) qApp->removeEventFilter(keyMonitor_);
    if (scrollMonitor_) qApp->removeEventFilter(scrollMonitor_);
    // The window's views observe the editor: they go first.
    window_.reset();
}

void TaviViewAppDelegate::launch(const QStringList& arguments, const QString& workingDirectory) {
    if (!window_) {
        window_ = std::make_unique<MainWindow>(*viewModel_, *platform_);
        platform_->setMainWindow(window_.get());
    }
    window_->show();
    platform_->activateApplication();
    if (!keyMonitor_) {
        keyMonitor_ = new KeyMonitor(*viewModel_, this);
        qApp->installEventFilter(keyMonitor_);
        scrollMonitor_ = new ScrollZoomMonitor(*viewModel_, this);
        qApp->installEventFilter(scrollMonitor_);
    }
    const QStringList paths = commandLinePaths(arguments, workingDirectory);
    if (!paths.isEmpty()) viewModel_->openURLs(paths);
}

void TaviViewAppDelegate::openFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    viewModel_->openURLs(paths);
    platform_->activateApplication();
}

void TaviViewAppDelegate::openFromLaterLaunch(const QStringList& paths, const QString& activationToken) {
    // A Wayland compositor lets a window take the focus only with the token of the launch that
    // asked for it; Qt hands the variable's token over at the next activation and clears it.
    if (!activationToken.isEmpty() && QGuiApplication::platformName() == QLatin1String("wayland"))
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    if (paths.isEmpty()) {
        platform_->activateApplication();
        return;
    }
    openFiles(paths);
}
