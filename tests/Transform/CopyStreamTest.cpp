// COPY streams read back whatever size the blocks they arrive in: a text
// copy's lines and a binary copy's tuples cut at every byte, NULL fields
// and empty ones told apart, a stream cut inside a tuple reported; and
// pages that put a binary tuple under its own header and trailer again.
#include "Transform/CopyBinary.hpp"
#include "Transform/CopyPage.hpp"
#include "Transform/CopyStream.hpp"
#include "tests/support/RefusingProvider.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Dizezida;
using namespace Dizezida::Dovodarud::Transform;

/// Hands `data` to copy_out's sink in blocks of `block` bytes.
class BlockProvider : public Testing::RefusingProvider {
public:
    BlockProvider(std::string data, std::size_t block)
        : RefusingProvider(Core::Error{"provider", 0, "not here"}), m_data(std::move(data)),
          m_block(block) {}
    Core::Result<std::int64_t> copy_out(std::string_view, const CopySink& sink) override {
        for (std::size_t at = 0; at < m_data.size(); at += m_block)
            DIZEZIDA_TRY(sink(std::string_view(m_data).substr(at, m_block)));
        return 0;
    }

private:
    std::string m_data;
    std::size_t m_block;
};

std::string be32(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<char>(bits >> 24), static_cast<char>(bits >> 16),
            static_cast<char>(bits >> 8), static_cast<char>(bits)};
}

/// A tuple of the binary format; nullptr fields are NULL.
std::string tuple(const std::vector<const char*>& fields) {
    std::string bytes{static_cast<char>(fields.size() >> 8), static_cast<char>(fields.size())};
    for (const char* field : fields)
        bytes += field ? be32(static_cast<std::int32_t>(std::strlen(field))) + field : be32(-1);
    return bytes;
}

const std::vector<std::string>& tuples() {
    static const std::vector<std::string> list{tuple({"1", nullptr, ""}),
                                               tuple({"22", "a\nb", "\xff\xff"}),
                                               tuple({std::string(300, 'x').c_str(), "", nullptr})};
    return list;
}

std::string binary_stream(std::string_view extension = {}) {
    std::string data(CopyBinary::k_signature);
    data += be32(0) + be32(static_cast<std::int32_t>(extension.size()));
    data += extension;
    for (const std::string& each : tuples())
        data += each;
    return data + std::string(CopyBinary::k_trailer);
}

std::vector<std::string> read_tuples(std::string data, std::size_t block, Core::Result<void>& end) {
    CopyStream stream(std::make_shared<BlockProvider>(std::move(data), block), "COPY");
    std::vector<std::string> read;
    while (const auto each = stream.next_tuple())
        read.emplace_back(*each);
    end = stream.finish();
    return read;
}

TEST(CopyStream, BinaryTuplesComeWholeFromBlocksCutAnywhere) {
    for (const std::size_t block : {1, 2, 3, 5, 7, 19, 20, 64, 1000}) {
        Core::Result<void> end;
        EXPECT_EQ(read_tuples(binary_stream(), block, end), tuples()) << "blocks of " << block;
        EXPECT_TRUE(end.has_value()) << block;
        // A header extension is skipped, whatever it holds.
        EXPECT_EQ(read_tuples(binary_stream("ext\xff"), block, end), tuples()) << block;
    }
}

TEST(CopyStream, ABinaryStreamCutShortOrWithoutSignatureFails) {
    std::string data = binary_stream();
    data.resize(data.size() - 2 - 10); // no trailer, the last tuple cut
    Core::Result<void> end;
    const auto read = read_tuples(data, 3, end);
    EXPECT_EQ(read.size(), 2u);
    ASSERT_FALSE(end.has_value());
    EXPECT_NE(end.error().message.find("cut short"), std::string::npos) << end.error().message;

    const auto none = read_tuples("PGCOPY\nxx" + std::string(20, '\0'), 4, end);
    EXPECT_TRUE(none.empty());
    EXPECT_FALSE(end.has_value());
}

TEST(CopyStream, TextLinesComeWholeFromBlocksCutAnywhere) {
    const std::string data = "1\t\\N\t\n22\ta\\nb\t" + std::string(300, 'x') + "\n\n3\n";
    for (const std::size_t block : {1, 2, 7, 1000}) {
        CopyStream stream(std::make_shared<BlockProvider>(data, block), "COPY");
        std::vector<std::string> lines;
        while (const auto line = stream.next_line())
            lines.emplace_back(*line);
        EXPECT_EQ(lines, (std::vector<std::string>{"1\t\\N\t", "22\ta\\nb\t" + std::string(300, 'x'),
                                                   "", "3"}))
            << block;
    }
}

TEST(CopyPage, BinaryPagesAndRowsCarryHeaderAndTrailer) {
    CopyPage page(CopyFormat::binary);
    for (const std::string& each : tuples())
        page.add(each);
    ASSERT_EQ(page.rows(), 3u);
    EXPECT_EQ(page.data(), binary_stream());
    EXPECT_EQ(page.row_data(1), std::string(CopyBinary::k_header) + tuples()[1] +
                                    std::string(CopyBinary::k_trailer));
    // Readable fields as they are, others in hex.
    EXPECT_EQ(page.row_text(0), "(1, NULL, \\x)");
    EXPECT_EQ(page.row_text(1), "(22, \\x610a62, \\xffff)");
    page.add(tuple({"h\xc3\xa9 \xf0\x9f\x98\x80", "\xc3"}));
    EXPECT_EQ(page.row_text(3), "(h\xc3\xa9 \xf0\x9f\x98\x80, \\xc3)");
    page.clear();
    page.add(tuples()[0]);
    EXPECT_EQ(page.data(), std::string(CopyBinary::k_header) + tuples()[0] +
                               std::string(CopyBinary::k_trailer));

    CopyPage text(CopyFormat::text);
    text.add("a\tb");
    text.add("\\N");
    EXPECT_EQ(text.data(), "a\tb\n\\N\n");
    EXPECT_EQ(text.row_data(1), "\\N\n");
    EXPECT_EQ(text.row_text(0), "a\tb");
}

} // namespace
