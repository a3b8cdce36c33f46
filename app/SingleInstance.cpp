#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>
#include <optional>

namespace {

// A request is a 4-byte big-endian length and that many bytes of JSON:
// {"paths": [...], "activationToken": "..."}; the running instance answers one byte once it has
// taken the request.
constexpr char kAcknowledgement = 'k';
constexpr int kConnectMilliseconds = 2000;
// A running instance busy decoding a large photo reads its socket late; the request waits in the
// socket meanwhile, so a launch that sent it whole need not wait for the answer for long.
constexpr int kAcknowledgementMilliseconds = 5000;
// Launches queue behind the lock only while one of them connects or starts listening.
constexpr int kLockMilliseconds = 10000;
// A client that never finishes its request is dropped.
constexpr int kRequestMilliseconds = 10000;

QByteArray encodeRequest(const QStringList& paths, const QString& activationToken) {
    QJsonObject object;
    object[QStringLiteral("paths")] = QJsonArray::fromStringList(paths);
    object[QStringLiteral("activationToken")] = activationToken;
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    QByteArray message(4, '\0');
    qToBigEndian(static_cast<quint32>(json.size()), message.data());
    return message + json;
}

struct Request {
    QStringList paths;
    QString activationToken;
};

// Strict: an object whose "paths" is an array of strings; anything else is no request.
std::optional<Request> decodeRequest(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue paths = object.value(QStringLiteral("paths"));
    const QJsonValue token = object.value(QStringLiteral("activationToken"));
    if (!paths.isArray() || !(token.isString() || token.isUndefined())) return std::nullopt;
    Request request;
    for (const QJsonValue& path : paths.toArray()) {
        if (!path.isString()) return std::nullopt;
        request.paths << path.toString();
    }
    request.activationToken = token.toString();
    return request;
}

} // namespace

SingleInstance::SingleInstance(QString serverPath, QObject* parent)
    : QObject(parent), serverPath_(std::move(serverPath)) {}

SingleInstance::~SingleInstance() {
    // Closing removes the socket file, so the next launch starts at once instead of probing it.
    if (server_) server_->close();
}

QString SingleInstance::defaultServerPath() {
    // Qt falls back to a private folder of the user's in the temporary folder when the session
    // sets no runtime folder.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) return {};
    return QDir(runtime).filePath(serverFileName());
}

QString SingleInstance::serverFileName(const QString& programPath) {
    const QString platform = QGuiApplication::platformName();
    QString display;
    if (platform == QLatin1String("xcb")) {
        display = qEnvironmentVariable("DISPLAY");
    } else if (platform == QLatin1String("wayland")) {
        display = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    }
    QString name = QStringLiteral("taviview-") + platform;
    if (!display.isEmpty()) name += u'-' + display;
    const QString program = QFileInfo(programPath).canonicalFilePath();
    name += u'-' + QString::fromLatin1(
                       QCryptographicHash::hash(program.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
    // ":0", "localhost:10.0" or a socket path: only characters that are safe in a file name.
    for (QChar& c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'-') c = u'_';
    }
    return name + QStringLiteral(".socket");
}

SingleInstance::Role SingleInstance::claim(const QStringList& paths) {
    if (serverPath_.isEmpty() || !QFileInfo(QFileInfo(serverPath_).absolutePath()).isDir())
        return Role::standalone;
    // A running instance that ends between our connecting and its answer leaves the field to us:
    // the second round finds no instance and listens.
    for (int round = 0; round < 2; ++round) {
        QLockFile lock(serverPath_ + QStringLiteral(".lock"));
        // Held only for moments, so its age says nothing; a lock left by a crashed process is
        // recognised by its dead process and taken over.
        lock.setStaleLockTime(0);
        if (!lock.tryLock(kLockMilliseconds)) return Role::standalone;
        QLocalSocket socket;
        socket.connectToServer(serverPath_);
        if (!socket.waitForConnected(kConnectMilliseconds)) {
            // Nobody answers, and nobody else may start listening while we hold the lock:
            // whatever sits at the path is a crash's leftover.
            return listen() ? Role::primary : Role::standalone;
        }
        lock.unlock();
        if (handOver(socket, paths)) return Role::handedOver;
    }
    return Role::standalone;
}

bool SingleInstance::handOver(QLocalSocket& socket, const QStringList& paths) {
    socket.write(encodeRequest(paths, qEnvironmentVariable("XDG_ACTIVATION_TOKEN")));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kAcknowledgementMilliseconds)) return false;
    }
    if (socket.waitForReadyRead(kAcknowledgementMilliseconds))
        return socket.read(1) == QByteArray(1, kAcknowledgement);
    // Still connected: the running instance is busy and reads the request when it is free.
    // Gone: it ended (or crashed) before taking it.
    return socket.state() == QLocalSocket::ConnectedState;
}

void SingleInstance::stopListening() {
    if (server_) server_->close();
}

bool SingleInstance::listen() {
    QLocalServer::removeServer(serverPath_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverPath_)) {
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        QTimer::singleShot(kRequestMilliseconds, socket, [socket] { socket->abort(); });
        // Bytes that arrived with the connection raise no readyRead of their own.
        if (socket->bytesAvailable() > 0) readRequest(socket);
    }
}

void SingleInstance::readRequest(QLocalSocket* socket) {
    if (socket->property("taviHandled").toBool() || socket->bytesAvailable() < 4) return;
    const QByteArray header = socket->peek(4);
    const qint64 length = qFromBigEndian<quint32>(header.constData());
    if (length > maxMessageBytes) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < 4 + length) return;
    socket->skip(4);
    const auto request = decodeRequest(socket->read(length));
    if (!request) {
        socket->abort();
        return;
    }
    socket->setProperty("taviHandled", true);
    socket->write(QByteArray(1, kAcknowledgement));
    socket->disconnectFromServer();
    Q_EMIT openRequested(request->paths, request->activationToken);
}
