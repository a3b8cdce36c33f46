#include "../support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

const QString kAppId = QStringLiteral("com.quellora.TaviView");

struct ProcessResult {
    int exitCode = -1;
    QString output;
};

ProcessResult run(const QString& program, const QStringList& arguments, int timeoutMs = 120000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return {-1, QString::fromLocal8Bit(process.readAll())};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAll())};
}

// The build tree installed once into a temporary prefix, as a user's `cmake --install` would.
class Install : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefix_ = new QTemporaryDir;
        const ProcessResult install = run(QStringLiteral(TAVI_CMAKE_COMMAND),
                                          {QStringLiteral("--install"), QStringLiteral(TAVI_BINARY_DIR),
                                           QStringLiteral("--prefix"), prefix_->path()});
        installOutput_ = new QString(install.output);
        installed_ = install.exitCode == 0;
    }
    static void TearDownTestSuite() {
        delete prefix_;
        delete installOutput_;
    }
    void SetUp() override { ASSERT_TRUE(installed_) << installOutput_->toStdString(); }

    static QString installed(const QString& relative) { return QDir(prefix_->path()).filePath(relative); }

    static void validate(const QString& tool, const QStringList& arguments) {
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty())
            GTEST_SKIP() << tool.toStdString() << " is not installed (scripts/deps installs it)";
        const ProcessResult result = run(program, arguments);
        EXPECT_EQ(result.exitCode, 0) << result.output.toStdString();
    }

    static inline QTemporaryDir* prefix_ = nullptr;
    static inline QString* installOutput_ = nullptr;
    static inline bool installed_ = false;
};

// Reads inotify events until every wanted file name was opened and read, or the time is up.
class ReadWatch {
  public:
    ReadWatch() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~ReadWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool watch(const QString& folder, const QString& name) {
        const int wd =
            inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_ACCESS | IN_CLOSE_NOWRITE);
        if (wd < 0) return false;
        wanted_.insert({wd, name}, false);
        return true;
    }
    // True once every watched file was read (IN_ACCESS: a read(2) of its bytes, not a mere stat).
    bool waitForReads(int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (!allSeen() && timer.elapsed() < timeoutMs) {
            pollfd descriptor{fd_, POLLIN, 0};
            if (::poll(&descriptor, 1, 100) <= 0) continue;
            alignas(inotify_event) char buffer[16384];
            const ssize_t length = ::read(fd_, buffer, sizeof buffer);
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                const QString name = event->len ? QFile::decodeName(event->name) : QString();
                const auto key = std::pair{event->wd, name};
                if ((event->mask & IN_ACCESS) && wanted_.contains(key)) wanted_[key] = true;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return allSeen();
    }
    QStringList unseen() const {
        QStringList names;
        for (auto it = wanted_.cbegin(); it != wanted_.cend(); ++it)
            if (!it.value()) names << it.key().second;
        return names;
    }

  private:
    bool allSeen() const { return !wanted_.isEmpty() && unseen().isEmpty(); }
    int fd_;
    QMap<std::pair<int, QString>, bool> wanted_;
};

} // namespace

TEST_F(Install, PutsTheProgramsEntryIconsAndResourcesWhereTheDesktopLooks) {
    for (const QString& program : {QStringLiteral("bin/taviview"), QStringLiteral("bin/taviview-cli")})
        EXPECT_TRUE(QFileInfo(installed(program)).isExecutable()) << program.toStdString();

    QFile entry(installed(QStringLiteral("share/applications/%1.desktop").arg(kAppId)));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString desktop = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nExec=taviview %F\n")));
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nCategories=Graphics;Viewer;Photography;\n")));
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nIcon=%1\n").arg(kAppId)));
    for (const char* type : {"image/jpeg", "image/png", "image/heif", "image/webp", "image/x-canon-cr2"})
        EXPECT_TRUE(desktop.contains(QString::fromLatin1(type) + u';')) << type;
    EXPECT_TRUE(QFileInfo::exists(installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId))));

    // Every size is a real picture of that size, drawn from the SVG, not an empty placeholder.
    EXPECT_TRUE(
        QFileInfo::exists(installed(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId))));
    for (int side : {16, 24, 32, 48, 64, 128, 256, 512}) {
        const QImage icon(
            installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(side).arg(kAppId)));
        ASSERT_EQ(icon.size(), QSize(side, side)) << side;
        EXPECT_EQ(icon.pixelColor(side / 2, side / 2).alpha(), 255) << side; // the tile is opaque
        EXPECT_EQ(icon.pixelColor(0, 0).alpha(), 0) << side;                 // with round corners
    }

    // The resources the build has: the model fetched into the build tree, the source catalogs.
    const QString model = QStringLiteral("resources/models/selfie_segmentation.tflite");
    if (QFileInfo::exists(QDir(QStringLiteral(TAVI_BINARY_DIR)).filePath(model))) {
        EXPECT_TRUE(QFileInfo(installed(QStringLiteral("share/taviview/models/selfie_segmentation.tflite")))
                        .isReadable());
    }
    QDirIterator catalogs(QStringLiteral(TAVI_SOURCE_DIR "/resources/Localizations"), QDir::Files);
    while (catalogs.hasNext()) {
        const QString name = QFileInfo(catalogs.next()).fileName();
        EXPECT_TRUE(QFileInfo::exists(installed(QStringLiteral("share/taviview/Localizations/") + name)))
            << name.toStdString();
    }
}

