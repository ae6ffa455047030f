#include "Helpers/LocationHelper.hpp"

#include <gtest/gtest.h>

#include <cmath>

using Dizezida::Dovodarud::Helpers::LocationHelper;
using Point = LocationHelper::Point;

namespace {

constexpr double k_mm = 0.001;

} // namespace

TEST(LocationHelper, Epsg3857MatchesReferenceCoordinates) {
    // Published values of the spherical Mercator plane (radius 6378137).
    const Point degree = LocationHelper::wgs84_to_epsg3857(1.0, 0.0);
    EXPECT_NEAR(degree[0], 111319.490793, k_mm);
    EXPECT_NEAR(degree[1], 0.0, k_mm);
    const Point mid = LocationHelper::wgs84_to_epsg3857(-45.0, 45.0);
    EXPECT_NEAR(mid[0], -5009377.085697, k_mm);
    EXPECT_NEAR(mid[1], 5621521.486192, k_mm);
    const Point corner =
        LocationHelper::wgs84_to_epsg3857(180.0, LocationHelper::k_mercator_max_latitude);
    EXPECT_NEAR(corner[0], 20037508.342789, k_mm);
    EXPECT_NEAR(corner[1], 20037508.342789, k_mm);

    const Point back = LocationHelper::espg3857_to_wgs84(-5009377.085697, 5621521.486192);
    EXPECT_NEAR(back[0], -45.0, 1e-9);
    EXPECT_NEAR(back[1], 45.0, 1e-9);
}

TEST(LocationHelper, Epsg3857WrapsLongitudeAndClampsLatitude) {
    const Point a = LocationHelper::wgs84_to_epsg3857(190.0, 10.0);
    const Point b = LocationHelper::wgs84_to_epsg3857(-170.0, 10.0);
    const Point c = LocationHelper::wgs84_to_epsg3857(550.0, 10.0);
    const Point d = LocationHelper::wgs84_to_epsg3857(-530.0, 10.0);
    EXPECT_NEAR(a[0], b[0], k_mm);
    EXPECT_NEAR(c[0], b[0], k_mm);
    EXPECT_NEAR(d[0], b[0], k_mm);

    EXPECT_DOUBLE_EQ(LocationHelper::wgs84_to_epsg3857(0.0, 90.0)[1],
                     LocationHelper::k_mercator_limit);
    for (const double lat : {95.0, 1000.0}) {
        EXPECT_DOUBLE_EQ(LocationHelper::wgs84_to_epsg3857(0.0, lat)[1],
                         LocationHelper::k_mercator_limit);
        EXPECT_DOUBLE_EQ(LocationHelper::wgs84_to_epsg3857(0.0, -lat)[1],
                         -LocationHelper::k_mercator_limit);
    }
}

TEST(LocationHelper, ConversionPairsRoundTrip) {
    struct Pair {
        const char* name;
        Point (*to)(double, double);
        Point (*from)(double, double);
        double tolerance; // degrees
    };
    // The one-step inverse of the GCJ-02 offset is good to about 2 m
    // (2e-5 degrees); the BD-09 step and Mercator invert almost exactly.
    const Pair pairs[] = {
        {"gcj02", LocationHelper::wgs84_to_gcj02, LocationHelper::gcj02_to_wgs84, 2e-5},
        {"bd09 from gcj02", LocationHelper::gcj02_to_bd09, LocationHelper::bd09_to_gcj02, 1e-5},
        {"bd09", LocationHelper::wgs84_to_bd09, LocationHelper::bd09_to_wgs84, 3e-5},
        {"epsg3857", LocationHelper::wgs84_to_epsg3857, LocationHelper::espg3857_to_wgs84, 1e-9},
    };
    const Point points[] = {
        {116.397, 39.909}, {121.4737, 31.2304}, {113.2644, 23.1291}, {87.6168, 43.8256}};
    for (const auto& pair : pairs) {
        for (const auto& p : points) {
            SCOPED_TRACE(::testing::Message() << pair.name << " " << p[0] << "," << p[1]);
            const Point there = pair.to(p[0], p[1]);
            const Point back = pair.from(there[0], there[1]);
            EXPECT_NEAR(back[0], p[0], pair.tolerance);
            EXPECT_NEAR(back[1], p[1], pair.tolerance);
        }
    }
}

TEST(LocationHelper, OffsetMovesChinaOnlyAndKeepsOrder) {
    const Point paris = LocationHelper::wgs84_to_gcj02(2.35, 48.85);
    EXPECT_EQ(paris, (Point{2.35, 48.85}));
    EXPECT_EQ(LocationHelper::gcj02_to_wgs84(2.35, 48.85), (Point{2.35, 48.85}));

    // Beijing moves by a few hundred metres, the longitude stays first.
    const Point beijing = LocationHelper::transform(116.397, 39.909);
    EXPECT_NEAR(beijing[0], 116.397, 0.01);
    EXPECT_NEAR(beijing[1], 39.909, 0.01);
    EXPECT_NE(beijing, (Point{116.397, 39.909}));
    EXPECT_EQ(beijing, LocationHelper::wgs84_to_gcj02(116.397, 39.909));
    EXPECT_EQ(LocationHelper::transform(2.35, 48.85), paris);

    double dlon = 0;
    LocationHelper::delta(116.397, 39.909, &dlon, nullptr);
    EXPECT_DOUBLE_EQ(beijing[0], 116.397 + dlon);
}

TEST(LocationHelper, DistanceAlongGreatCircle) {
    EXPECT_EQ(LocationHelper::distance(116.4, 39.9, 116.4, 39.9), 0.0);
    // A quarter of the equator.
    EXPECT_NEAR(LocationHelper::distance(0, 0, 90, 0),
                M_PI / 2 * LocationHelper::k_krasovsky_radius, 1e-6);
    // Close points keep their precision (1 cm apart on the equator).
    const double cm = 0.01 / LocationHelper::k_krasovsky_radius * 180 / M_PI;
    EXPECT_NEAR(LocationHelper::distance(0, 0, cm, 0), 0.01, 1e-6);
}
