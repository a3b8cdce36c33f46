#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One running TaviView per user and display: a later launch hands its documents to the running one over a
// local socket and ends, as a second "open with" from the file manager or `taviview photo.jpg`
// from a terminal should.
//
// A local socket rather than D-Bus activation: it needs no session bus (a bare X or Wayland
// session, a terminal, the offscreen tests) and no service file, and it behaves the same however
// the program was started. It lives in the user's runtime folder, which only the user can enter,
// and is created for the user alone.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Role {
        primary,    // this process is the running instance and now takes later launches' documents
        handedOver, // the running instance took the documents: this process should end
        standalone, // no hand-over possible (no usable socket folder): run on its own
    };

    explicit SingleInstance(QString serverPath = defaultServerPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // serverFileName() in the user's runtime folder.
    static QString defaultServerPath();
    // "taviview-<platform>[-<display>]-<program>.socket", e.g. taviview-xcb-_0-1f3a9c2e.socket.
    // One instance per display, as a session bus would scope it: a launch on another display (a
    // second seat, a script's virtual X server) starts its own window rather than sending the photos
    // to a screen its user may not see. And one per program file (a hash of its canonical path): a
    // build being tried out starts on its own beside the installed TaviView instead of handing its
    // photos to it. Call it once the application object exists.
    static QString serverFileName(const QString& programPath = QCoreApplication::applicationFilePath());

    // Hands `paths` (absolute; none only brings the window forward) and this launch's activation
    // token to the running instance, or becomes it. A socket left behind by a crash is replaced;
    // launches racing each other are put in line by a lock file beside the socket, so exactly one
    // becomes the running instance and the others hand over to it.
    Role claim(const QStringList& paths);

    // Stops taking launches (the application is quitting): a launch from now on finds nobody
    // listening and starts its own window instead of handing its photos to one that is closing.
    void stopListening();

    // Messages larger than this are refused (a launch with tens of thousands of paths still fits).
    static constexpr qint64 maxMessageBytes = qint64{16} << 20;

  Q_SIGNALS:
    // A later launch asked for these paths (maybe none) to be opened and the window raised;
    // `activationToken` is that launch's XDG_ACTIVATION_TOKEN (empty when it had none).
    void openRequested(const QStringList& paths, const QString& activationToken);

  private:
    // Sends the request over the connected socket; false when the running instance went away
    // without taking it.
    bool handOver(QLocalSocket& socket, const QStringList& paths);
    bool listen();
    void acceptConnections();
    void readRequest(QLocalSocket* socket);

    QString serverPath_;
    QLocalServer* server_ = nullptr;
};
