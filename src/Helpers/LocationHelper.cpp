#include "Helpers/LocationHelper.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Dizezida::Dovodarud::Helpers {

namespace {

constexpr double pi = std::numbers::pi;

double radians(double degrees) {
    return degrees * pi / 180.0;
}

} // namespace

bool LocationHelper::out_of_china(double lon, double lat) {
    return lon < 72.004 || lon > 137.8347 || lat < 0.8293 || lat > 55.8271;
}

double LocationHelper::fabs(double x) {
    return std::fabs(x);
}

double LocationHelper::transform_latitude(double x, double y) {
    double r =
        -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * std::sqrt(std::fabs(x));
    r += (20.0 * std::sin(6.0 * x * pi) + 20.0 * std::sin(2.0 * x * pi)) * 2.0 / 3.0;
    r += (20.0 * std::sin(y * pi) + 40.0 * std::sin(y / 3.0 * pi)) * 2.0 / 3.0;
    r += (160.0 * std::sin(y / 12.0 * pi) + 320.0 * std::sin(y * pi / 30.0)) * 2.0 / 3.0;
    return r;
}

double LocationHelper::transform_longitude(double x, double y) {
    double r = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * std::sqrt(std::fabs(x));
    r += (20.0 * std::sin(6.0 * x * pi) + 20.0 * std::sin(2.0 * x * pi)) * 2.0 / 3.0;
    r += (20.0 * std::sin(x * pi) + 40.0 * std::sin(x / 3.0 * pi)) * 2.0 / 3.0;
    r += (150.0 * std::sin(x / 12.0 * pi) + 300.0 * std::sin(x / 30.0 * pi)) * 2.0 / 3.0;
    return r;
}

void LocationHelper::delta(double lon, double lat, double* dlon, double* dlat) {
    const double phi = radians(lat);
    const double s = std::sin(phi);
    const double m = 1.0 - k_ee * s * s;
    const double sm = std::sqrt(m);
    if (dlat)
        *dlat = transform_latitude(lon - 105.0, lat - 35.0) * 180.0 /
                ((k_krasovsky_radius * (1.0 - k_ee) / (m * sm)) * pi);
    if (dlon)
        *dlon = transform_longitude(lon - 105.0, lat - 35.0) * 180.0 /
                (k_krasovsky_radius / sm * std::cos(phi) * pi);
}

LocationHelper::Point LocationHelper::wgs84_to_gcj02(double lon, double lat) {
    if (out_of_china(lon, lat))
        return {lon, lat};
    double dlon = 0, dlat = 0;
    delta(lon, lat, &dlon, &dlat);
    return {lon + dlon, lat + dlat};
}

LocationHelper::Point LocationHelper::gcj02_to_wgs84(double lon, double lat) {
    if (out_of_china(lon, lat))
        return {lon, lat};
    double dlon = 0, dlat = 0;
    delta(lon, lat, &dlon, &dlat);
    return {lon - dlon, lat - dlat};
}

LocationHelper::Point LocationHelper::gcj02_to_bd09(double lon, double lat) {
    const double z = std::sqrt(lon * lon + lat * lat) + 0.00002 * std::sin(lat * k_x_pi);
    const double theta = std::atan2(lat, lon) + 0.000003 * std::cos(lon * k_x_pi);
    return {z * std::cos(theta) + 0.0065, z * std::sin(theta) + 0.006};
}

LocationHelper::Point LocationHelper::bd09_to_gcj02(double lon, double lat) {
    const double x = lon - 0.0065;
    const double y = lat - 0.006;
    const double z = std::sqrt(x * x + y * y) - 0.00002 * std::sin(y * k_x_pi);
    const double theta = std::atan2(y, x) - 0.000003 * std::cos(x * k_x_pi);
    return {z * std::cos(theta), z * std::sin(theta)};
}

LocationHelper::Point LocationHelper::wgs84_to_bd09(double lon, double lat) {
    const Point g = wgs84_to_gcj02(lon, lat);
    return gcj02_to_bd09(g[0], g[1]);
}

LocationHelper::Point LocationHelper::bd09_to_wgs84(double lon, double lat) {
    const Point g = bd09_to_gcj02(lon, lat);
    return gcj02_to_wgs84(g[0], g[1]);
}

LocationHelper::Point LocationHelper::wgs84_to_epsg3857(double lon, double lat) {
    // Any number of turns, not only one: 550 is 190 is -170.
    if (std::isfinite(lon))
        lon = std::remainder(lon, 360.0);
    lat = std::clamp(lat, -k_mercator_max_latitude, k_mercator_max_latitude);
    const double x = radians(lon) * k_mercator_radius;
    const double y = std::log(std::tan(pi / 4.0 + radians(lat) / 2.0)) * k_mercator_radius;
    return {std::clamp(x, -k_mercator_limit, k_mercator_limit),
            std::clamp(y, -k_mercator_limit, k_mercator_limit)};
}

LocationHelper::Point LocationHelper::espg3857_to_wgs84(double x, double y) {
    const double lon = x * 180.0 / (pi * k_mercator_radius);
    const double lat = (pi / 2.0 - 2.0 * std::atan(std::exp(-y / k_mercator_radius))) * 180.0 / pi;
    return {lon, lat};
}

LocationHelper::Point LocationHelper::transform(double lon, double lat) {
    return wgs84_to_gcj02(lon, lat);
}

double LocationHelper::distance(double lon1, double lat1, double lon2, double lat2) {
    // Haversine form: the same great circle as the spherical law of cosines,
    // without its loss of precision for points close together.
    const double p1 = radians(lat1), p2 = radians(lat2);
    const double dp = p2 - p1, dl = radians(lon2 - lon1);
    const double a = std::sin(dp / 2) * std::sin(dp / 2) +
                     std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 2.0 * std::asin(std::sqrt(std::clamp(a, 0.0, 1.0))) * k_krasovsky_radius;
}

} // namespace Dizezida::Dovodarud::Helpers
