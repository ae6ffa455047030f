// Guesses the media type of binary data from its leading bytes.
//
// A FileTypeHelper holds a list of file-type signatures and never changes it
// after construction, so one instance may be read from any number of threads
// at once. The process-wide instance (`get_singleton`) is made on first use,
// from any thread, out of the application resource `k_resource_path`, or out
// of a built-in list of common types when no such resource is registered; it
// is never destroyed.
//
// The signature text is a JSON object: one member per file type, whose value
// holds the string "mime" and the array of strings "signs". A sign is a
// decimal byte offset, a comma and the expected bytes as hexadecimal pairs
// ("0,89504E47"). Signs that do not have this shape are left out with a
// platform warning, when the list is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Helpers {

class FileTypeHelper {
public:
    /// The application resource the process-wide instance reads.
    static constexpr const char* k_resource_path = "/org/gnome/Dizezida/settings/extensions.json";
    /// The result when no signature matches.
    static constexpr const char* k_unknown = "unknown/unknown";

    /// One expected run of bytes at an offset, read from a sign.
    struct Pattern {
        std::size_t offset = 0;
        std::vector<std::uint8_t> bytes;
    };

    /// One file type: its name (the member name), its media type and signs.
    struct Signature {
        std::string name;
        std::string mime;
        std::vector<std::string> signs;
        std::vector<Pattern> patterns; ///< the well-formed signs, in order
    };

    /// The process-wide instance.
    static const FileTypeHelper& get_singleton();

    /// A helper with the signatures of a JSON text (see above). A text whose
    /// root is not an object gives a helper without signatures and a warning.
    static FileTypeHelper from_json(std::string_view json_text);
    /// A helper with the built-in list of common types.
    static FileTypeHelper built_in();

    /**
     * The media type of the first signature, in list order, one of whose
     * signs matches: its bytes stand at its offset and the data goes on
     * beyond them (offset + sign length < length). "unknown/unknown" when
     * none does. `data` may be null only when `length` is 0.
     */
    std::string guess_file_type(const void* data, std::size_t length) const;
    std::string guess_file_type(std::string_view bytes) const {
        return guess_file_type(bytes.data(), bytes.size());
    }

    /// The signatures, in list order.
    const std::vector<Signature>& signatures() const { return m_signatures; }

private:
    FileTypeHelper() = default;
    static FileTypeHelper from_resource();

    std::vector<Signature> m_signatures;
};

} // namespace Dizezida::Dovodarud::Helpers
