#include "Transform/CopyPage.hpp"

#include "Transform/CopyBinary.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace Dizezida::Dovodarud::Transform {

namespace {

/// A binary field as a message shows it: as it is when it reads as text
/// (no control characters), else its bytes in hex.
std::string field_text(std::string_view bytes) {
    const bool readable = !bytes.empty() && std::none_of(bytes.begin(), bytes.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
    if (readable)
        return std::string(bytes);
    std::string hex = "\\x";
    for (const char byte : bytes)
        hex += fmt::format("{:02x}", static_cast<unsigned char>(byte));
    return hex;
}

} // namespace

CopyPage::CopyPage(CopyFormat format) : m_format(format) {
    start();
}

void CopyPage::start() {
    m_data.clear();
    m_ends.clear();
    m_closed = false;
    if (m_format == CopyFormat::binary)
        m_data = CopyBinary::k_header;
    m_start = m_data.size();
}

void CopyPage::clear() {
    start();
}

void CopyPage::add(std::string_view row) {
    m_data.append(row);
    if (m_format == CopyFormat::text)
        m_data.push_back('\n');
    m_ends.push_back(m_data.size());
}

std::string_view CopyPage::data() {
    if (m_format == CopyFormat::binary && !m_closed) {
        m_data.append(CopyBinary::k_trailer);
        m_closed = true;
    }
    return m_data;
}

std::string_view CopyPage::row(std::size_t row) const {
    const std::size_t begin = row == 0 ? m_start : m_ends[row - 1];
    return std::string_view(m_data).substr(begin, m_ends[row] - begin);
}

std::string CopyPage::row_data(std::size_t row) const {
    if (m_format == CopyFormat::text)
        return std::string(this->row(row));
    std::string data(CopyBinary::k_header);
    data.append(this->row(row));
    data.append(CopyBinary::k_trailer);
    return data;
}

std::string CopyPage::row_text(std::size_t row) const {
    const std::string_view bytes = this->row(row);
    if (m_format == CopyFormat::text)
        return std::string(bytes.substr(0, bytes.size() - 1));
    std::string text;
    const int fields = CopyBinary::read_i16(bytes.data());
    for (std::size_t at = 2, field = 0; field < static_cast<std::size_t>(fields); ++field) {
        const std::int32_t length = CopyBinary::read_i32(bytes.data() + at);
        at += 4;
        text += field == 0 ? "(" : ", ";
        if (length < 0) {
            text += "NULL";
            continue;
        }
        text += field_text(bytes.substr(at, static_cast<std::size_t>(length)));
        at += static_cast<std::size_t>(length);
    }
    return text + ")";
}

} // namespace Dizezida::Dovodarud::Transform
