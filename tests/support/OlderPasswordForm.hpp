// The older form of a protected password, as files of earlier versions hold
// it: bare Base64 of the AES-256-CBC cipher text. Header-only, for the test
// executables that link the engine.
#pragma once

#include "Helpers/PasswordHelper.hpp"
#include "Supports/Crypto/OpenSSLSymmetricCipher.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <string>

namespace Dizezida::Testing {

inline std::string older_password_form(const Dovodarud::Contracts::Crypto::Bytes& plain,
                                       const Dovodarud::Helpers::PasswordHelper::KeyMaterial& key =
                                           Dovodarud::Helpers::PasswordHelper::machine_key()) {
    Dovodarud::Supports::Crypto::OpenSSLSymmetricCipher cipher;
    EXPECT_TRUE(cipher.initialize(key.user, key.host));
    auto encrypted = cipher.encrypt(plain);
    if (!encrypted) {
        ADD_FAILURE() << encrypted.error().message;
        return {};
    }
    gchar* text = g_base64_encode(encrypted->data(), encrypted->size());
    std::string result(text);
    g_free(text);
    return result;
}

inline std::string older_password_form(std::string_view plain) {
    return older_password_form(Dovodarud::Contracts::Crypto::Bytes(plain.begin(), plain.end()));
}

} // namespace Dizezida::Testing
