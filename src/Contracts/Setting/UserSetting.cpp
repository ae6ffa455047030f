#include "Contracts/Setting/UserSetting.hpp"

#include "core/AtomicFile.hpp"

#include "core/Precondition.hpp"
#include "core/Properties.hpp"

#include <fmt/format.h>
#include <glib.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace Dizezida::Dovodarud::Setting {

using Contracts::Serialization::Json;

const Core::TypeInfo& UserSetting::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<UserSetting, Object>(
        "DizezidaDovodarudSettingUserSetting", {
                                                   prop("general", &UserSetting::m_general),
                                                   prop("editor", &UserSetting::m_editor),
                                                   prop("datagrid", &UserSetting::m_datagrid),
                                                   prop("network", &UserSetting::m_network),
                                                   prop("logging", &UserSetting::m_logging),
                                                   prop("datatool", &UserSetting::m_datatool),
                                                   prop("extension", &UserSetting::m_extension),
                                               });
    return info;
}

DIZEZIDA_REGISTER_TYPE(UserSetting)

namespace {

using Core::file_error;

/// How the type of a setting is named in error messages.
std::string_view kind_description(Core::ValueKind kind) {
    switch (kind) {
    case Core::ValueKind::Bool:
        return "boolean (true or false)";
    case Core::ValueKind::Int:
        return "32-bit integer";
    case Core::ValueKind::UInt:
        return "32-bit unsigned integer";
    case Core::ValueKind::UInt16:
        return "16-bit unsigned integer (0 to 65535)";
    case Core::ValueKind::Int64:
        return "64-bit integer";
    case Core::ValueKind::UInt64:
        return "64-bit unsigned integer";
    case Core::ValueKind::Double:
        return "number";
    case Core::ValueKind::String:
        return "string";
    case Core::ValueKind::DateTime:
        return "ISO 8601 date-time";
    default:
        return "value";
    }
}

template <class T> std::optional<T> parse_integer(std::string_view text) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<Core::Value> value_from_text(Core::ValueKind kind, std::string_view text) {
    using Core::ValueKind;
    switch (kind) {
    case ValueKind::Bool:
        if (text == "true")
            return Core::Value(true);
        if (text == "false")
            return Core::Value(false);
        return std::nullopt;
    case ValueKind::Int:
        if (auto v = parse_integer<std::int32_t>(text))
            return Core::Value(*v);
        return std::nullopt;
    case ValueKind::UInt:
        if (auto v = parse_integer<std::uint32_t>(text))
            return Core::Value(*v);
        return std::nullopt;
    case ValueKind::UInt16:
        if (auto v = parse_integer<std::uint16_t>(text))
            return Core::Value::of_unsigned(kind, *v);
        return std::nullopt;
    case ValueKind::Int64:
        if (auto v = parse_integer<std::int64_t>(text))
            return Core::Value(*v);
        return std::nullopt;
    case ValueKind::UInt64:
        if (auto v = parse_integer<std::uint64_t>(text))
            return Core::Value(*v);
        return std::nullopt;
    case ValueKind::Double:
        if (auto v = parse_integer<double>(text); v && std::isfinite(*v))
            return Core::Value(*v);
        return std::nullopt;
    case ValueKind::String:
        return Core::Value(std::string(text));
    case ValueKind::DateTime:
        if (text.empty())
            return Core::Value::null_date_time();
        if (auto dt = Core::DateTime::parse_iso8601(text))
            return Core::Value(*dt);
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

} // namespace

Core::Result<void> write_file_atomically(const std::string& path, std::string_view text,
                                         unsigned mode) {
    return Core::write_file_atomically(path, text, mode, Core::FilePrivacy::private_file);
}

UserSetting::UserSetting()
    : m_general(std::make_shared<GeneralSetting>()), m_editor(std::make_shared<EditorSetting>()),
      m_datagrid(std::make_shared<DataGridSetting>()),
      m_network(std::make_shared<NetworkSetting>()), m_logging(std::make_shared<LoggingSetting>()),
      m_datatool(std::make_shared<DataToolSetting>()),
      m_extension(std::make_shared<ExtensionSetting>()) {}

UserSetting::~UserSetting() = default;

Core::ObjectPtr UserSetting::group(std::string_view key) const {
    const Core::Property* property = type().find_property(key);
    if (!property || property->kind != Core::ValueKind::Object)
        return nullptr;
    return property->get(*this).get_object();
}

Json UserSetting::to_json() const {
    Json root = Json::object();
    for (const Core::Property* property : type().properties()) {
        if (property->kind != Core::ValueKind::Object)
            continue;
        Json member = Json::object();
        if (const auto object = property->get(*this).get_object())
            Contracts::Serialization::serialize_properties(member, *object);
        root[std::string(property->name)] = std::move(member);
    }
    return root;
}

void UserSetting::apply_json(const Json& json) {
    for (const Core::Property* property : type().properties()) {
        if (property->kind != Core::ValueKind::Object)
            continue;
        const Core::TypeInfo* group_type = property->object_type();
        Core::ObjectPtr group = group_type ? group_type->create() : nullptr;
        if (!group)
            continue;
        const std::string name(property->name);
        if (const auto it = json.find(name); it != json.end()) {
            if (it->is_object())
                Contracts::Serialization::deserialize_properties(*it, *group);
            else
                Core::platform_warning(fmt::format(
                    "Setting group \"{}\" is not a JSON object: its defaults are used", name));
        }
        property->set(*this, Core::Value(group));
    }
}

Core::Result<void> UserSetting::load(const std::string& filename) {
    m_filename = filename;
    std::ifstream in(filename, std::ios::binary);
    if (!in)
        return Core::fail(
            file_error(errno ? errno : ENOENT, fmt::format("Cannot open {}", filename)));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return Core::fail(file_error(EIO, fmt::format("Cannot read {}", filename)));

    const auto keep_aside = [&filename]() {
        const std::string backup = filename + ".bak";
        if (::rename(filename.c_str(), backup.c_str()) == 0)
            Core::platform_warning(fmt::format(
                "The settings file {} cannot be read; it is kept as {}", filename, backup));
        else
            Core::platform_warning(fmt::format("The settings file {} cannot be read", filename));
    };
    Json root;
    try {
        root = Json::parse(text.str());
    } catch (const Json::exception& e) {
        keep_aside();
        return Core::fail(Core::Error::make("JSON", 0, fmt::format("{}: {}", filename, e.what())));
    }
    if (!root.is_object()) {
        keep_aside();
        return Core::fail(
            Core::Error::make(k_error_domain, k_error_load, "Load user setting file failure"));
    }
    apply_json(root);
    return {};
}

namespace {

struct Located {
    Core::ObjectPtr group;
    const Core::Property* property = nullptr;
};

Core::Result<Located> locate(const UserSetting& setting, std::string_view dotted) {
    const auto dot = dotted.find('.');
    Located found;
    if (dot != std::string_view::npos) {
        found.group = setting.group(dotted.substr(0, dot));
        if (found.group)
            found.property = found.group->type().find_property(dotted.substr(dot + 1));
    }
    if (!found.property)
        return Core::fail(Core::Error::make(UserSetting::k_error_domain,
                                            UserSetting::k_error_unknown_key,
                                            fmt::format("Unknown setting \"{}\"", dotted)));
    return found;
}

} // namespace

Core::Result<Json> UserSetting::get_text_value(std::string_view dotted) const {
    auto found = locate(*this, dotted);
    if (!found)
        return Core::fail(found.error());
    Json group = Json::object();
    Contracts::Serialization::serialize_properties(group, *found->group);
    return group[std::string(found->property->name)];
}

Core::Result<void> UserSetting::set_text_value(std::string_view dotted, std::string_view text) {
    auto found = locate(*this, dotted);
    if (!found)
        return Core::fail(found.error());
    const auto value = value_from_text(found->property->kind, text);
    if (!value)
        return Core::fail(
            Core::Error::make(k_error_domain, k_error_bad_value,
                              fmt::format("Invalid value \"{}\" for setting \"{}\": expected a {}",
                                          text, dotted, kind_description(found->property->kind))));
    found->property->set(*found->group, *value);
    return {};
}

std::string UserSetting::default_filename() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        base = config;
    else
        base = std::string(g_get_home_dir()) + "/.config";
    return base + "/dizezida/settings.json";
}

std::vector<std::string> UserSetting::keys() const {
    std::vector<std::string> names;
    for (const Core::Property* property : type().properties()) {
        const auto object = property->get(*this).get_object();
        if (!object)
            continue;
        for (const Core::Property* member : object->type().properties())
            names.push_back(fmt::format("{}.{}", property->name, member->name));
    }
    return names;
}

Core::Result<void> UserSetting::save() const {
    if (m_filename.empty())
        return Core::fail(
            Core::Error::make(k_error_domain, k_error_no_file, "No settings file named"));
    std::string text = Contracts::Serialization::dump_pretty(to_json());
    text += '\n';
    return write_file_atomically(m_filename, text);
}

} // namespace Dizezida::Dovodarud::Setting
