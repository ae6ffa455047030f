#include "Supports/Setting/ServerStore.hpp"

#include "Contracts/Crypto/ISymmetricCipher.hpp"
#include "Contracts/Serialization/IJsonSerializer.hpp"
#include "Foundation/Services.hpp"
#include "Helpers/PasswordHelper.hpp"
#include "Supports/Crypto/OpenSSLSymmetricCipher.hpp"
#include "tests/support/OlderPasswordForm.hpp"

#include <glib.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using namespace Dizezida;
using Dovodarud::Helpers::PasswordHelper;
using Dovodarud::Supports::Setting::ServerStore;
using Zozuvoru::Contracts::Server;
using Zozuvoru::Contracts::ServerPtr;
using Zozuvoru::Contracts::ServerSetting;
namespace fs = std::filesystem;

namespace {

class ServerFile : public ::testing::Test {
protected:
    void SetUp() override {
        Dovodarud::Foundation::Services::initialize();
        Dovodarud::Foundation::Services::register_type<
            Dovodarud::Contracts::Crypto::ISymmetricCipher,
            Dovodarud::Supports::Crypto::OpenSSLSymmetricCipher>();
        char pattern[] = "/tmp/server-store-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_folder = pattern;
        m_path = (m_folder / "config" / "servers.json").string();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string read() const {
        std::ifstream in(m_path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void write(const std::string& text) const {
        fs::create_directories(fs::path(m_path).parent_path());
        std::ofstream(m_path, std::ios::binary) << text;
    }
    /// The stored text of one field of the n-th server in the file.
    std::string stored(std::size_t n, const char* field) const {
        return nlohmann::json::parse(read())["servers"][n][field].get<std::string>();
    }

    static ServerPtr server(const std::string& name, const std::string& password) {
        auto made = Server::create();
        made->set_name(name);
        made->set_host("db.example");
        made->set_password(password);
        made->set_ssl_using(true);
        made->set_ssl_password(password + "-key");
        return made;
    }

    fs::path m_folder;
    std::string m_path;
};

} // namespace

TEST_F(ServerFile, SavedPrivatelyWithoutPlainPasswordsAndReadBack) {
    ServerSetting servers;
    servers.add(server("prod", "s3cret-prod"));
    servers.add(server("test", "s3cret-test"));
    ServerStore store(m_path);
    ASSERT_TRUE(store.save(servers)); // the folder is made too

    const std::string text = read();
    EXPECT_EQ(text.find("s3cret"), std::string::npos);
    EXPECT_TRUE(stored(0, "password").starts_with("v2:"));
    EXPECT_TRUE(stored(1, "ssl-password").starts_with("v2:"));
    struct stat info {};
    ASSERT_EQ(::stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // The caller's records keep their plain texts.
    EXPECT_EQ(servers.find_by_name("prod")->password(), "s3cret-prod");

    ServerSetting loaded;
    ServerStore reader(m_path);
    ASSERT_TRUE(reader.load(loaded));
    ASSERT_EQ(loaded.get_servers().size(), 2u);
    const auto prod = loaded.find_by_name("prod");
    EXPECT_EQ(prod->uuid(), servers.find_by_name("prod")->uuid());
    EXPECT_EQ(prod->host(), "db.example");
    EXPECT_EQ(prod->password(), "s3cret-prod");
    EXPECT_EQ(loaded.find_by_name("test")->ssl_password(), "s3cret-test-key");
    EXPECT_FALSE(reader.is_sealed(prod->uuid()));
}

TEST_F(ServerFile, PasswordsThatDoNotDecryptAreWrittenBackAsTheyWere) {
    // A server saved by another user: its texts cannot be decrypted here.
    auto foreign = server("foreign", "theirs");
    ASSERT_TRUE(PasswordHelper::encrypt_password(foreign, {"someone-else", "elsewhere"}));
    const std::string foreign_password = foreign->password();
    const std::string foreign_key = foreign->ssl_password();
    ServerSetting servers;
    servers.add(foreign);
    servers.add(server("mine", "ours"));
    nlohmann::ordered_json file;
    file["servers"] = nlohmann::ordered_json::array();
    for (const auto& record : servers.get_servers()) {
        auto copy = record->clone();
        if (copy->name() == "mine") {
            ASSERT_TRUE(PasswordHelper::encrypt_password(copy));
        }
        nlohmann::ordered_json element = nlohmann::ordered_json::object();
        Dovodarud::Contracts::Serialization::serialize_properties(element, *copy);
        file["servers"].push_back(element);
    }
    write(file.dump(2));

    ServerSetting loaded;
    ServerStore store(m_path);
    ASSERT_TRUE(store.load(loaded));
    const auto kept = loaded.find_by_name("foreign");
    EXPECT_TRUE(store.is_sealed(kept->uuid()));
    EXPECT_EQ(kept->password(), foreign_password); // kept, not garbage
    EXPECT_EQ(loaded.find_by_name("mine")->password(), "ours");

    // Saved twice: the foreign texts never get encrypted a second time.
    ASSERT_TRUE(store.save(loaded));
    ASSERT_TRUE(store.save(loaded));
    EXPECT_EQ(stored(0, "password"), foreign_password);
    EXPECT_EQ(stored(0, "ssl-password"), foreign_key);

    // A field given a new text is protected afresh; the untouched one stays.
    kept->set_password("new one");
    ASSERT_TRUE(store.save(loaded));
    EXPECT_NE(stored(0, "password"), foreign_password);
    EXPECT_EQ(stored(0, "ssl-password"), foreign_key);
    EXPECT_EQ(read().find("new one"), std::string::npos);
    auto check = Server::create();
    check->set_password(stored(0, "password"));
    ASSERT_TRUE(PasswordHelper::decrypt_password(check));
    EXPECT_EQ(check->password(), "new one");
}

TEST_F(ServerFile, OlderFilesWithBareBase64PasswordsStillWork) {
    write(R"({"servers": [{"uuid": "7d3c", "name": "legacy", "host": "db1", "port": 5433,
                            "username": "me", "password": ")" +
          Testing::older_password_form("legacy pass") +
          R"(", "ssl-using": false, "ssl-password": "unused"}]})");
    ServerSetting loaded;
    ServerStore store(m_path);
    ASSERT_TRUE(store.load(loaded));
    const auto legacy = loaded.find("7d3c");
    ASSERT_NE(legacy, nullptr);
    EXPECT_EQ(legacy->password(), "legacy pass");
    EXPECT_EQ(legacy->port(), 5433u);
    EXPECT_EQ(legacy->ssl_password(), "unused");
    // Saving writes the authenticated form.
    ASSERT_TRUE(store.save(loaded));
    EXPECT_TRUE(stored(0, "password").starts_with("v2:"));
}

TEST_F(ServerFile, KeepingPasswordsProtectedWritesTheSameTexts) {
    ServerSetting servers;
    servers.add(server("prod", "s3cret"));
    ServerStore store(m_path);
    ASSERT_TRUE(store.save(servers));
    const std::string before = stored(0, "password");

    ServerSetting raw;
    ServerStore keeper(m_path);
    ASSERT_TRUE(keeper.load(raw, ServerStore::Passwords::Keep));
    EXPECT_EQ(raw.find_by_name("prod")->password(), before);
    raw.add(server("added", "fresh"));
    ASSERT_TRUE(keeper.save(raw));
    EXPECT_EQ(stored(0, "password"), before);
    EXPECT_TRUE(stored(1, "password").starts_with("v2:"));
}

TEST_F(ServerFile, MissingAndBrokenFiles) {
    ServerSetting servers;
    servers.add(server("kept", "x"));
    ServerStore store(m_path);
    ASSERT_TRUE(store.load(servers)); // no file: an empty list
    EXPECT_TRUE(servers.get_servers().empty());

    servers.add(server("kept", "x"));
    for (const char* text : {"{not json", "[]", R"({"servers": {}})", R"({"other": []})"}) {
        write(text);
        auto loaded = store.load(servers);
        ASSERT_FALSE(loaded) << text;
        EXPECT_EQ(servers.get_servers().size(), 1u) << text;
        EXPECT_EQ(read(), text); // left as it was
    }
    write(R"({"servers": [42, {"name": "only"}]})");
    ASSERT_TRUE(store.load(servers));
    ASSERT_EQ(servers.get_servers().size(), 1u);
    EXPECT_EQ(servers.get_servers()[0]->name(), "only");
}
