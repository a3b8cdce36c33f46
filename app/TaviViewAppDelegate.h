#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

class EditorViewModel;
class KeyMonitor;
class MainWindow;
class QtPlatformServices;
class ScrollZoomMonitor;

// Owns the one editor (made before any window, living as long as the process), the window and
// the application-wide key and scroll monitors; opens what the command line names.
class TaviViewAppDelegate : public QObject {
    Q_OBJECT
  public:
    explicit TaviViewAppDelegate(QObject* parent = nullptr);
    ~TaviViewAppDelegate() override;

    // Shows the window, installs the monitors (once) and opens the paths among `arguments`
    // (the program's arguments without the program) taken against `workingDirectory`.
    void launch(const QStringList& arguments, const QString& workingDirectory);
    // Files handed to the running application: opened, and the window brought to the front.
    void openFiles(const QStringList& paths);
    // A later launch of the program handed over its documents (see SingleInstance): they open as
    // files handed to the application do, and the window comes to the front even when the launch
    // named none. `activationToken` is that launch's desktop activation token, if any.
    void openFromLaterLaunch(const QStringList& paths, const QString& activationToken);

    EditorViewModel& viewModel() const { return *viewModel_; }
    MainWindow* window() const { return window_.get(); }
    bool monitorsInstalled() const { return keyMonitor_ != nullptr; }

  private:
    std::unique_ptr<QtPlatformServices> platform_;
    std::unique_ptr<EditorViewModel> viewModel_;
    std::unique_ptr<MainWindow> window_;
    KeyMonitor* keyMonitor_ = nullptr;
    ScrollZoomMonitor* scrollMonitor_ = nullptr;
};
