#include "Helpers/PasswordHelper.hpp"

#include "Contracts/Crypto/ISymmetricCipher.hpp"
#include "Foundation/Services.hpp"
#include "Helpers/ServiceHelper.hpp"
#include "Supports/Crypto/OpenSSLSymmetricCipher.hpp"
#include "tests/support/OlderPasswordForm.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <map>

using Dizezida::Dovodarud::Contracts::Crypto::byte_view;
using Dizezida::Dovodarud::Contracts::Crypto::Bytes;
using Dizezida::Dovodarud::Contracts::Crypto::ISymmetricCipher;
using Dizezida::Dovodarud::Foundation::Services;
using Dizezida::Dovodarud::Helpers::PasswordHelper;
using Dizezida::Dovodarud::Helpers::ServiceHelper;
using Dizezida::Dovodarud::Supports::Crypto::OpenSSLSymmetricCipher;
using Dizezida::Testing::older_password_form;
using Dizezida::Zozuvoru::Contracts::Server;
using Dizezida::Zozuvoru::Contracts::ServerPtr;

namespace {

class PasswordHelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        Services::initialize();
        Services::register_type<ISymmetricCipher, OpenSSLSymmetricCipher>();
    }

    static ServerPtr server_with_every_password() {
        auto server = Server::create();
        server->set_name("prod");
        server->set_password("pässword 1");
        server->set_ssh_using(true);
        server->set_ssh_password("ssh pass");
        server->set_ssl_using(true);
        server->set_ssl_password("key phrase");
        return server;
    }
};

} // namespace

TEST_F(PasswordHelperTest, EveryFieldRoundTripsAndEncryptsDifferentlyEachTime) {
    const auto server = server_with_every_password();
    ASSERT_TRUE(PasswordHelper::encrypt_password(server));
    for (const std::string* text :
         {&server->password(), &server->ssh_password(), &server->ssl_password()})
        EXPECT_TRUE(text->starts_with("v2:")) << *text;
    EXPECT_EQ(server->password().find("pässword"), std::string::npos);

    const auto again = server_with_every_password();
    ASSERT_TRUE(PasswordHelper::encrypt_password(again));
    EXPECT_NE(again->password(), server->password());

    ASSERT_TRUE(PasswordHelper::decrypt_password(server));
    EXPECT_EQ(server->password(), "pässword 1");
    EXPECT_EQ(server->ssh_password(), "ssh pass");
    EXPECT_EQ(server->ssl_password(), "key phrase");
}

TEST_F(PasswordHelperTest, FieldsNotInUseAndEmptyFieldsAreLeftAlone) {
    auto server = Server::create();
    server->set_ssh_password("plain ssh"); // SSH not in use
    ASSERT_TRUE(PasswordHelper::encrypt_password(server));
    EXPECT_EQ(server->password(), "");
    EXPECT_EQ(server->ssh_password(), "plain ssh");
    ASSERT_TRUE(PasswordHelper::decrypt_password(server));
    EXPECT_EQ(server->ssh_password(), "plain ssh");
    EXPECT_FALSE(PasswordHelper::encrypt_password(nullptr));
}

TEST_F(PasswordHelperTest, AnotherUserOrHostReadsNothingAndChangesNothing) {
    const PasswordHelper::KeyMaterial mine{"alice", "workstation"};
    for (const PasswordHelper::KeyMaterial& other :
         {PasswordHelper::KeyMaterial{"bob", "workstation"},
          PasswordHelper::KeyMaterial{"alice", "laptop"}}) {
        const auto server = server_with_every_password();
        ASSERT_TRUE(PasswordHelper::encrypt_password(server, mine));
        const auto stored = server->clone();
        EXPECT_FALSE(PasswordHelper::decrypt_password(server, other));
        EXPECT_TRUE(Dizezida::Core::same_properties(*server, *stored));
        EXPECT_TRUE(PasswordHelper::decrypt_password(server, mine));
        EXPECT_EQ(server->ssl_password(), "key phrase");
    }
}

