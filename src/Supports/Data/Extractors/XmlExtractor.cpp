#include "Supports/Data/Extractors/XmlExtractor.hpp"

#include "Supports/Data/Extractors/XmlText.hpp"
#include "core/AtomicFile.hpp"

#include "core/Properties.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <fmt/format.h>
#include <glib.h>
#include <libxml/parser.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlwriter.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

namespace {

constexpr const char* k_text_domain = "dizezida";
constexpr const char* k_records = "RECORDS";
constexpr const char* k_record = "RECORD";
/// No network, no entity substitution, the parser's size limits kept.
constexpr int k_parse_options = XML_PARSE_NONET;

const xmlChar* xml_chars(const std::string& text) {
    return reinterpret_cast<const xmlChar*>(text.c_str());
}

std::string_view text_of(const xmlChar* text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

void initialize_libxml() {
    static const bool initialized = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialized;
}

/// The error of a document that cannot be read ("load xml document failed."
/// and what the parser said).
Core::Error load_error(std::string_view detail = {}) {
    std::string message = g_dgettext(k_text_domain, "load xml document failed.");
    if (!detail.empty())
        message += fmt::format(" {}", detail);
    return Core::Error::make("default", -1, std::move(message));
}

/// The model's column names, duplicates given the first free "_1", "_2" ...
std::vector<std::string> unique_names(const TableModel& model) {
    std::unordered_set<std::string> taken;
    for (const auto& column : model.get_columns())
        taken.insert(column->get_name());
    std::unordered_set<std::string> given;
    std::vector<std::string> names;
    for (const auto& column : model.get_columns()) {
        std::string name = column->get_name();
        if (!given.insert(name).second) {
            for (std::size_t suffix = 1;; ++suffix) {
                name = fmt::format("{}_{}", column->get_name(), suffix);
                if (!taken.contains(name) && given.insert(name).second)
                    break;
            }
        }
        names.push_back(std::move(name));
    }
    return names;
}

// ---- reading ----------------------------------------------------------------------------------

/// One record's fields as the document has them: (name, value), escapes
/// not yet decoded.
using RawRecord = std::vector<std::pair<std::string, std::string>>;
using RecordHandler = std::function<Core::Result<bool>(std::uint64_t number, const RawRecord&)>;

struct ReaderFree {
    void operator()(xmlTextReader* reader) const { xmlFreeTextReader(reader); }
};
struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

/// A streaming reader over one document that walks its records and turns
/// any parser error into a failure.
class DocumentReader {
public:
    DocumentReader() = default;
    DocumentReader(const DocumentReader&) = delete;
    DocumentReader& operator=(const DocumentReader&) = delete;

    [[nodiscard]] static Core::Result<std::unique_ptr<DocumentReader>>
    over_file(const std::string& filename) {
        auto document = std::make_unique<DocumentReader>();
        document->m_file.reset(std::fopen(filename.c_str(), "rb"));
        if (!document->m_file)
            return Core::fail(
                Core::file_error(errno ? errno : ENOENT, fmt::format("Cannot open {}", filename)));
        initialize_libxml();
        document->m_reader.reset(xmlReaderForIO(&DocumentReader::read_block, nullptr,
                                                document->m_file.get(), filename.c_str(), nullptr,
                                                k_parse_options));
        DIZEZIDA_TRY(document->ready());
        return document;
    }

    [[nodiscard]] static Core::Result<std::unique_ptr<DocumentReader>>
    over_text(std::string_view text) {
        if (text.size() > static_cast<std::size_t>(INT_MAX))
            return Core::fail(load_error("(the text is larger than 2 GB)"));
        auto document = std::make_unique<DocumentReader>();
        initialize_libxml();
        document->m_reader.reset(xmlReaderForMemory(text.data(), static_cast<int>(text.size()),
                                                    nullptr, nullptr, k_parse_options));
        DIZEZIDA_TRY(document->ready());
        return document;
    }

    /// Hands each RECORD under the root RECORDS to `handle`, numbered from
    /// 1; stops when it returns false. An error for a document whose root
    /// is not RECORDS or that is not well-formed up to where reading stops.
    [[nodiscard]] Core::Result<void> walk(const RecordHandler& handle) {
        xmlTextReader* reader = m_reader.get();
        std::uint64_t number = 0;
        RawRecord record;
        for (;;) {
            DIZEZIDA_TRY(step());
            if (m_ended)
                return {};
            if (xmlTextReaderNodeType(reader) != XML_READER_TYPE_ELEMENT)
                continue;
            const int depth = xmlTextReaderDepth(reader);
            const std::string_view name = text_of(xmlTextReaderConstName(reader));
            if (depth == 0 && name != k_records)
                return Core::fail(load_error(
                    fmt::format("The root element is <{}>, not <{}>.", name, k_records)));
            if (depth != 1 || name != k_record)
                continue;
            DIZEZIDA_TRY(read_record(record));
            auto go_on = handle(++number, record);
            if (!go_on)
                return Core::fail(std::move(go_on).error());
            if (!*go_on)
                return {};
        }
    }

private:
    static int read_block(void* file, char* buffer, int length) {
        auto* stream = static_cast<std::FILE*>(file);
        const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(length), stream);
        return got == 0 && std::ferror(stream) ? -1 : static_cast<int>(got);
    }

    static void collect_error(void* self, xmlErrorPtr error) {
        auto* document = static_cast<DocumentReader*>(self);
        if (!error || error->level < XML_ERR_ERROR || !document->m_error.empty())
            return;
        std::string message = error->message ? error->message : "unknown error";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        document->m_error = fmt::format("Line {}: {}", error->line, message);
    }

    [[nodiscard]] Core::Result<void> ready() {
        if (!m_reader)
            return Core::fail(load_error());
        xmlTextReaderSetStructuredErrorHandler(m_reader.get(), &DocumentReader::collect_error,
                                               this);
        return {};
    }

    /// Moves to the next node; an error for anything the parser refused.
    [[nodiscard]] Core::Result<void> step() {
        const int got = xmlTextReaderRead(m_reader.get());
        if (got < 0 || !m_error.empty())
            return Core::fail(
                load_error(m_error.empty() ? "The document is not well-formed." : m_error));
        m_ended = got == 0;
        return {};
    }

    /// The fields of the RECORD the reader stands on: its attributes, then
    /// its child elements.
    [[nodiscard]] Core::Result<void> read_record(RawRecord& record) {
        record.clear();
        const bool empty = xmlTextReaderIsEmptyElement(m_reader.get()) == 1;
        load_row_from_attributes(record);
        return empty ? Core::Result<void>() : load_row_from_children(record);
    }

    void load_row_from_attributes(RawRecord& record) {
        xmlTextReader* reader = m_reader.get();
        if (xmlTextReaderHasAttributes(reader) != 1)
            return;
        while (xmlTextReaderMoveToNextAttribute(reader) == 1)
            if (xmlTextReaderIsNamespaceDecl(reader) != 1)
                record.emplace_back(text_of(xmlTextReaderConstName(reader)),
                                    text_of(xmlTextReaderConstValue(reader)));
        xmlTextReaderMoveToElement(reader);
    }

    /// Each child element by its name, with the text it holds at any depth;
    /// reads to the end tag of the RECORD.
    [[nodiscard]] Core::Result<void> load_row_from_children(RawRecord& record) {
        xmlTextReader* reader = m_reader.get();
        const int record_depth = xmlTextReaderDepth(reader);
        std::string* field = nullptr; // the value of the child element being read
        for (;;) {
            DIZEZIDA_TRY(step());
            if (m_ended)
                return Core::fail(load_error("The document ends inside a RECORD."));
            const int type = xmlTextReaderNodeType(reader);
            const int depth = xmlTextReaderDepth(reader);
            if (depth == record_depth)
                return {}; // the end tag of the RECORD
            if (depth == record_depth + 1 && type == XML_READER_TYPE_ELEMENT) {
                record.emplace_back(text_of(xmlTextReaderConstName(reader)), std::string());
                field = xmlTextReaderIsEmptyElement(reader) == 1 ? nullptr : &record.back().second;
            } else if (depth == record_depth + 1 && type == XML_READER_TYPE_END_ELEMENT) {
                field = nullptr;
            } else if (field && (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
                                 type == XML_READER_TYPE_WHITESPACE ||
                                 type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE)) {
                field->append(text_of(xmlTextReaderConstValue(reader)));
            }
        }
    }

    // The file is closed after the reader that reads it is freed.
    std::unique_ptr<std::FILE, FileClose> m_file;
    std::unique_ptr<xmlTextReader, ReaderFree> m_reader;
    std::string m_error;
    bool m_ended = false;
};

using Opener = std::function<Core::Result<std::unique_ptr<DocumentReader>>()>;

/// The field names of all records, decoded, in the order first met.
Core::Result<std::vector<std::string>> field_names(const Opener& open) {
    auto document = open();
    if (!document)
        return Core::fail(std::move(document).error());
    std::vector<std::string> names;
    std::unordered_set<std::string> written;
    std::unordered_set<std::string> decoded;
    DIZEZIDA_TRY(
        (*document)->walk([&](std::uint64_t, const RawRecord& record) -> Core::Result<bool> {
            for (const auto& field : record) {
                if (!written.insert(field.first).second)
                    continue;
                std::string name = decode_xml_text(field.first);
                if (decoded.insert(name).second)
                    names.push_back(std::move(name));
            }
            return true;
        }));
    return names;
}

/**
 * Reads the records as `columns` (index for index): a field a record lacks,
 * or whose text is the written null text, is NULL; fields of other names
 * are passed over, and of two fields with one name the first counts.
 */
Core::Result<void> read_records(const Opener& open, const std::vector<std::string>& columns,
                                const std::string& null_value, const RecordSink& sink) {
    std::string null_text;
    append_xml_text(null_text, null_value);
    std::unordered_map<std::string, std::size_t> position_of;
    for (std::size_t i = 0; i < columns.size(); ++i)
        position_of.try_emplace(columns[i], i);
    constexpr std::size_t k_unread = static_cast<std::size_t>(-1);
    std::unordered_map<std::string, std::size_t> position_written; // by the name as written
    std::vector<Field> fields(columns.size());
    std::vector<char> filled(columns.size());
    auto document = open();
    if (!document)
        return Core::fail(std::move(document).error());
    return (*document)->walk([&](std::uint64_t number,
                                 const RawRecord& record) -> Core::Result<bool> {
        std::fill(fields.begin(), fields.end(), std::nullopt);
        std::fill(filled.begin(), filled.end(), 0);
        for (const auto& [name, value] : record) {
            auto known = position_written.find(name);
            if (known == position_written.end()) {
                const auto found = position_of.find(decode_xml_text(name));
                known = position_written
                            .emplace(name, found == position_of.end() ? k_unread : found->second)
                            .first;
            }
            const std::size_t position = known->second;
            if (position == k_unread || std::exchange(filled[position], 1))
                continue;
            if (null_text.empty() || value != null_text)
                fields[position] = decode_xml_text(value);
        }
        return sink(number, columns, fields);
    });
}

Core::Result<void> read_document(const Opener& open, std::vector<std::string> columns,
                                 const std::string& null_value, const RecordSink& sink) {
    if (columns.empty()) {
        auto names = field_names(open);
        if (!names)
            return Core::fail(std::move(names).error());
        columns = std::move(*names);
    }
    return read_records(open, columns, null_value, sink);
}

} // namespace

