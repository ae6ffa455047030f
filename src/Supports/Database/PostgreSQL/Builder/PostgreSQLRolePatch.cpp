// A role or user edited in place: the diff map (Transform::Patcher's model
// comparison) says what changed, the slice map what it was before.
// Memberships and privileges are parsed from their list texts
// ("name=true,other=false", "SELECT=G,UPDATE=W") and compared item by item.
#include "Supports/Database/PostgreSQL/Builder/PostgreSQLBuilder.hpp"

#include "Model/MetaKeys.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/Scripts/ScriptText.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>

#include <map>

namespace Dizezida::Dovodarud::Supports::Database {

namespace Keys = MetaModel::Keys;

using namespace MetaModel;

namespace {

/// "key=value,key=value" as a map (items without "=" map to "").
std::map<std::string, std::string> pairs(std::string_view text) {
    std::map<std::string, std::string> items;
    for (std::string item : ScriptText::split_list(text, ",")) {
        const auto first = item.find_first_not_of(' ');
        item = first == std::string::npos ? std::string() : item.substr(first);
        if (item.empty())
            continue;
        const std::size_t equals = item.rfind('=');
        if (equals == std::string::npos)
            items.emplace(item, "");
        else
            items.emplace(item.substr(0, equals), item.substr(equals + 1));
    }
    return items;
}

/// A privilege name: upper-case letters and blanks only (never written otherwise).
bool is_keyword(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](char c) { return (c >= 'A' && c <= 'Z') || c == ' '; });
}

std::string slice_of(const MetaObject& object, const std::string& path) {
    const auto found = object.slice().find(path);
    return found == object.slice().end() ? std::string() : found->second;
}

std::string joined_names(const std::vector<std::string>& names) {
    std::vector<std::string> quoted;
    for (const std::string& name : names)
        quoted.push_back(sql_name(name));
    return fmt::format("{}", fmt::join(quoted, ", "));
}

/// GRANT / REVOKE of memberships: `members` lists the roles that are
/// members of `role` ("MEMBERS"), otherwise the roles `role` belongs to.
std::string patch_relation(const std::string& role, std::string_view before,
                           std::string_view after, bool members) {
    const auto old_items = pairs(before);
    const auto new_items = pairs(after);
    std::vector<std::string> revoke, plain, admin;
    for (const auto& [name, flag] : new_items) {
        const auto found = old_items.find(name);
        if (found == old_items.end())
            (flag == "true" ? admin : plain).push_back(name);
        else if (flag == "true" && found->second != "true")
            admin.push_back(name);
        else if (flag != "true" && found->second == "true") {
            revoke.push_back(name);
            plain.push_back(name);
        }
    }
    for (const auto& [name, flag] : old_items)
        if (!new_items.count(name))
            revoke.push_back(name);
    const auto statement = [&](const char* verb, const std::vector<std::string>& names,
                               const char* joiner, const char* tail) {
        if (names.empty())
            return std::string();
        return members ? fmt::format("{} {} {} {}{};\n", verb, role, joiner, joined_names(names), tail)
                       : fmt::format("{} {} {} {}{};\n", verb, joined_names(names), joiner, role, tail);
    };
    return statement("REVOKE", revoke, "FROM", "") + statement("GRANT", plain, "TO", "") +
           statement("GRANT", admin, "TO", " WITH ADMIN OPTION");
}

} // namespace