TEST_F(PasswordHelperTest, AllFieldsOrNone) {
    const PasswordHelper::KeyMaterial key{"alice", "workstation"};
    const auto server = server_with_every_password();
    ASSERT_TRUE(PasswordHelper::encrypt_password(server, key));
    // One field that does not decrypt keeps the others protected too.
    for (const std::string& broken : std::vector<std::string>{
             "plain-text", "v2:AAAA", "v2:" + server->password().substr(3, 20) + "====", ""}) {
        const auto copy = server->clone();
        std::string tampered = server->ssl_password();
        tampered[tampered.size() / 2] = tampered[tampered.size() / 2] == 'A' ? 'B' : 'A';
        copy->set_ssl_password(broken.empty() ? tampered : broken);
        const auto before = copy->clone();
        EXPECT_FALSE(PasswordHelper::decrypt_password(copy, key)) << broken;
        EXPECT_TRUE(Dizezida::Core::same_properties(*copy, *before)) << broken;
    }
}

TEST_F(PasswordHelperTest, OlderBareBase64FormStillReads) {
    const PasswordHelper::KeyMaterial key{"alice", "db1"};
    auto server = Server::create();
    server->set_password(older_password_form(Bytes{'o', 'l', 'd', ' ', 'o', 'n', 'e'}, key));
    server->set_ssl_using(true);
    server->set_ssl_password(older_password_form(Bytes{'p', 'h', 'r', 'a', 's', 'e'}, key));
    ASSERT_TRUE(PasswordHelper::decrypt_password(server, key));
    EXPECT_EQ(server->password(), "old one");
    EXPECT_EQ(server->ssl_password(), "phrase");

    // What the older form cannot tell by itself: a plain password that is
    // valid Base64, or bytes that decrypt with a fitting padding but are no
    // text, are not taken for decrypted passwords.
    for (const std::string& text :
         {std::string("Tr0ub4dor3"), std::string("AAAAAAAAAAAAAAAAAAAAAA=="),
          older_password_form(Bytes{'o', 'k', 0x01, 0x02, 0xff, 0xfe}, key),
          older_password_form(Bytes{'t', 'a', 'b', '\t'}, key)}) {
        auto plain = Server::create();
        plain->set_password(text);
        EXPECT_FALSE(PasswordHelper::decrypt_password(plain, key)) << text;
        EXPECT_EQ(plain->password(), text);
    }
}

TEST_F(PasswordHelperTest, ServiceHelperGivesOnlyWhatWasRegistered) {
    EXPECT_NE(ServiceHelper::cipher(), nullptr);
    EXPECT_EQ(ServiceHelper::cipher(), ServiceHelper::cipher()); // one shared object
    EXPECT_EQ(ServiceHelper::pubkey(), nullptr);
    EXPECT_EQ(ServiceHelper::servers(), nullptr);
    EXPECT_EQ(ServiceHelper::setting(), nullptr);
}

TEST(PasswordHelper, GeneratedPasswordsUseTheFourClassesEvenly) {
    const std::string classes[] = {"1234567890", "~!@#$%^&*<>;:,?", "aeiouAEIOU",
                                   "bcdfghjklmnpqrstvwxyzBCDFGHJKLMNPQRSTVWXYZ"};
    EXPECT_EQ(PasswordHelper::generate_password(0), "");
    EXPECT_EQ(PasswordHelper::generate_password(-5), "");
    EXPECT_EQ(PasswordHelper::generate_password(12).size(), 12u);
    EXPECT_NE(PasswordHelper::generate_password(32), PasswordHelper::generate_password(32));

    const std::string many = PasswordHelper::generate_password(40000);
    ASSERT_EQ(many.size(), 40000u);
    std::map<char, int> seen;
    int per_class[4] = {};
    for (const char c : many) {
        ++seen[c];
        int found = -1;
        for (int k = 0; k < 4; ++k)
            if (classes[k].find(c) != std::string::npos)
                found = k;
        ASSERT_NE(found, -1) << "unexpected character " << c;
        ++per_class[found];
    }
    // Each class a quarter of the time; each character of a class alike.
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(per_class[k], 10000, 600) << classes[k];
        for (const char c : classes[k])
            EXPECT_NEAR(seen[c], 10000.0 / static_cast<double>(classes[k].size()),
                        10000.0 / static_cast<double>(classes[k].size()) * 0.35)
                << c;
    }
}