// ---- writing ----------------------------------------------------------------------------------

struct XmlExtractor::Writer {
    struct BufferFree {
        void operator()(xmlBuffer* buffer) const { xmlBufferFree(buffer); }
    };
    struct WriterFree {
        void operator()(xmlTextWriter* writer) const { xmlFreeTextWriter(writer); }
    };

    // The writer is freed before the buffer it writes to.
    std::unique_ptr<xmlBuffer, BufferFree> buffer;
    std::unique_ptr<xmlTextWriter, WriterFree> writer;
    std::vector<std::string> names; ///< as written
    bool attributes = false;
    std::string null_value;
    std::string null_text; ///< as written; empty: a NULL is left out
    std::string scratch;
    std::string text;

    /// Moves what the writer has produced to `out`.
    void drain(std::string& out) {
        xmlTextWriterFlush(writer.get());
        out.append(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                   static_cast<std::size_t>(xmlBufferLength(buffer.get())));
        xmlBufferEmpty(buffer.get());
    }
};

XmlExtractor::XmlExtractor(std::string file_extention)
    : ImportingExtractor(std::move(file_extention)) {}

XmlExtractor::~XmlExtractor() = default;

Core::Result<std::uint64_t> XmlExtractor::export_to_text(const TableModel& model,
                                                         std::string& buffer,
                                                         const RowProgressCallback& progress) {
    return export_rows(model, buffer, progress);
}