TEST_F(Install, TheDesktopEntryIsValid) {
    validate(QStringLiteral("desktop-file-validate"),
             {installed(QStringLiteral("share/applications/%1.desktop").arg(kAppId))});
}

TEST_F(Install, TheAppStreamMetainfoIsValid) {
    validate(QStringLiteral("appstreamcli"),
             {QStringLiteral("validate"), QStringLiteral("--no-net"),
              installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId))});
}

// The installed program, started away from the source and build trees with a photo and the
// interface language set to German, reads the German catalog from its installed resources and the
// photo, and keeps running.
TEST_F(Install, TheInstalledProgramReadsItsResourcesFromThePrefixAndOpensThePhoto) {
    const QString catalogs = installed(QStringLiteral("share/taviview/Localizations"));
    ASSERT_TRUE(QDir().mkpath(catalogs));
    QFile::remove(catalogs + QStringLiteral("/de.json.lzfse"));
    ASSERT_TRUE(QFile::copy(testsupport::fixture(QStringLiteral("catalogs/de.json.lzfse")),
                            catalogs + QStringLiteral("/de.json.lzfse")));

    QTemporaryDir home, photos;
    const QString photo = photos.filePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(QFile::copy(testsupport::fixture(QStringLiteral("photos/DSCN0010.jpg")), photo));
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("config/Quellora")));
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("runtime")));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile settings(home.filePath(QStringLiteral("config/Quellora/TaviView.conf")));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\ncom.quellora.preferredLanguage=de\n");
    settings.close();

    ReadWatch watch;
    ASSERT_TRUE(watch.watch(catalogs, QStringLiteral("de.json.lzfse")));
    ASSERT_TRUE(watch.watch(photos.path(), QStringLiteral("photo.jpg")));

    QProcess program;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("HOME"), home.path());
    for (const char* folder : {"config", "data", "cache"})
        environment.insert(QStringLiteral("XDG_%1_HOME").arg(QString::fromLatin1(folder).toUpper()),
                           home.filePath(QString::fromLatin1(folder)));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(home.path());
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(installed(QStringLiteral("bin/taviview")), {photo});
    ASSERT_TRUE(program.waitForStarted());

    const bool read = watch.waitForReads(60000);
    // Still running a moment after reading them (waiting is what updates a process's state).
    const bool running = !program.waitForFinished(2000);
    program.kill();
    program.waitForFinished();
    EXPECT_TRUE(read) << "never read: " << watch.unseen().join(u' ').toStdString();
    EXPECT_TRUE(running) << "the installed program ended with " << program.exitCode();
}

// The person cut-out of the installed command line reads the model installed beside it.
TEST_F(Install, TheInstalledPersonCutOutReadsTheInstalledModel) {
    const QString models = installed(QStringLiteral("share/taviview/models"));
    if (!QFileInfo::exists(models + QStringLiteral("/selfie_segmentation.tflite")))
        GTEST_SKIP() << "the build tree has no model (scripts/fetch-models puts it there)";
    QTemporaryDir home;
    ReadWatch watch;
    ASSERT_TRUE(watch.watch(models, QStringLiteral("selfie_segmentation.tflite")));
    QProcess cli;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    cli.setProcessEnvironment(environment);
    cli.setWorkingDirectory(home.path());
    cli.setProcessChannelMode(QProcess::MergedChannels);
    cli.start(installed(QStringLiteral("bin/taviview-cli")),
              {QStringLiteral("cutout"), testsupport::fixture(QStringLiteral("photos/portrait_6.jpg")),
               QStringLiteral("--engine"), QStringLiteral("portraitAI"), QStringLiteral("-o"),
               home.filePath(QStringLiteral("cut.png"))});
    ASSERT_TRUE(cli.waitForFinished(120000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAll().toStdString();
    EXPECT_TRUE(watch.waitForReads(5000)) << "the installed model was never read";
}
