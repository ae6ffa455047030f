// The root of the user's settings: seven groups, stored in one JSON file.
//
// The file holds one JSON object with a member per group, in the order
// "general", "editor", "datagrid", "network", "logging", "datatool",
// "extension", each a JSON object with a member per property of the group
// (see IJsonSerializer for how values are written and read). A missing member
// keeps the initial value of a new object.
//
// `save` never leaves a half-written file: it writes a temporary file in the
// same folder, flushes it to disk and renames it over the old one. The file
// is private to the user (mode 0600). A file that does not parse is renamed
// with a ".bak" suffix (and a warning logged) instead of being overwritten
// by the next save.
//
// Not synchronised: one thread at a time.
#pragma once

#include "Contracts/Serialization/IJsonSerializer.hpp"
#include "Contracts/Setting/DataGridSetting.hpp"
#include "Contracts/Setting/DataToolSetting.hpp"
#include "Contracts/Setting/EditorSetting.hpp"
#include "Contracts/Setting/ExtensionSetting.hpp"
#include "Contracts/Setting/GeneralSetting.hpp"
#include "Contracts/Setting/LoggingSetting.hpp"
#include "Contracts/Setting/NetworkSetting.hpp"
#include "core/Error.hpp"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Setting {

class UserSetting : public Core::Object {
    DIZEZIDA_OBJECT(UserSetting)
public:
    /// Error domain and code of a file that parses but is no settings object.
    static constexpr const char* k_error_domain = "UserSetting";
    static constexpr int k_error_load = -2;
    static constexpr int k_error_no_file = -1;

    UserSetting();
    ~UserSetting() override;

    std::shared_ptr<GeneralSetting> general() const { return m_general; }
    std::shared_ptr<EditorSetting> editor() const { return m_editor; }
    std::shared_ptr<DataGridSetting> datagrid() const { return m_datagrid; }
    std::shared_ptr<NetworkSetting> network() const { return m_network; }
    std::shared_ptr<LoggingSetting> logging() const { return m_logging; }
    std::shared_ptr<DataToolSetting> datatool() const { return m_datatool; }
    std::shared_ptr<ExtensionSetting> extension() const { return m_extension; }

    /// The group stored under a member name ("general", ...); null if none.
    Core::ObjectPtr group(std::string_view key) const;

    /// "$XDG_CONFIG_HOME/dizezida/settings.json" ($HOME/.config when the
    /// variable is unset, empty or not an absolute path); read afresh on
    /// every call.
    static std::string default_filename();

    /// The file named at the last `load` (or `set_filename`).
    const std::string& filename() const { return m_filename; }
    void set_filename(std::string filename) { m_filename = std::move(filename); }

    /**
     * Reads `filename` and replaces every group by the one read from it.
     * On failure the groups stay as they were: a missing file gives GLib's
     * file error, text that is not JSON a "JSON" error (and the file is kept
     * as "<filename>.bak"), JSON that is not an object the "UserSetting"
     * error -2.
     */
    [[nodiscard]] Core::Result<void> load(const std::string& filename);

    /// Writes the file named at `load`; the "UserSetting" error -1 when no
    /// file was named.
    [[nodiscard]] Core::Result<void> save() const;

    /// The whole settings tree as it is written to the file.
    Contracts::Serialization::Json to_json() const;
    /// Replaces every group by one read from the member of the same name;
    /// a missing member or one that is not an object gives a new group.
    void apply_json(const Contracts::Serialization::Json& json);

    /// The JSON value of "group.key" as the file holds it; the
    /// "UserSetting" error -3 naming the key when there is no such key.
    [[nodiscard]] Core::Result<Contracts::Serialization::Json>
    get_text_value(std::string_view dotted) const;
    /**
     * Sets "group.key" from its text: "true"/"false" for a boolean, a decimal
     * integer within the key's range, a number ("." as the decimal point),
     * any text for a string, ISO 8601 for a date-time ("" for none). An
     * unknown key (-3) or a value of the wrong type (-4) is a "UserSetting"
     * error that names the key and the expected type.
     */
    [[nodiscard]] Core::Result<void> set_text_value(std::string_view dotted, std::string_view text);

    static constexpr int k_error_unknown_key = -3;
    static constexpr int k_error_bad_value = -4;

    /// Every "group.key" name, in file order.
    std::vector<std::string> keys() const;

private:
    std::string m_filename;
    std::shared_ptr<GeneralSetting> m_general;
    std::shared_ptr<EditorSetting> m_editor;
    std::shared_ptr<DataGridSetting> m_datagrid;
    std::shared_ptr<NetworkSetting> m_network;
    std::shared_ptr<LoggingSetting> m_logging;
    std::shared_ptr<DataToolSetting> m_datatool;
    std::shared_ptr<ExtensionSetting> m_extension;
};

/// Writes `text` to `path` through a temporary file in the same folder that
/// is flushed to disk and renamed over the target (a link is followed); the
/// file always gets `mode`, as settings are private.
[[nodiscard]] Core::Result<void> write_file_atomically(const std::string& path,
                                                       std::string_view text, unsigned mode = 0600);

} // namespace Dizezida::Dovodarud::Setting
