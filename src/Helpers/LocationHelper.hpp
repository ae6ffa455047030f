// Conversions of map coordinates between WGS-84 (GPS), GCJ-02 (the offset
// datum of maps of mainland China), BD-09 (a further offset of GCJ-02) and
// the spherical Mercator plane EPSG:3857, plus great-circle distance.
//
// Stateless: pure static functions, safe from any thread. Every point, given
// or returned, is (longitude, latitude) in degrees, or (x, y) in metres for
// EPSG:3857: there is no operation that answers in (latitude, longitude).
#pragma once

#include <array>

namespace Dizezida::Dovodarud::Helpers {

class LocationHelper {
public:
    LocationHelper() = delete;

    using Point = std::array<double, 2>;

    /// Semi-major axis of the Krasovsky ellipsoid, which the GCJ-02 offset
    /// formulas are built on (and which distances use).
    static constexpr double k_krasovsky_radius = 6378245.0;
    /// Sphere radius of EPSG:3857 (the WGS-84 semi-major axis).
    static constexpr double k_mercator_radius = 6378137.0;
    static constexpr double k_ee = 0.006693421622965943;
    static constexpr double k_x_pi = 52.35987755982988;
    /// Half the width of the EPSG:3857 plane: pi * k_mercator_radius.
    static constexpr double k_mercator_limit = 20037508.342789244;
    /// The latitude at which the EPSG:3857 plane becomes square.
    static constexpr double k_mercator_max_latitude = 85.05112877980659;

    static Point wgs84_to_gcj02(double lon, double lat);
    /// One step of the inverse offset (no iteration): within about 1-2 m.
    static Point gcj02_to_wgs84(double lon, double lat);
    static Point gcj02_to_bd09(double lon, double lat);
    static Point bd09_to_gcj02(double lon, double lat);
    static Point wgs84_to_bd09(double lon, double lat);
    static Point bd09_to_wgs84(double lon, double lat);

    /// Longitude wrapped into [-180, 180], latitude clamped to
    /// +-k_mercator_max_latitude; x and y within +-k_mercator_limit.
    static Point wgs84_to_epsg3857(double lon, double lat);
    /// The inverse of `wgs84_to_epsg3857`: (x, y) in metres to (lon, lat).
    static Point espg3857_to_wgs84(double x, double y);
    static Point epsg3857_to_wgs84(double x, double y) { return espg3857_to_wgs84(x, y); }

    /// WGS-84 to GCJ-02, (lon, lat) inside the China box and outside alike.
    static Point transform(double lon, double lat);

    /// The GCJ-02 offset at the point; either output may be null.
    static void delta(double lon, double lat, double* dlon, double* dlat);

    /// Great-circle distance in metres.
    static double distance(double lon1, double lat1, double lon2, double lat2);

    /// True when the point lies outside the box the GCJ-02 offset applies to.
    static bool out_of_china(double lon, double lat);

    static double transform_latitude(double x, double y);
    static double transform_longitude(double x, double y);
    static double fabs(double x);
};

} // namespace Dizezida::Dovodarud::Helpers
