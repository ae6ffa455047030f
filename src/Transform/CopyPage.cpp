#include "Transform/CopyPage.hpp"

#include "Transform/CopyBinary.hpp"

#include <fmt/format.h>

namespace Dizezida::Dovodarud::Transform {

namespace {

/// Whether `bytes` is UTF-8 text without control characters.
bool readable(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        if (lead < 0x80) {
            if (lead < 0x20 || lead == 0x7f)
                return false;
            ++at;
            continue;
        }
        const std::size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
        if (length == 0 || lead > 0xf4 || at + length > bytes.size())
            return false;
        for (std::size_t next = at + 1; next < at + length; ++next)
            if ((static_cast<unsigned char>(bytes[next]) & 0xc0) != 0x80)
                return false;
        at += length;
    }
    return !bytes.empty();
}

/// A binary field as a message shows it: as it is when it reads as text,
/// else its bytes in hex.
std::string field_text(std::string_view bytes) {
    if (readable(bytes))
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
    if (m_closed) {
        m_data.resize(m_data.size() - CopyBinary::k_trailer.size());
        m_closed = false;
    }
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
