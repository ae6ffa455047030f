#include "Supports/Data/Extractors/DsvExtractor.hpp"

#include "Contracts/Database/IConnection.hpp"
#include "core/AtomicFile.hpp"

#include "core/Properties.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/IProvider.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <fmt/format.h>
#include <glib.h>

#include <cerrno>
#include <fstream>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

namespace {

constexpr std::size_t k_read_block = std::size_t{1} << 20;

bool is_utf8(std::string encoding) {
    for (char& c : encoding)
        c = static_cast<char>(g_ascii_toupper(c));
    return encoding == "UTF-8" || encoding == "UTF8";
}

/// Converts a file's bytes to UTF-8 block by block; a character cut by the
/// end of a block waits for the next one.
class ToUtf8 {
public:
    ~ToUtf8() {
        if (m_converter != reinterpret_cast<GIConv>(-1))
            g_iconv_close(m_converter);
    }
    [[nodiscard]] Core::Result<void> open(const std::string& encoding) {
        m_encoding = encoding;
        m_converter = g_iconv_open("UTF-8", encoding.c_str());
        if (m_converter == reinterpret_cast<GIConv>(-1))
            return Core::fail(extractor_error(
                ExtractorError::Options, fmt::format("cannot read the character set {}", encoding)));
        return {};
    }
    [[nodiscard]] Core::Result<std::string> convert(std::string_view block, bool last) {
        m_pending.append(block);
        std::string out(m_pending.size() * 4 + 16, '\0');
        gchar* in = m_pending.data();
        gsize in_left = m_pending.size();
        gchar* to = out.data();
        gsize out_left = out.size();
        while (in_left > 0) {
            if (g_iconv(m_converter, &in, &in_left, &to, &out_left) != static_cast<gsize>(-1))
                continue;
            if (errno == EINVAL && !last)
                break; // the rest of a character comes with the next block
            return Core::fail(extractor_error(
                ExtractorError::Row,
                fmt::format("the file is not valid {} text (at byte {})", m_encoding,
                            m_offset + static_cast<std::size_t>(in - m_pending.data()))));
        }
        const std::size_t used = static_cast<std::size_t>(in - m_pending.data());
        m_offset += used;
        m_pending.erase(0, used);
        out.resize(out.size() - out_left);
        return out;
    }

private:
    GIConv m_converter = reinterpret_cast<GIConv>(-1);
    std::string m_encoding;
    std::string m_pending;
    std::size_t m_offset = 0;
};

} // namespace

Core::Result<std::uint64_t> DsvExtractor::export_to_text(const TableModel& model,
                                                         std::string& buffer,
                                                         const RowProgressCallback& progress) {
    return export_rows(model, buffer, progress);
}

Core::Result<std::string> DsvExtractor::begin_rows(const TableModel& model) {
    auto marks = DsvMarks::from_options(get_options());
    if (!marks)
        return Core::fail(std::move(marks).error());
    m_marks = std::move(*marks);
    DIZEZIDA_TRY(require_columns(model));
    m_single_column = model.get_column_count() == 1;
    std::string header;
    if (!m_marks.has_header)
        return header;
    header += m_marks.row_prefix;
    for (std::size_t column = 0; column < model.get_column_count(); ++column) {
        if (column > 0)
            header += m_marks.column;
        const std::string& name = model.get_columns()[column]->get_name();
        m_marks.append_text(header, name, m_single_column && name == "\\.");
    }
    header += m_marks.row_suffix;
    header += m_marks.row_end;
    return header;
}

void DsvExtractor::append_row(const TableModel& model, std::size_t index, std::uint64_t,
                              std::string& out) {
    out += m_marks.row_prefix;
    const std::size_t columns = model.get_column_count();
    for (std::size_t column = 0; column < columns; ++column) {
        if (column > 0)
            out += m_marks.column;
        if (model.is_null_at(index, column))
            out += m_marks.null_value;
        else {
            const std::string_view text = model.get_text_view_at(index, column, m_scratch);
            m_marks.append_text(out, text, m_single_column && text == "\\.");
        }
    }
    out += m_marks.row_suffix;
    out += m_marks.row_end;
}

