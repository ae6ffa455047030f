// Guesses the character set of bytes.
//
// One process-wide instance (`get_singleton`), made on first use from any
// thread and never destroyed, so detached worker threads may still use it
// while the process ends. It owns one charset detector, which is not
// reentrant: a mutex serialises the detections, so every operation is safe
// to call from several threads at once.
#pragma once

#include "core/Error.hpp"

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Helpers {

class EncodingHelper {
public:
    /// How many leading bytes of a file or stream the detection reads.
    static constexpr std::size_t k_sample_size = 1 << 20;

    /// The process-wide instance.
    static EncodingHelper& get_singleton();

    EncodingHelper(const EncodingHelper&) = delete;
    EncodingHelper& operator=(const EncodingHelper&) = delete;

    /// The charset name the detector finds in the bytes ("UTF-8", "ASCII",
    /// "WINDOWS-1252", ...), or "" when it finds none. `data` may be null
    /// only when `length` is 0.
    std::string detect_buffer(const void* data, std::size_t length);
    std::string detect_buffer(std::string_view bytes) {
        return detect_buffer(bytes.data(), bytes.size());
    }

    /// The charset of the first `k_sample_size` bytes of a file; the error
    /// (GLib's file and IO domains) when it cannot be opened or read.
    [[nodiscard]] Core::Result<std::string> detect_file(const std::string& filename);

    /// The charset of the next `k_sample_size` bytes of a stream, which it
    /// consumes; "" when the stream gives nothing.
    std::string detect_stream(std::istream& stream);

private:
    EncodingHelper();
    ~EncodingHelper();

    struct Detector;
    std::unique_ptr<Detector> m_detector;
};

} // namespace Dizezida::Dovodarud::Helpers
