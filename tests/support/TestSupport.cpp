#include "tests/support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <cmath>

namespace testsupport {

QString fixture(const QString& relative) {
    return QDir::cleanPath(QStringLiteral(TAVI_FIXTURES_DIR) + u'/' + relative);
}

QString sourcePath(const QString& relative) {
    return QDir::cleanPath(QStringLiteral(TAVI_SOURCE_DIR) + u'/' + relative);
}

CliResult runCli(const QStringList& args, int timeoutMs) {
    QProcess process;
    process.start(QStringLiteral(TAVI_CLI_PATH), args);
    CliResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

double meanAbsoluteDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGBA8888);
    const QImage y = b.convertToFormat(QImage::Format_RGBA8888);
    double total = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 4; ++i) total += std::abs(int(p[i]) - int(q[i]));
    }
    return total / (double(x.width()) * x.height() * 4);
}

QString writeImage(const QTemporaryDir& dir, const QString& name, const QImage& image) {
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

} // namespace testsupport
