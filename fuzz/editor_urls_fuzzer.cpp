// A list of files and folders handed to the editor from outside: dropped on the window, pasted
// as text, given on the command line. Each line of the input is one item, a path or a file URL,
// absolute or relative. An "@" stands for the scratch folder's path ("@/a.jpg", "file://@/sub",
// "file://localhost@/b.png"), so the search reaches real files without knowing where they are; relative
// lines resolve against the scratch folder's "sub" folder, so "../a.jpg" names one too.
//
// The scratch folder holds three small images, a text file, a hidden image, a folder with one
// image ("sub") and one without ("empty"). The editor starts with "b.png" open; then it opens
// the whole list, then each of the first lines alone. After every call the editor's folder must
// list only existing images by their standardized absolute paths, with the current image inside
// the list; a call that gave nothing openable leaves the folder and the current image as they
// were. Last, the list is opened once more and the editor destroyed while its loads still run:
// what they publish afterwards must find nothing freed.
//
// The same input is then pasted: first as the clipboard's list of files, then as the bytes of an
// image on the clipboard (decoded as the desktop would hand it over). A pasted image that decodes
// is written as a PNG into the captures folder and opened; one that does not is refused with a
// message and changes nothing.
#include "core/common/Paths.h"
#include "editor/EditorViewModel.h"
#include "fuzz/FuzzFiles.h"
#include "fuzz/FuzzTarget.h"
#include "tests/editor/FakePlatformServices.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>