std::string PostgreSQLBuilder::patch_role_with_user(const Ptr<MetaObject>& meta_object) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(meta_object, std::string());
    auto account = std::dynamic_pointer_cast<MetaRelation>(meta_object);
    DIZEZIDA_RETURN_VAL_IF_NULL(account, std::string());
    const auto& diff = account->diff();
    const auto& attributes = account->get_attributes();
    const auto value = [&](const char* key) { return ScriptText::value_of(attributes, key); };
    const std::string role = sql_name(account->get_name());
    std::string sql;
    if (diff.count("name"))
        sql += "ALTER ROLE " + sql_name(slice_of(*account, "name")) + " RENAME TO " + role + ";\n";

    std::vector<std::string> options;
    const std::pair<const char*, const char*> switches[] = {{Keys::super_user, "SUPERUSER"},
                                                            {Keys::create_database, "CREATEDB"},
                                                            {Keys::create_role, "CREATEROLE"},
                                                            {Keys::inherit, Keys::inherit},
                                                            {Keys::login, "LOGIN"},
                                                            {Keys::replication, "REPLICATION"},
                                                            {Keys::bypass, "BYPASSRLS"}};
    for (const auto& [key, keyword] : switches)
        if (diff.count(std::string("attributes.") + key))
            options.push_back((value(key) == "true" ? "" : std::string("NO")) + keyword);
    if (diff.count("attributes.CONNECTION_LIMIT"))
        options.push_back(fmt::format("CONNECTION LIMIT {}",
                                      std::atoll(value(Keys::role_connection_limit).c_str())));
    if (diff.count("password") && value(Keys::login) == "true")
        options.push_back("PASSWORD " + sql_literal(account->get_password()));
    if (diff.count("attributes.VALID_UNTIL"))
        options.push_back(value(Keys::valid_until).empty()
                              ? std::string("VALID UNTIL 'infinity'")
                              : "VALID UNTIL " + sql_literal(value(Keys::valid_until)));
    if (!options.empty())
        sql += fmt::format("ALTER ROLE {} {};\n", role, fmt::join(options, " "));
    if (diff.count("comment"))
        sql += "COMMENT ON ROLE " + role + " IS " +
               (account->get_comment().empty() ? std::string("NULL")
                                               : sql_literal(account->get_comment())) +
               ";\n";
    for (const auto& [key, members] :
         {std::pair{Keys::roles, false}, std::pair{Keys::members, true}}) {
        const std::string path = std::string("attributes.") + key;
        if (diff.count(path))
            sql += patch_relation(role, slice_of(*account, path), value(key), members);
    }

    // Privileges, object by object: the objects granted before and now.
    const auto& privileges = account->get_privileges();
    std::vector<std::string> objects;
    const std::string before_objects = slice_of(*account, "privileges.OBJECT");
    const std::string after_objects = ScriptText::value_of(privileges, Keys::privilege_objects);
    for (const std::string& text : {before_objects, after_objects})
        for (const auto& [object, unused] : pairs(text))
            if (std::find(objects.begin(), objects.end(), object) == objects.end())
                objects.push_back(object);
    for (const std::string& object : objects) {
        const std::string path = "privileges." + object;
        const std::string target = privilege_target(object);
        if (!diff.count(path) || target.empty())
            continue;
        const auto old_items = pairs(slice_of(*account, path));
        const auto new_items = pairs(ScriptText::value_of(privileges, object));
        std::vector<std::string> revoke, plain, with_grant;
        for (const auto& [privilege, mark] : new_items) {
            if (!is_keyword(privilege))
                continue;
            const auto found = old_items.find(privilege);
            if (found == old_items.end())
                (mark == "W" ? with_grant : plain).push_back(privilege);
            else if (mark == "W" && found->second != "W")
                with_grant.push_back(privilege);
            else if (mark != "W" && found->second == "W") {
                revoke.push_back(privilege);
                plain.push_back(privilege);
            }
        }
        for (const auto& [privilege, mark] : old_items)
            if (!new_items.count(privilege) && is_keyword(privilege))
                revoke.push_back(privilege);
        if (!revoke.empty())
            sql += fmt::format("REVOKE {} ON {} FROM {};\n", fmt::join(revoke, ", "), target, role);
        if (!plain.empty())
            sql += fmt::format("GRANT {} ON {} TO {};\n", fmt::join(plain, ", "), target, role);
        if (!with_grant.empty())
            sql += fmt::format("GRANT {} ON {} TO {} WITH GRANT OPTION;\n",
                               fmt::join(with_grant, ", "), target, role);
    }
    return sql;
}

} // namespace Dizezida::Dovodarud::Supports::Database
