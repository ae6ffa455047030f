#include "Supports/Setting/ServerStore.hpp"

#include "Contracts/Serialization/IJsonSerializer.hpp"
#include "Contracts/Setting/UserSetting.hpp"
#include "Helpers/PasswordHelper.hpp"
#include "core/AtomicFile.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>
#include <glib.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace Dizezida::Dovodarud::Supports::Setting {

using Contracts::Serialization::Json;
using Dovodarud::Setting::UserSetting;
using Helpers::PasswordHelper;
using Zozuvoru::Contracts::Server;
using Zozuvoru::Contracts::ServerPtr;
using Zozuvoru::Contracts::ServerSetting;

std::string ServerStore::default_filename() {
    const std::string settings = UserSetting::default_filename();
    return settings.substr(0, settings.rfind('/') + 1) + "servers.json";
}

ServerStore::ServerStore(std::string filename) : m_filename(std::move(filename)) {}

Core::Result<void> ServerStore::load(ServerSetting& servers, Passwords passwords) {
    std::ifstream in(m_filename, std::ios::binary);
    if (!in) {
        if (errno == ENOENT) {
            servers.clear();
            m_sealed.clear();
            return {};
        }
        return Core::fail(Core::file_error(errno, fmt::format("Cannot open {}", m_filename)));
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return Core::fail(Core::file_error(EIO, fmt::format("Cannot read {}", m_filename)));
    const Json root = Json::parse(text.str(), nullptr, false);
    if (root.is_discarded())
        return Core::fail(
            Core::Error::make("JSON", 0, fmt::format("{}: the text is not JSON", m_filename)));
    const auto list = root.is_object() ? root.find("servers") : root.end();
    if (list == root.end() || !list->is_array())
        return Core::fail(Core::Error::make(UserSetting::k_error_domain, UserSetting::k_error_load,
                                            fmt::format("{}: no server list", m_filename)));

    std::vector<ServerPtr> read;
    for (const Json& element : *list) {
        if (!element.is_object()) {
            Core::platform_warning(
                fmt::format("{}: a server entry is not a JSON object; it is skipped", m_filename));
            continue;
        }
        auto server = Server::create();
        Contracts::Serialization::deserialize_properties(element, *server);
        read.push_back(std::move(server));
    }
    m_sealed.clear();
    servers.clear();
    for (ServerPtr& server : read) {
        // A server whose passwords do not decrypt keeps them as stored.
        if (passwords == Passwords::Keep || !PasswordHelper::decrypt_password(server))
            m_sealed.insert_or_assign(server->uuid(), server->clone());
        servers.add(std::move(server));
    }
    return {};
}

Core::Result<void> ServerStore::save(const ServerSetting& servers) const {
    Json list = Json::array();
    for (const ServerPtr& server : servers.get_servers()) {
        const ServerPtr copy = server->clone();
        // Fields still as stored are written back as they are; the rest are
        // plain texts to protect.
        std::vector<std::pair<const PasswordHelper::PasswordField*, std::string>> stored;
        if (const auto sealed = m_sealed.find(copy->uuid()); sealed != m_sealed.end())
            for (const auto& field : PasswordHelper::password_fields()) {
                const std::string& now = ((*copy).*field.get)();
                if (!now.empty() && now == ((*sealed->second).*field.get)()) {
                    stored.emplace_back(&field, now);
                    ((*copy).*field.set)("");
                }
            }
        if (!PasswordHelper::encrypt_password(copy))
            return Core::fail(Core::Error::make(
                "Crypto", -1,
                fmt::format("The passwords of server \"{}\" cannot be protected; {} is unchanged",
                            copy->name(), m_filename)));
        for (const auto& [field, text] : stored)
            ((*copy).*field->set)(text);
        Json element = Json::object();
        Contracts::Serialization::serialize_properties(element, *copy);
        list.push_back(std::move(element));
    }
    Json root = Json::object();
    root["servers"] = std::move(list);

    const std::string folder = m_filename.substr(0, m_filename.rfind('/') + 1);
    if (!folder.empty() && g_mkdir_with_parents(folder.c_str(), 0700) != 0)
        return Core::fail(
            Core::file_error(errno, fmt::format("Cannot create the folder {}", folder)));
    std::string text = Contracts::Serialization::dump_pretty(root);
    text += '\n';
    return Core::write_file_atomically(m_filename, text, 0600, Core::FilePrivacy::private_file);
}

} // namespace Dizezida::Dovodarud::Supports::Setting
