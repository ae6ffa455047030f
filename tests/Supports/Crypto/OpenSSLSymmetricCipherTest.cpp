#include "Supports/Crypto/OpenSSLSymmetricCipher.hpp"
#include "tests/Supports/Crypto/CryptoTesting.hpp"

#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <atomic>
#include <thread>

using Dizezida::Dovodarud::Contracts::Crypto::byte_view;
using Dizezida::Dovodarud::Contracts::Crypto::Bytes;
using Dizezida::Dovodarud::Supports::Crypto::OpenSSLSymmetricCipher;
using namespace Dizezida::Testing;

namespace {

/// Key and IV as the password form derives them, computed here from SHA-1
/// directly: D_i = SHA1(SHA1(D_i-1 | pass | salt)), key | iv = D_1 | D_2 | D_3.
struct KeyIv {
    std::string key_hex;
    std::string iv_hex;
};
KeyIv derive(const std::string& pass, const unsigned char (&salt)[8]) {
    std::string material;
    std::string previous;
    while (material.size() < 48) {
        std::string input = previous + pass + std::string(reinterpret_cast<const char*>(salt), 8);
        unsigned char first[SHA_DIGEST_LENGTH], second[SHA_DIGEST_LENGTH];
        SHA1(reinterpret_cast<const unsigned char*>(input.data()), input.size(), first);
        SHA1(first, sizeof first, second);
        previous.assign(reinterpret_cast<const char*>(second), sizeof second);
        material += previous;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(material.data());
    return {hex(bytes, 32), hex(bytes + 32, 16)};
}

std::unique_ptr<OpenSSLSymmetricCipher> initialized(const std::string& pass,
                                                    const std::string& salt) {
    auto cipher = std::make_unique<OpenSSLSymmetricCipher>();
    EXPECT_TRUE(cipher->initialize(pass, salt));
    return cipher;
}

Bytes bytes_of(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

} // namespace

TEST(OpenSSLSymmetricCipher, EverySizeComesBackInBothForms) {
    OpenSSLSymmetricCipher writer, reader;
    ASSERT_TRUE(writer.initialize("alice", "workstation"));
    ASSERT_TRUE(reader.initialize("alice", "workstation"));
    for (const std::size_t size : {0u, 15u, 16u, 17u, 32u, 1u << 20}) {
        const Bytes data = pattern(size);
        auto cipher = writer.encrypt(data);
        ASSERT_TRUE(cipher) << size;
        EXPECT_EQ(cipher->size(), (size / 16 + 1) * 16) << size; // exactly the cipher text
        auto plain = reader.decrypt(*cipher);
        ASSERT_TRUE(plain) << size;
        EXPECT_EQ(*plain, data) << size;

        auto sealed = writer.seal(data);
        ASSERT_TRUE(sealed) << size;
        EXPECT_EQ(sealed->size(), size + 16 + 12 + 16) << size;
        auto opened = reader.unseal(*sealed);
        ASSERT_TRUE(opened) << size;
        EXPECT_EQ(*opened, data) << size;
    }
}

TEST(OpenSSLSymmetricCipher, NothingWorksBeforeInitialize) {
    OpenSSLSymmetricCipher cipher;
    EXPECT_FALSE(cipher.is_initialized());
    const Bytes data = pattern(16);
    for (const auto& result : {cipher.encrypt(data), cipher.decrypt(data), cipher.seal(data),
                               cipher.unseal(pattern(64))}) {
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().domain, "Crypto");
        EXPECT_EQ(result.error().code, -1);
        EXPECT_EQ(result.error().message, "Cipher is not initialized");
    }
}

TEST(OpenSSLSymmetricCipher, CommandLineToolReadsAndWritesTheCbcForm) {
    ScratchFolder folder;
    const std::string plain = "s3cret password ✓";
    // A host name of 8 characters or more: its first 8 bytes are the salt.
    // A shorter one is padded with zero bytes, whatever lies after the text.
    const unsigned char long_salt[8] = {'d', 'a', 't', 'a', 'b', 'a', 's', 'e'};
    const unsigned char short_salt[8] = {'d', 'b', '1', 0, 0, 0, 0, 0};
    for (const auto& [host, salt] :
         {std::pair{"database-host.example", &long_salt}, std::pair{"db1", &short_salt}}) {
        const KeyIv expected = derive("alice", *salt);
        const std::string host_text(host); // a heap copy: nothing readable follows "db1"
        const auto cipher = initialized("alice", host_text);

        auto ours = cipher->encrypt(byte_view(plain));
        ASSERT_TRUE(ours);
        write_bytes(folder.path("ours.bin"), *ours);
        const auto decrypted =
            run_tool({"openssl", "enc", "-d", "-aes-256-cbc", "-K", expected.key_hex, "-iv",
                      expected.iv_hex, "-in", folder.path("ours.bin")});
        EXPECT_EQ(decrypted.status, 0) << decrypted.err;
        EXPECT_EQ(decrypted.out, plain) << host;

        write_bytes(folder.path("plain.txt"), bytes_of(plain));
        const auto encrypted = run_tool({"openssl", "enc", "-aes-256-cbc", "-K", expected.key_hex,
                                         "-iv", expected.iv_hex, "-in", folder.path("plain.txt"),
                                         "-out", folder.path("theirs.bin")});
        ASSERT_EQ(encrypted.status, 0) << encrypted.err;
        auto back = cipher->decrypt(read_bytes(folder.path("theirs.bin")));
        ASSERT_TRUE(back);
        EXPECT_EQ(std::string(back->begin(), back->end()), plain) << host;
    }
}

TEST(OpenSSLSymmetricCipher, AnotherKeyDoesNotDecrypt) {
    const auto writer = initialized("alice", "host-one");
    const auto other_salt = initialized("alice", "host-two");
    const auto other_user = initialized("bob", "host-one");
    const Bytes data = bytes_of("correct horse battery staple");
    auto cbc = writer->encrypt(data);
    ASSERT_TRUE(cbc);
    auto wrong = other_salt->decrypt(*cbc);
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error().message, "Failed to decrypt data finally");