Core::Result<std::string> XmlExtractor::begin_rows(const TableModel& model) {
    m_writer.reset();
    DIZEZIDA_TRY(require_columns(model));
    auto state = std::make_unique<Writer>();
    state->attributes = option("STORAGE") == "attribute";
    state->null_value = option("NULL_VALUE");
    append_xml_text(state->null_text, state->null_value);
    for (const std::string& name : unique_names(model)) {
        std::string written;
        DIZEZIDA_TRY(append_xml_name(written, name));
        state->names.push_back(std::move(written));
    }
    initialize_libxml();
    state->buffer.reset(xmlBufferCreate());
    if (state->buffer)
        state->writer.reset(xmlNewTextWriterMemory(state->buffer.get(), 0));
    xmlTextWriter* writer = state->writer.get();
    if (!writer || xmlTextWriterSetIndent(writer, 1) < 0 ||
        xmlTextWriterSetIndentString(writer, reinterpret_cast<const xmlChar*>("    ")) < 0 ||
        xmlTextWriterStartDocument(writer, "1.0", "utf-8", nullptr) < 0 ||
        xmlTextWriterStartElement(writer, reinterpret_cast<const xmlChar*>(k_records)) < 0)
        return Core::fail(extractor_error(ExtractorError::Model, "cannot start an XML document"));
    std::string head;
    state->drain(head);
    m_writer = std::move(state);
    return head;
}

