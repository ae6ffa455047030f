// What the cipher tests share: a scratch folder, files, and the `openssl`
// command-line tool run without a shell.
#pragma once

#include "Contracts/Crypto/ISymmetricCipher.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace Dizezida::Testing {

using Dovodarud::Contracts::Crypto::Bytes;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs a program found on PATH with `arguments`; fails the test when it cannot start.
ToolRun run_tool(const std::vector<std::string>& arguments);

/// A fresh folder under /tmp, removed by the destructor.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string path(const std::string& name) const { return (m_root / name).string(); }

private:
    std::filesystem::path m_root;
};

void write_bytes(const std::string& path, const Bytes& bytes);
Bytes read_bytes(const std::string& path);
std::string hex(const unsigned char* bytes, std::size_t size);
/// `size` bytes of a fixed pseudo-random pattern.
Bytes pattern(std::size_t size);

} // namespace Dizezida::Testing
