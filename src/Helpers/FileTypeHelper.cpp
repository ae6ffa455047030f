#include "Helpers/FileTypeHelper.hpp"

#include "Contracts/Log/Printf.hpp"
#include "core/Precondition.hpp"

#include <gio/gio.h>
#include <nlohmann/json.hpp>

#include <charconv>
#include <cstring>
#include <optional>

namespace Dizezida::Dovodarud::Helpers {
namespace {

using Contracts::Log::printf_text;

/// The types every installation knows, in the format of the resource. The
/// weak two-byte signs (gzip, bmp) come last, after the longer ones.
constexpr std::string_view k_built_in = R"({
  "png":  {"mime": "image/png", "signs": ["0,89504E470D0A1A0A"]},
  "jpeg": {"mime": "image/jpeg", "signs": ["0,FFD8FF"]},
  "gif":  {"mime": "image/gif", "signs": ["0,474946383761", "0,474946383961"]},
  "webp": {"mime": "image/webp", "signs": ["8,57454250"]},
  "tiff": {"mime": "image/tiff", "signs": ["0,49492A00", "0,4D4D002A"]},
  "pdf":  {"mime": "application/pdf", "signs": ["0,255044462D"]},
  "zip":  {"mime": "application/zip", "signs": ["0,504B0304", "0,504B0506", "0,504B0708"]},
  "7z":   {"mime": "application/x-7z-compressed", "signs": ["0,377ABCAF271C"]},
  "xz":   {"mime": "application/x-xz", "signs": ["0,FD377A585A00"]},
  "bz2":  {"mime": "application/x-bzip2", "signs": ["0,425A68"]},
  "gzip": {"mime": "application/gzip", "signs": ["0,1F8B"]},
  "bmp":  {"mime": "image/bmp", "signs": ["0,424D"]}
})";

/// A sign ("offset,HEX") as a pattern; nothing when it has another shape:
/// no comma or more than one, an offset that is not a decimal number that
/// fits, no bytes, an odd count of digits or a digit that is not hexadecimal.
std::optional<FileTypeHelper::Pattern> parse_sign(std::string_view sign) {
    const std::size_t comma = sign.find(',');
    if (comma == std::string_view::npos || sign.find(',', comma + 1) != std::string_view::npos)
        return std::nullopt;
    const std::string_view offset = sign.substr(0, comma);
    const std::string_view hex = sign.substr(comma + 1);
    if (offset.empty() || hex.empty() || hex.size() % 2 != 0)
        return std::nullopt;
    FileTypeHelper::Pattern pattern;
    const auto [end, status] =
        std::from_chars(offset.data(), offset.data() + offset.size(), pattern.offset);
    if (status != std::errc() || end != offset.data() + offset.size())
        return std::nullopt;
    pattern.bytes.reserve(hex.size() / 2);
    for (std::size_t at = 0; at < hex.size(); at += 2) {
        const int high = g_ascii_xdigit_value(hex[at]);
        const int low = g_ascii_xdigit_value(hex[at + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        pattern.bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return pattern;
}

/// The entry of one member of the signature object; nothing when its value
/// is not an object or has no string "mime".
std::optional<FileTypeHelper::Signature> read_entry(const std::string& name,
                                                    const nlohmann::ordered_json& value) {
    if (!value.is_object())
        return std::nullopt;
    const auto mime = value.find("mime");
    if (mime == value.end() || !mime->is_string()) {
        Core::platform_warning(
            printf_text("file type %s has no mime text; left out", name.c_str()));
        return std::nullopt;
    }
    FileTypeHelper::Signature entry{name, mime->get<std::string>(), {}, {}};
    const auto signs = value.find("signs");
    if (signs == value.end() || !signs->is_array())
        return entry;
    for (const auto& sign : *signs) {
        if (!sign.is_string()) {
            Core::platform_warning(
                printf_text("file type %s: a sign is not a text; left out", name.c_str()));
            continue;
        }
        const auto& text = sign.get_ref<const std::string&>();
        entry.signs.push_back(text);
        if (auto pattern = parse_sign(text))
            entry.patterns.push_back(std::move(*pattern));
        else
            Core::platform_warning(printf_text(
                "file type %s: sign \"%s\" is not an offset and hexadecimal bytes; left out",
                name.c_str(), text.c_str()));
    }
    return entry;
}

} // namespace

const FileTypeHelper& FileTypeHelper::get_singleton() {
    // Never destroyed: worker threads may still guess while statics are torn down.
    static const FileTypeHelper* const instance = new FileTypeHelper(from_resource());
    return *instance;
}

FileTypeHelper FileTypeHelper::from_resource() {
    GError* error = nullptr;
    GBytes* bytes = g_resources_lookup_data(k_resource_path, G_RESOURCE_LOOKUP_FLAGS_NONE, &error);
    if (bytes == nullptr) {
        if (g_error_matches(error, G_RESOURCE_ERROR, G_RESOURCE_ERROR_NOT_FOUND)) {
            g_error_free(error);
            return built_in();
        }
        // Critical rather than GLib's error level, which would end the process.
        const bool io = error->domain == G_IO_ERROR ||
                        g_error_matches(error, G_RESOURCE_ERROR, G_RESOURCE_ERROR_INTERNAL);
        if (io)
            g_log(nullptr, G_LOG_LEVEL_CRITICAL, "read file type info failed: %s", error->message);
        else
            g_log(nullptr, G_LOG_LEVEL_CRITICAL, "load file type info failed: %s", error->message);
        g_error_free(error);
        return FileTypeHelper();
    }
    gsize size = 0;
    const auto* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
    FileTypeHelper helper = from_json(std::string_view(data ? data : "", data ? size : 0));
    g_bytes_unref(bytes);
    return helper;
}

FileTypeHelper FileTypeHelper::from_json(std::string_view json_text) {
    FileTypeHelper helper;
    const auto root = nlohmann::ordered_json::parse(json_text.begin(), json_text.end(), nullptr,
                                                    /*allow_exceptions=*/false);
    if (!root.is_object()) {
        Core::platform_warning(
            "helper_file_type:99: Failed to load and get file type json root object.");
        return helper;
    }
    if (root.empty()) {
        Core::platform_warning("helper_file_type:107: Root object is empty object");
        return helper;
    }
    for (auto member = root.begin(); member != root.end(); ++member)
        if (auto entry = read_entry(member.key(), member.value()))
            helper.m_signatures.push_back(std::move(*entry));
    return helper;
}

FileTypeHelper FileTypeHelper::built_in() {
    return from_json(k_built_in);
}

std::string FileTypeHelper::guess_file_type(const void* data, std::size_t length) const {
    DIZEZIDA_RETURN_VAL_IF_FAIL(data != nullptr || length == 0, std::string(k_unknown));
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (const Signature& signature : m_signatures)
        for (const Pattern& pattern : signature.patterns)
            if (pattern.offset < length && pattern.bytes.size() < length - pattern.offset &&
                std::memcmp(bytes + pattern.offset, pattern.bytes.data(), pattern.bytes.size()) ==
                    0)
                return signature.mime;
    return k_unknown;
}

} // namespace Dizezida::Dovodarud::Helpers
