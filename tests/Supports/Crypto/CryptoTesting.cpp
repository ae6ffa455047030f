#include "tests/Supports/Crypto/CryptoTesting.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace Dizezida::Testing {

ToolRun run_tool(const std::vector<std::string>& arguments) {
    std::vector<gchar*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<gchar*>(argument.c_str()));
    argv.push_back(nullptr);
    gchar* out = nullptr;
    gchar* err = nullptr;
    gint wait_status = 0;
    GError* error = nullptr;
    ToolRun run;
    if (!g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &out,
                      &err, &wait_status, &error)) {
        ADD_FAILURE() << "cannot run " << arguments.front() << ": " << error->message;
        g_error_free(error);
        return run;
    }
    run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    run.out = out ? out : "";
    run.err = err ? err : "";
    g_free(out);
    g_free(err);
    return run;
}

ScratchFolder::ScratchFolder() {
    char pattern[] = "/tmp/crypto-test-XXXXXX";
    if (!::mkdtemp(pattern))
        ADD_FAILURE() << "mkdtemp failed";
    m_root = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::filesystem::remove_all(m_root);
}

void write_bytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string hex(const unsigned char* bytes, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 15]);
    }
    return text;
}

Bytes pattern(std::size_t size) {
    std::mt19937 generator(12345);
    Bytes bytes(size);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

} // namespace Dizezida::Testing
