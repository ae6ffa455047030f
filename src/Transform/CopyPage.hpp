// One page of rows on its way to `COPY ... FROM STDIN`: text lines, or
// tuples of the binary format under their own header and trailer. Keeps
// where each row ends, so that a page the target rejects can be written
// again one row at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Transform {

enum class CopyFormat { text, binary };

class CopyPage {
public:
    explicit CopyPage(CopyFormat format);

    /// Adds a row: a text line without its line end, or a binary tuple.
    void add(std::string_view row);
    std::size_t rows() const { return m_ends.size(); }
    /// The bytes held, for pages cut by size.
    std::size_t size() const { return m_data.size(); }

    /// The whole page as COPY reads it.
    std::string_view data();
    /// Row `row` alone as COPY reads it.
    std::string row_data(std::size_t row) const;
    /// Row `row` as a failure message shows it: its COPY text, or for a
    /// binary tuple each field as it is when it reads as text, else its
    /// bytes in hex (NULL for none).
    std::string row_text(std::size_t row) const;

    /// Empties the page for the next rows.
    void clear();

private:
    std::string_view row(std::size_t row) const;
    void start();

    CopyFormat m_format;
    std::string m_data;
    std::size_t m_start = 0;         ///< where the first row starts
    std::vector<std::size_t> m_ends; ///< where each row ends in m_data
    bool m_closed = false;           ///< the binary trailer is on
};

} // namespace Dizezida::Dovodarud::Transform