namespace {

constexpr int kLinesOpenedAlone = 4;
constexpr int kMaxLines = 64;

// The fuzzing build has no main of its own: the first input creates the application, and the
// store the editor reads at start-up is kept away from the user's files.
void ensureApplication() {
    if (QCoreApplication::instance()) return;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    static int argc = 1;
    static char name[] = "fuzz_editor_urls";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

QString scratchPath(const QString& name) {
    return tavifuzz::scratchFolder().filePath(name);
}

// Written once per process; every input sees the same files.
void ensureScratchFiles() {
    static const bool written = [] {
        QDir root(tavifuzz::scratchFolder().path());
        root.mkpath(QStringLiteral("sub"));
        root.mkpath(QStringLiteral("empty"));
        QImage image(24, 16, QImage::Format_RGB32);
        image.fill(QColor(200, 120, 60));
        image.save(scratchPath(QStringLiteral("a.jpg")), "JPEG");
        image.fill(QColor(40, 160, 90));
        image.save(scratchPath(QStringLiteral("b.png")), "PNG");
        image.fill(QColor(30, 60, 180));
        image.save(scratchPath(QStringLiteral("c d.bmp")), "BMP");
        image.save(scratchPath(QStringLiteral(".hidden.png")), "PNG");
        image.save(scratchPath(QStringLiteral("sub/e.png")), "PNG");
        QFile text(scratchPath(QStringLiteral("notes.txt")));
        if (text.open(QIODevice::WriteOnly)) text.write("not an image\n");
        return true;
    }();
    (void)written;
}

// What a line names on this machine, decided independently of the editor: the oracle for
// "nothing openable was given".
bool namesSomethingThatExists(const QString& line) {
    QString path = line;
    if (line.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(line);
        if (!url.isValid() || !url.isLocalFile()) return false;
        if (!url.host().isEmpty() && url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
            return false;
        path = url.toLocalFile();
    }
    return !path.isEmpty() && QFileInfo::exists(standardizedPath(path));
}

void checkFolder(const EditorViewModel& editor) {
    const QStringList& images = editor.folderImages();
    if (images.isEmpty()) return;
    TAVI_FUZZ_CHECK(editor.currentIndex() >= 0 && editor.currentIndex() < images.size());
    for (const QString& image : images) {
        TAVI_FUZZ_CHECK(image.startsWith(u'/') && standardizedPath(image) == image);
        TAVI_FUZZ_CHECK(QFileInfo(image).isFile());
    }
    TAVI_FUZZ_CHECK(images.size() == QSet<QString>(images.begin(), images.end()).size());
}

// The captures folder lives under the temporary folder; pointing that at the scratch folder
// keeps the written PNGs away from the machine's and lets each input clean up after itself.
struct ScratchTemporaryFolder {
    QByteArray previous = qgetenv("TMPDIR");
    bool hadPrevious = qEnvironmentVariableIsSet("TMPDIR");
    ScratchTemporaryFolder() {
        QDir(tavifuzz::scratchFolder().path()).mkpath(QStringLiteral("tmp"));
        qputenv("TMPDIR", scratchPath(QStringLiteral("tmp")).toUtf8());
    }
    ~ScratchTemporaryFolder() {
        QDir(scratchPath(QStringLiteral("tmp"))).removeRecursively();
        if (hadPrevious)
            qputenv("TMPDIR", previous);
        else
            qunsetenv("TMPDIR");
    }
};

void pasteAndCheck(EditorViewModel& editor, FakePlatformServices& platform, const QStringList& lines,
                   const QByteArray& bytes) {
    platform.clipboardFiles = lines;
    platform.clipboardImageValue.reset();
    editor.pasteImageFromClipboard();
    checkFolder(editor);
    TAVI_FUZZ_CHECK(editor.waitForBackgroundWork(30000));

    platform.clipboardFiles.clear();
    const QImage image = QImage::fromData(bytes);
    platform.clipboardImageValue = image;
    const QStringList before = editor.folderImages();
    const std::optional<QString> current = editor.currentURL();
    editor.pasteImageFromClipboard();
    checkFolder(editor);
    if (image.isNull()) {
        TAVI_FUZZ_CHECK(editor.folderImages() == before);
        TAVI_FUZZ_CHECK(editor.currentURL() == current);
    } else {
        const std::optional<QString> opened = editor.currentURL();
        TAVI_FUZZ_CHECK(opened && opened->startsWith(EditorViewModel::capturesFolderPath() + u'/'));
    }
    TAVI_FUZZ_CHECK(editor.waitForBackgroundWork(30000));
}

void openAndCheck(EditorViewModel& editor, const QStringList& items) {
    const QStringList before = editor.folderImages();
    const std::optional<QString> current = editor.currentURL();
    editor.openURLs(items);
    checkFolder(editor);
    const bool anyExists = std::any_of(items.begin(), items.end(), namesSomethingThatExists);
    if (!anyExists) {
        TAVI_FUZZ_CHECK(editor.folderImages() == before);
        TAVI_FUZZ_CHECK(editor.currentURL() == current);
    }
    TAVI_FUZZ_CHECK(editor.waitForBackgroundWork(30000));
}

} // namespace

TAVI_FUZZ_TARGET(editor_urls) {
    ensureApplication();
    ensureScratchFiles();
    const QString root = tavifuzz::scratchFolder().path();

    QStringList lines =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split(u'\n');
    if (lines.size() > kMaxLines) lines.resize(kMaxLines);
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) line.chop(1);
        line.replace(u'@', root);
    }

    // Relative items resolve against the working directory, which the editor does not choose.
    const QString previousDirectory = QDir::currentPath();
    QDir::setCurrent(root + QStringLiteral("/sub"));
    {
        const ScratchTemporaryFolder temporary;
        FakePlatformServices platform;
        EditorViewModel editor(platform);
        editor.openURLs({scratchPath(QStringLiteral("b.png"))});
        TAVI_FUZZ_CHECK(editor.currentURL() == standardizedPath(scratchPath(QStringLiteral("b.png"))));
        TAVI_FUZZ_CHECK(editor.waitForBackgroundWork(30000));

        openAndCheck(editor, lines);
        for (int i = 0; i < std::min<int>(kLinesOpenedAlone, lines.size()) && lines.size() > 1; ++i)
            openAndCheck(editor, {lines[i]});
        pasteAndCheck(editor, platform, lines,
                      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

        // Closed while loading: the results still on their way must be dropped.
        editor.openURLs(lines);
        checkFolder(editor);
    }
    BackgroundTasks::pool().waitForDone();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QDir::setCurrent(previousDirectory);
    return 0;
}
