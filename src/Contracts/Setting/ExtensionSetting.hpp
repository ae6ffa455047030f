// Extensions.
//
// One group of the user's settings (see UserSetting). Every property is
// readable and writable; setting a different value notifies observers.
// Not synchronised: one thread at a time.
#pragma once

#include "core/DateTime.hpp"
#include "core/Object.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace Dizezida::Dovodarud::Setting {

class ExtensionSetting : public Core::Object {
    DIZEZIDA_OBJECT(ExtensionSetting)
public:
    /// The JSON member of the settings file that holds this group.
    static constexpr const char* k_key = "extension";

    std::string loaded_plugins() const { return m_loaded_plugins; }
    void set_loaded_plugins(std::string value) {
        assign_and_notify(m_loaded_plugins, std::move(value), "loaded-plugins");
    }

private:
    std::string m_loaded_plugins = "";
};

} // namespace Dizezida::Dovodarud::Setting
