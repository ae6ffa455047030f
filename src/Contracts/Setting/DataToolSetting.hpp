// External tools.
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

class DataToolSetting : public Core::Object {
    DIZEZIDA_OBJECT(DataToolSetting)
public:
    /// The JSON member of the settings file that holds this group.
    static constexpr const char* k_key = "datatool";

    std::string external_editor() const { return m_external_editor; }
    void set_external_editor(std::string value) {
        assign_and_notify(m_external_editor, std::move(value), "external-editor");
    }

private:
    std::string m_external_editor = "";
};

} // namespace Dizezida::Dovodarud::Setting
