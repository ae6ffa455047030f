// Captures what the code under test writes to the platform log (GLib).
#pragma once

#include <string>
#include <vector>

namespace Dizezida::Testing {

/// While alive, collects GLib log messages instead of printing them (critical
/// messages would otherwise abort under G_DEBUG=fatal-criticals).
class PlatformLogCapture {
public:
    PlatformLogCapture();
    ~PlatformLogCapture();
    PlatformLogCapture(const PlatformLogCapture&) = delete;
    PlatformLogCapture& operator=(const PlatformLogCapture&) = delete;

    /// Every captured message, in order.
    std::vector<std::string> messages() const;
    /// Whether some captured message contains `text`.
    bool contains(const std::string& text) const;
};

} // namespace Dizezida::Testing