    auto sealed = writer->seal(data);
    ASSERT_TRUE(sealed);
    for (OpenSSLSymmetricCipher* reader : {other_salt.get(), other_user.get()}) {
        auto opened = reader->unseal(*sealed);
        ASSERT_FALSE(opened);
        EXPECT_EQ(opened.error().domain, "Crypto");
    }
}

TEST(OpenSSLSymmetricCipher, SealedBytesAreFreshAndTamperEvident) {
    const auto owner = initialized("alice", "workstation");
    OpenSSLSymmetricCipher& cipher = *owner;
    const Bytes data = pattern(40);
    auto first = cipher.seal(data);
    auto second = cipher.seal(data);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);

    // Any changed bit (salt, nonce, cipher text or tag) or a cut is an error.
    for (std::size_t at = 0; at < first->size(); ++at) {
        Bytes changed = *first;
        changed[at] ^= 0x01;
        EXPECT_FALSE(cipher.unseal(changed)) << "byte " << at;
    }
    for (const std::size_t keep : {0u, 43u, 60u}) {
        const Bytes cut(first->begin(), first->begin() + static_cast<std::ptrdiff_t>(keep));
        EXPECT_FALSE(cipher.unseal(cut)) << keep;
    }
    EXPECT_TRUE(cipher.unseal(*second));
}

TEST(OpenSSLSymmetricCipher, OneObjectServesManyThreads) {
    const auto owner = initialized("alice", "workstation");
    OpenSSLSymmetricCipher& cipher = *owner;
    std::atomic<int> failures = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                if (t == 0) { // initialising again with the same key changes nothing for the others
                    failures += !cipher.initialize("alice", "workstation");
                    continue;
                }
                const Bytes data = pattern(static_cast<std::size_t>(i * 7 + t));
                auto cbc = cipher.encrypt(data);
                auto plain = cbc ? cipher.decrypt(*cbc) : cbc;
                failures += !plain || *plain != data;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    auto sealed = cipher.seal(pattern(10));
    ASSERT_TRUE(sealed);
    EXPECT_TRUE(cipher.unseal(*sealed));
}