void XmlExtractor::append_row(const TableModel& model, std::size_t index, std::uint64_t,
                              std::string& out) {
    if (!m_writer)
        return;
    Writer& state = *m_writer;
    xmlTextWriter* writer = state.writer.get();
    xmlTextWriterStartElement(writer, reinterpret_cast<const xmlChar*>(k_record));
    const std::size_t columns = std::min(model.get_column_count(), state.names.size());
    for (std::size_t column = 0; column < columns; ++column) {
        const std::string* value = &state.null_text;
        if (model.is_null_at(index, column)) {
            if (state.null_text.empty())
                continue;
        } else {
            const std::string_view text = model.get_text_view_at(index, column, state.scratch);
            state.text.clear();
            append_xml_text(state.text, text,
                            !state.null_value.empty() && text == state.null_value);
            value = &state.text;
        }
        const xmlChar* name = xml_chars(state.names[column]);
        if (state.attributes)
            xmlTextWriterWriteAttribute(writer, name, xml_chars(*value));
        else
            xmlTextWriterWriteElement(writer, name, xml_chars(*value));
    }
    xmlTextWriterEndElement(writer);
    state.drain(out);
}

std::string XmlExtractor::end_rows(std::uint64_t) {
    std::string tail;
    if (!m_writer)
        return tail;
    xmlTextWriterEndDocument(m_writer->writer.get()); // closes RECORDS
    m_writer->drain(tail);
    m_writer.reset();
    return tail;
}

// ---- reading ----------------------------------------------------------------------------------

Core::Result<void> XmlExtractor::read_file(const std::string& filename, const RecordSink& sink,
                                           bool for_import) {
    return read_document([&] { return DocumentReader::over_file(filename); },
                         for_import ? split_columns(option("COLUMNS")) : std::vector<std::string>(),
                         option("NULL_VALUE"), sink);
}

Core::Result<void> XmlExtractor::read_text(std::string_view text, const RecordSink& sink,
                                           bool for_import) {
    return read_document([&] { return DocumentReader::over_text(text); },
                         for_import ? split_columns(option("COLUMNS")) : std::vector<std::string>(),
                         option("NULL_VALUE"), sink);
}

const Core::TypeInfo& XmlExtractor::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<XmlExtractor, ImportingExtractor>(
        "DizezidaDovodarudSupportsDataExtractorsXmlExtractor");
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Data::Extractors::XmlExtractor)
