#pragma once

#include "../support/TestSupport.h"
#include "FakePlatformServices.h"
#include "editor/EditorViewModel.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace editortest {

// A photo-like test image: a gradient with a dark square, so renders and markup change pixels.
inline QImage sampleImage(int width, int height, QColor tint = QColor(200, 120, 60)) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, width, height);
    g.setColorAt(0, tint);
    g.setColorAt(1, QColor(30, 60, 180));
    p.fillRect(image.rect(), g);
    p.fillRect(QRect(width / 4, height / 4, width / 4, height / 4), QColor(20, 20, 20));
    p.end();
    return image;
}

// A folder of generated images with the given names (written as their extension says).
inline QStringList writeImages(const QTemporaryDir& dir, const QStringList& names,
                               QSize size = QSize(64, 48)) {
    QStringList paths;
    int i = 0;
    for (const QString& name : names)
        paths << testsupport::writeImage(
            dir, name, sampleImage(size.width(), size.height(), QColor::fromHsv((i++ * 40) % 360, 200, 220)));
    return paths;
}

inline QString writeText(const QTemporaryDir& dir, const QString& name) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not an image\n");
    return QDir::cleanPath(dir.filePath(name));
}

// The editor with its scripted platform; every test waits for the background work it starts.
struct EditorFixture : ::testing::Test {
    FakePlatformServices platform;
    EditorViewModel editor{platform};
    void TearDown() override { EXPECT_TRUE(editor.waitForBackgroundWork()); }
};

} // namespace editortest
