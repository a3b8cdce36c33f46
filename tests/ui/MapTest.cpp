#include "ui/map/LocationMapView.h"
#include "ui/map/MapPage.h"

#include <QTest>
#include <QUrlQuery>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

// Photos taken at the same spot (equal to five decimals, about a metre) share one page load;
// any other place, or going back to the first, loads again.
TEST(MapPage, PositionsEqualToFiveDecimalsLoadOnce) {
    MapLoadGate gate;
    EXPECT_TRUE(gate.admit(41.0082, 28.9784));
    EXPECT_FALSE(gate.admit(41.008204, 28.978396));
    EXPECT_FALSE(gate.admit(41.0082, 28.9784));
    EXPECT_TRUE(gate.admit(41.00822, 28.9784));
    EXPECT_TRUE(gate.admit(41.0082, 28.9784));
    EXPECT_EQ(gate.lastKey(), QStringLiteral("41.00820,28.97840"));
    // Not a position: nothing to load, and the last place is kept.
    EXPECT_FALSE(gate.admit(std::numeric_limits<double>::quiet_NaN(), 28.9784));
    EXPECT_FALSE(gate.admit(41.0082, 28.9784));
}

TEST(MapPage, FrameShowsThePositionAtStreetZoomInADarkPage) {
    const QUrl source = mappage::frameSource(-33.8688, 151.2093);
    EXPECT_EQ(source.scheme(), QStringLiteral("https"));
    EXPECT_EQ(source.path(), QStringLiteral("/maps"));
    EXPECT_EQ(source.query(), QStringLiteral("q=-33.8688,151.2093&z=15&output=embed"));
    // The coordinates read back as the very doubles given.
    const double latitude = 0.1 + 0.2;
    const QString q = QUrlQuery(mappage::frameSource(latitude, 5e-7)).queryItemValue(QStringLiteral("q"));
    const QStringList parts = q.split(QLatin1Char(','));
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0].toDouble(), latitude);
    EXPECT_EQ(parts[1].toDouble(), 5e-7);

    const QString page = mappage::html(-33.8688, 151.2093);
    EXPECT_TRUE(page.contains(QStringLiteral("background:#14161a")));
    EXPECT_TRUE(page.contains(QStringLiteral(
        "src=\"https://maps.google.com/maps?q=-33.8688,151.2093&amp;z=15&amp;output=embed\"")));
    EXPECT_TRUE(page.contains(QStringLiteral("c.objects.mapLoaded")));
    EXPECT_TRUE(page.contains(QStringLiteral("postMessage('ok')")));
}

// The application must not start a browser engine for a map nobody has looked at.
TEST(MapView, ConstructionStartsNoWebEngine) {
    LocationMapView view;
    view.resize(300, 180);
    view.show();
    EXPECT_FALSE(view.hasWebEngine());
    EXPECT_TRUE(view.isShowingLoadingOverlay());
    for (const QObject* child : view.findChildren<QObject*>())
        EXPECT_FALSE(
            QString::fromLatin1(child->metaObject()->className()).startsWith(QStringLiteral("QWebEngine")));
}

// The first position starts the engine under the overlay; the same place again loads nothing
// more. Offline (as here) the overlay stays over the dark page.
TEST(MapView, FirstPositionMakesTheWebEngineAndTheSamePlaceDoesNotReload) {
    LocationMapView view;
    view.resize(300, 180);
    view.show();
    view.showLocation(41.0082, 28.9784);
    ASSERT_TRUE(view.hasWebEngine());
    EXPECT_TRUE(view.isShowingLoadingOverlay());
    view.showLocation(41.008204, 28.978396);
    EXPECT_EQ(view.pageLoadCount(), 1);
    view.showLocation(40.9923, 29.0244);
    EXPECT_EQ(view.pageLoadCount(), 2);
    QTest::qWait(300);
}
