#include "app/SingleInstance.h"
#include "../editor/EditorTestSupport.h"
#include "app/TaviViewAppDelegate.h"
#include "editor/EditorViewModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QProcess>
#include <QSysInfo>
#include <QThread>
#include <QtEndian>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace editortest;

namespace {

// Generous for a loaded machine: a launch that hands over ends in well under a second.
constexpr int kProcessMilliseconds = 60000;

// The real program, run with its own runtime folder (where the socket lives) and working folder.
std::unique_ptr<QProcess> startTaviView(const QString& runtimeDir, const QString& workingDir,
                                        const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    // The socket's name includes the platform: the child runs on the test's own.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QGuiApplication::platformName());
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(workingDir);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(TAVI_APP_PATH), arguments);
    return process;
}

// Waits for the process to end while this thread's event loop keeps serving the socket.
bool finishServing(QProcess& process, int timeoutMs = kProcessMilliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (process.state() != QProcess::NotRunning && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        process.waitForFinished(20);
    }
    return process.state() == QProcess::NotRunning;
}

bool serving(const QString& serverPath) {
    QLocalSocket socket;
    socket.connectToServer(serverPath);
    return socket.waitForConnected(2000);
}

// What a crash leaves: a socket file nobody listens on.
void leaveDeadSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    ASSERT_LT(native.size(), int(sizeof(address.sun_path)));
    std::memcpy(address.sun_path, native.constData(), native.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo(path).exists());
}

} // namespace