std::string DsvExtractor::build_dsv_from_row(const TableModel& model, std::size_t index) {
    std::string row;
    append_row(model, index, index + 1, row);
    return row;
}

Core::Result<void> DsvExtractor::read_rows(const std::function<Core::Result<bool>(DsvReader&)>& feed,
                                           const RecordSink& sink, bool for_import) {
    auto marks = DsvMarks::from_options(get_options());
    if (!marks)
        return Core::fail(std::move(marks).error());
    const bool has_header = marks->has_header;
    DsvReader reader(std::move(*marks));
    std::vector<std::string> sources;
    if (for_import)
        sources = split_columns(option("COLUMNS"));
    bool first = true;
    for (bool more_input = true;;) {
        auto row = reader.next();
        if (!row)
            return Core::fail(std::move(row).error());
        if (!*row) {
            if (!more_input)
                return {};
            auto fed = feed(reader);
            if (!fed)
                return Core::fail(std::move(fed).error());
            more_input = *fed;
            continue;
        }
        std::vector<Field>& fields = **row;
        if (std::exchange(first, false)) {
            if (sources.empty()) {
                for (std::size_t i = 0; i < fields.size(); ++i)
                    sources.push_back(has_header ? fields[i].value_or(std::string())
                                                 : fmt::format("C{}", i));
            }
            if (has_header)
                continue;
        }
        auto go_on = sink(reader.row_number(), sources, fields);
        if (!go_on)
            return Core::fail(std::move(go_on).error());
        if (!*go_on)
            return {};
    }
}

Core::Result<void> DsvExtractor::read_text(std::string_view text, const RecordSink& sink,
                                           bool for_import) {
    return read_rows(
        [text](DsvReader& reader) -> Core::Result<bool> {
            reader.feed(text, true);
            return false;
        },
        sink, for_import);
}

Core::Result<void> DsvExtractor::read_file(const std::string& filename, const RecordSink& sink,
                                           bool for_import) {
    std::ifstream file(filename, std::ios::binary);
    if (!file)
        return Core::fail(
            Core::file_error(errno ? errno : ENOENT, fmt::format("Cannot open {}", filename)));
    const std::string encoding = option("ENCODING");
    ToUtf8 converter;
    const bool convert = !encoding.empty() && !is_utf8(encoding);
    if (convert)
        DIZEZIDA_TRY(converter.open(encoding));
    std::string block(k_read_block, '\0');
    return read_rows(
        [&](DsvReader& reader) -> Core::Result<bool> {
            file.read(block.data(), static_cast<std::streamsize>(block.size()));
            const auto got = static_cast<std::size_t>(file.gcount());
            if (file.bad())
                return Core::fail(Core::file_error(EIO, fmt::format("Cannot read {}", filename)));
            const bool last = got < block.size();
            std::string_view data(block.data(), got);
            if (!convert) {
                reader.feed(data, last);
                return !last;
            }
            auto converted = converter.convert(data, last);
            if (!converted)
                return Core::fail(std::move(converted).error());
            reader.feed(*converted, last);
            return !last;
        },
        sink, for_import);
}

std::optional<Core::Result<std::uint64_t>>
DsvExtractor::export_by_copy(Contracts::Database::IConnection& connection, std::string_view sql,
                             const std::function<Core::Result<void>(std::string_view)>& sink) {
    auto marks = DsvMarks::from_options(get_options());
    if (!marks)
        return Core::Result<std::uint64_t>(Core::fail(std::move(marks).error()));
    const auto options = marks->copy_options();
    if (!options)
        return std::nullopt;
    auto rows = connection.get_provider()->copy_out(
        fmt::format("COPY ({}) TO STDOUT ({})", sql, *options), sink);
    if (!rows)
        return Core::Result<std::uint64_t>(Core::fail(std::move(rows).error()));
    return Core::Result<std::uint64_t>(static_cast<std::uint64_t>(*rows));
}

const Core::TypeInfo& DsvExtractor::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<DsvExtractor, ImportingExtractor>(
        "DizezidaDovodarudSupportsDataExtractorsDsvExtractor");
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Data::Extractors::DsvExtractor)