TEST(SingleInstance, ASecondLaunchHandsItsPathsToTheRunningOneAndExitsAtOnce) {
    QTemporaryDir runtime, photos;
    const QStringList paths =
        writeImages(photos, {QStringLiteral("a.png"), QStringLiteral("b.png"), QStringLiteral("c.png")});
    SingleInstance instance(
        QDir(runtime.path()).filePath(SingleInstance::serverFileName(QStringLiteral(TAVI_APP_PATH))));
    ASSERT_EQ(instance.claim({}), SingleInstance::Role::primary);
    TaviViewAppDelegate delegate;
    QObject::connect(&instance, &SingleInstance::openRequested, &delegate,
                     &TaviViewAppDelegate::openFromLaterLaunch);
    delegate.launch({}, QDir::homePath());
    EXPECT_FALSE(delegate.viewModel().hasImage());

    // Relative to the second launch's own working folder, with a switch and a missing name.
    auto second = startTaviView(runtime.path(), photos.path(),
                                {QStringLiteral("--new-window"), QStringLiteral("c.png"),
                                 QStringLiteral("missing.png"), QStringLiteral("a.png")});
    ASSERT_TRUE(finishServing(*second));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    QElapsedTimer timer;
    timer.start();
    while (delegate.viewModel().folderImages().isEmpty() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(delegate.viewModel().waitForBackgroundWork());
    EXPECT_EQ(delegate.viewModel().folderImages(), (QStringList{paths[0], paths[2]}));
    EXPECT_TRUE(delegate.viewModel().hasImage());

    // A launch naming nothing only brings the window forward; what is open stays open.
    QStringList requested{QStringLiteral("not asked yet")};
    QObject::connect(&instance, &SingleInstance::openRequested,
                     [&](const QStringList& asked) { requested = asked; });
    auto third = startTaviView(runtime.path(), photos.path(), {});
    ASSERT_TRUE(finishServing(*third));
    EXPECT_EQ(third->exitCode(), 0);
    for (timer.restart(); !requested.isEmpty() && timer.elapsed() < 10000;)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(requested.isEmpty());
    EXPECT_EQ(delegate.viewModel().folderImages(), (QStringList{paths[0], paths[2]}));
}

TEST(SingleInstance, LeftoversOfACrashedInstanceDoNotStopTheNextLaunch) {
    QTemporaryDir runtime;
    const QString serverPath =
        QDir(runtime.path()).filePath(SingleInstance::serverFileName(QStringLiteral(TAVI_APP_PATH)));
    leaveDeadSocket(serverPath);
    // The launch lock of a process that no longer runs.
    QProcess gone;
    gone.start(QStringLiteral("true"));
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished());
    QFile lock(serverPath + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QStringLiteral("%1\ntaviview\n%2\n").arg(deadPid).arg(QSysInfo::machineHostName()).toUtf8());
    lock.close();

    SingleInstance instance(serverPath);
    ASSERT_EQ(instance.claim({}), SingleInstance::Role::primary);
    EXPECT_TRUE(serving(serverPath));
    int requests = 0;
    QObject::connect(&instance, &SingleInstance::openRequested,
                     [&](const QStringList& paths, const QString&) {
                         EXPECT_TRUE(paths.isEmpty());
                         ++requests;
                     });
    auto next = startTaviView(runtime.path(), runtime.path(), {});
    ASSERT_TRUE(finishServing(*next));
    EXPECT_EQ(next->exitCode(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(requests, 1);
}

TEST(SingleInstance, LaunchesStartedTogetherLeaveExactlyOneRunning) {
    QTemporaryDir runtime, photos;
    writeImages(photos, {QStringLiteral("a.png"), QStringLiteral("b.png"), QStringLiteral("c.png")});
    std::vector<std::unique_ptr<QProcess>> launches;
    for (const char* name : {"a.png", "b.png", "c.png"})
        launches.push_back(startTaviView(runtime.path(), photos.path(), {QString::fromLatin1(name)}));
    // The two that hand over end; the one that runs stays.
    QElapsedTimer timer;
    timer.start();
    auto ended = [&] {
        return std::count_if(launches.begin(), launches.end(),
                             [](const auto& p) { return p->state() == QProcess::NotRunning; });
    };
    while (ended() < 2 && timer.elapsed() < kProcessMilliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        launches.front()->waitForFinished(20);
    }
    // The survivor must still be running a moment later (waiting is what updates a process's state).
    for (const auto& launch : launches)
        if (launch->state() != QProcess::NotRunning) EXPECT_FALSE(launch->waitForFinished(1000));
    ASSERT_EQ(ended(), 2);
    for (const auto& launch : launches) {
        if (launch->state() == QProcess::NotRunning) {
            EXPECT_EQ(launch->exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(launch->exitCode(), 0);
        }
    }
    EXPECT_TRUE(serving(
        QDir(runtime.path()).filePath(SingleInstance::serverFileName(QStringLiteral(TAVI_APP_PATH)))));
    for (const auto& launch : launches) {
        launch->kill();
        launch->waitForFinished();
    }
}

TEST(SingleInstance, MalformedRequestsAreDroppedWithoutAnOpen) {
    QTemporaryDir runtime;
    const QString serverPath =
        QDir(runtime.path()).filePath(SingleInstance::serverFileName(QStringLiteral(TAVI_APP_PATH)));
    SingleInstance instance(serverPath);
    ASSERT_EQ(instance.claim({}), SingleInstance::Role::primary);
    int requests = 0;
    QObject::connect(&instance, &SingleInstance::openRequested, [&] { ++requests; });
    auto send = [&](const QByteArray& body, quint32 declared) {
        QLocalSocket socket;
        socket.connectToServer(serverPath);
        EXPECT_TRUE(socket.waitForConnected(2000));
        QByteArray header(4, '\0');
        qToBigEndian(declared, header.data());
        socket.write(header + body);
        socket.waitForBytesWritten(2000);
        QElapsedTimer timer;
        timer.start();
        while (socket.state() == QLocalSocket::ConnectedState && timer.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (socket.state() == QLocalSocket::ConnectedState) socket.waitForDisconnected(20);
        }
        return socket.readAll();
    };
    const QByteArray notPaths = R"({"paths": "/etc/passwd"})";
    EXPECT_TRUE(send(notPaths, notPaths.size()).isEmpty());
    const QByteArray mixed = R"({"paths": ["/tmp", 3]})";
    EXPECT_TRUE(send(mixed, mixed.size()).isEmpty());
    EXPECT_TRUE(send("{}", quint32(SingleInstance::maxMessageBytes + 1)).isEmpty());
    EXPECT_EQ(requests, 0);
    // The server still takes a proper request afterwards.
    const QByteArray good = R"({"paths": [], "activationToken": ""})";
    EXPECT_EQ(send(good, good.size()), QByteArray("k"));
    EXPECT_EQ(requests, 1);
}

// A link to the program (/bin/taviview beside /usr/bin/taviview) reaches the same instance; another
// program file, such as a build being tried out beside the installed one, gets its own.
TEST(SingleInstance, TheProgramFileDecidesWhichInstanceALaunchJoins) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("taviview"));
    ASSERT_TRUE(QFile::link(QStringLiteral(TAVI_APP_PATH), link));
    EXPECT_EQ(SingleInstance::serverFileName(link),
              SingleInstance::serverFileName(QStringLiteral(TAVI_APP_PATH)));
    EXPECT_NE(SingleInstance::serverFileName(QStringLiteral(TAVI_CLI_PATH)),
              SingleInstance::serverFileName(QStringLiteral(TAVI_APP_PATH)));
}
