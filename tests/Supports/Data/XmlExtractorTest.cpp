// XML written and read back: awkward values through a server in both
// storage forms, streamed bytes equal to the whole model's, names XML
// cannot carry as they are, NULL apart from the empty text, documents in
// other layouts, and failures that must not pass for success.
#include "Supports/Data/Extractors/XmlExtractor.hpp"
#include "Supports/Data/Extractors/ExportStream.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Model/MetaColumn.hpp"
#include "Model/MetaTable.hpp"
#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLConnection.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/IDataReader.hpp"
#include "provider/Contracts/RowModel.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/ValueScalars.hpp"
#include "tests/support/AwkwardValues.hpp"
#include "tests/support/ProviderTesting.hpp"
#include "tests/support/TestServer.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

namespace {

using namespace Dizezida::Dovodarud::Supports::Data::Extractors;
using Dizezida::Dovodarud::MetaModel::MetaTable;
using Dizezida::Dovodarud::Supports::Database::PostgreSQLConnection;
using Dizezida::Zozuvoru::Contracts::DataType;
using Dizezida::Zozuvoru::Contracts::TableModel;
using Dizezida::Zozuvoru::Contracts::TablePtr;
using Dizezida::Zozuvoru::Contracts::ValuePtr;
using Cells = std::vector<std::optional<std::string>>;

/// A model of text columns; nullopt cells are NULL.
TablePtr text_model(const std::vector<std::string>& names, const std::vector<Cells>& rows) {
    using namespace Dizezida::Zozuvoru::Contracts;
    auto model = TableModel::create();
    for (const std::string& name : names)
        model->add_column(std::make_shared<ColumnModel>(name, DataType::TEXT));
    for (const Cells& cells : rows) {
        auto row = RowModel::create();
        for (const auto& cell : cells)
            row->append_value(cell ? ValuePtr(ValueString::create(*cell, DataType::TEXT))
                                   : ValuePtr(ValueNull::create(DataType::TEXT)));
        model->append(row);
    }
    return model;
}

std::vector<std::string> names_of(const TableModel& model) {
    std::vector<std::string> names;
    for (const auto& column : model.get_columns())
        names.push_back(column->get_name());
    return names;
}

std::vector<Cells> cells_of(const TableModel& model) {
    std::vector<Cells> rows;
    for (std::size_t row = 0; row < model.get_row_count(); ++row) {
        Cells cells;
        for (std::size_t column = 0; column < model.get_column_count(); ++column)
            cells.push_back(model.is_null_at(row, column)
                                ? std::nullopt
                                : std::optional(model.get_text_at(row, column)));
        rows.push_back(std::move(cells));
    }
    return rows;
}

std::string written(XmlExtractor& xml, const TableModel& model) {
    std::string text;
    const auto rows = xml.export_to_text(model, text, {});
    EXPECT_TRUE(rows.has_value()) << (rows ? "" : rows.error().message);
    return text;
}

TablePtr loaded(XmlExtractor& xml, std::string_view text, std::int64_t limit = 0) {
    auto model = xml.load_from_text(text, limit);
    EXPECT_TRUE(model.has_value()) << (model ? "" : model.error().message) << "\n" << text;
    return model ? *model : TableModel::create();
}

constexpr std::array<const char*, 2> k_storages{"element", "attribute"};

TEST(XmlText, NamesXmlCannotCarryAsTheyAreComeBackUnchanged) {
    const std::vector<std::string> names{"?column?", "count(*)", "1st",  "a b",   "x:y",
                                         "_x0041_",  "xmlns",    "中文", "a",     "a",
                                         "a_1",      "-",        ".5",   "_x12_", "_x1234_x"};
    const std::vector<std::string> expected{"?column?", "count(*)", "1st",  "a b",   "x:y",
                                            "_x0041_",  "xmlns",    "中文", "a",     "a_2",
                                            "a_1",      "-",        ".5",   "_x12_", "_x1234_x"};
    Cells row;
    for (std::size_t i = 0; i < names.size(); ++i)
        row.push_back("v" + std::to_string(i));
    for (const char* storage : k_storages) {
        XmlExtractor xml;
        xml.get_options()["STORAGE"] = storage;
        const auto back = loaded(xml, written(xml, *text_model(names, {row})));
        EXPECT_EQ(names_of(*back), expected) << storage;
        EXPECT_EQ(cells_of(*back), std::vector<Cells>{row}) << storage;
    }
}

TEST(XmlText, ControlCharactersInANameAreRefused) {
    XmlExtractor xml;
    for (const std::string& name : {std::string("tab\there"), std::string("new\nline"),
                                    std::string("nul\0", 4), std::string()}) {
        std::string text;
        EXPECT_FALSE(
            xml.export_to_text(*text_model({"ok", name}, {{"1", "2"}}), text, {}).has_value())
            << name;
    }
}

TEST(XmlText, EveryValueAndNullComeBackInBothFormsAndWithEitherNullText) {
    std::string controls;
    for (char c = 1; c < 0x20; ++c)
        controls += c;
    const Cells values{std::nullopt,
                       "",
                       "   ",
                       controls,
                       std::string("nul\0byte", 8),
                       "cr\r lf\n crlf\r\n tab\t end",
                       "\n leading and trailing \t",
                       "_x0041_ _x00000041_ _x41_ _x_ __x0041__",
                       "_x1234\x01 _x1234_\x02 _xABCDEF01\x03",
                       "N",
                       "_x004E_",
                       "<&>\"' ]]> &amp;",
                       "emoji \xF0\x9F\x98\x80 \xEF\xBF\xBE\xEF\xBF\xBF"};
    std::vector<Cells> rows;
    for (const auto& value : values)
        rows.push_back({value, value});
    const auto model = text_model({"a", "b"}, rows);
    for (const char* storage : k_storages)
        for (const char* null_text : {"", "N"}) {
            XmlExtractor xml;
            xml.get_options()["STORAGE"] = storage;
            xml.get_options()["NULL_VALUE"] = null_text;
            const std::string text = written(xml, *model);
            EXPECT_EQ(cells_of(*loaded(xml, text)), rows)
                << storage << " with null text \"" << null_text << "\"\n"
                << text;
        }
}

TEST(XmlText, AttributesWithANullTextWriteItAndReadItAsNull) {
    XmlExtractor xml;
    xml.get_options()["STORAGE"] = "attribute";
    xml.get_options()["NULL_VALUE"] = "N";
    const auto model = text_model({"id", "name"}, {{"1", std::nullopt}, {"", "x"}});
    const std::string text = written(xml, *model);
    EXPECT_NE(text.find("\n    <RECORD id=\"1\" name=\"N\"/>\n"), std::string::npos) << text;
    EXPECT_EQ(cells_of(*loaded(xml, text)), cells_of(*model));

    xml.get_options()["NULL_VALUE"] = "";
    const std::string left_out = written(xml, *model);
    EXPECT_NE(left_out.find("<RECORD id=\"1\"/>"), std::string::npos) << left_out;
    EXPECT_NE(left_out.find("<RECORD id=\"\" name=\"x\"/>"), std::string::npos) << left_out;
    EXPECT_EQ(cells_of(*loaded(xml, left_out)), cells_of(*model));
}

TEST(XmlText, DocumentsInOtherLayoutsReadByName) {
    XmlExtractor xml;
    // One line, no indentation; empty and self-closed fields; fields in
    // another order, missing, repeated or unknown; both forms, mixed; CDATA.
    const std::string text =
        "<?xml version=\"1.0\"?><RECORDS><RECORD><b/></RECORD>"
        "<RECORD><a>1</a><b></b><c>x</c></RECORD>"
        "<RECORD c=\"3\"><b>  two  </b><a>2</a><a>ignored</a></RECORD>"
        "<!-- note --><OTHER><RECORD><a>nested</a></RECORD></OTHER>"
        "<RECORD>\n\t<a><![CDATA[<raw>]]> &amp; <i>in</i>ner</a>\n</RECORD></RECORDS>";
    const auto model = loaded(xml, text);
    EXPECT_EQ(names_of(*model), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(cells_of(*model),
              (std::vector<Cells>{{"", std::nullopt, std::nullopt},
                                  {"", "1", "x"},
                                  {"  two  ", "2", "3"},
                                  {std::nullopt, "<raw> & inner", std::nullopt}}));
    EXPECT_EQ(loaded(xml, text, 2)->get_row_count(), 2u);

    const auto empty = loaded(xml, "<RECORDS/>");
    EXPECT_EQ(empty->get_column_count(), 0u);
    EXPECT_EQ(empty->get_row_count(), 0u);
}

TEST(XmlText, MalformedOrForeignDocumentsFailTheLoad) {
    XmlExtractor xml;
    const std::string good = "<RECORDS><RECORD><a>1</a></RECORD>";
    for (const std::string& text :
         {good + "<RECORD><a>2</b></RECORD></RECORDS>", good + "<RECORD><a>2</a>",
          good + "<RECORD><a>\x01</a></RECORD></RECORDS>", good + "</RECORDS><RECORDS/>",
          std::string("<ROWS><RECORD><a>1</a></RECORD></ROWS>"), std::string(),
          std::string("<RECORDS><RECORD a=\"1\" a=\"2\"/></RECORDS>")}) {
        for (const std::int64_t limit : {0, 1}) {
            const auto model = xml.load_from_text(text, limit);
            ASSERT_FALSE(model.has_value()) << text;
            EXPECT_EQ(model.error().domain, "default");
            EXPECT_EQ(model.error().code, -1);
        }
    }
}

TEST(XmlText, FilesAreWrittenWholeOrNotAtAllAndReadBack) {
    char folder_template[] = "/tmp/dizezida-xml-XXXXXX";
    ASSERT_NE(g_mkdtemp(folder_template), nullptr);
    const std::filesystem::path folder = folder_template;
    const auto model = text_model({"id", "note"}, {{"1", "a\r\nb"}, {"2", std::nullopt}});
    XmlExtractor xml;
    const std::string path = (folder / "rows.xml").string();
    ASSERT_EQ(xml.export_to_file(*model, path, {}).value_or(0), 2u);
    xml.get_options()["FILENAME"] = path;
    const auto back = xml.load_from_file(0);
    ASSERT_TRUE(back.has_value()) << back.error().message;
    EXPECT_EQ(cells_of(**back), cells_of(*model));

    EXPECT_FALSE(
        xml.export_to_file(*model, (folder / "missing" / "rows.xml").string(), {}).has_value());
    const std::string refused = (folder / "refused.xml").string();
    EXPECT_FALSE(xml.export_to_file(*text_model({"a\tb"}, {{"1"}}), refused, {}).has_value());
    EXPECT_FALSE(std::filesystem::exists(refused));
    xml.get_options()["FILENAME"] = (folder / "absent.xml").string();
    EXPECT_FALSE(xml.load_from_file(0).has_value());
    std::filesystem::remove_all(folder);
}

// ---- through a server -------------------------------------------------------------------------

constexpr const char* k_all = "SELECT * FROM awkward ORDER BY id";

class XmlServer : public ::testing::Test {
protected:
    void SetUp() override {
        run(Dizezida::Testing::awkward_table_sql("awkward") +
            ";CREATE TABLE copy (LIKE awkward INCLUDING ALL)");
        auto server = Dizezida::Testing::server_from_conninfo(m_database.conninfo());
        server->set_uuid(Dizezida::Testing::unique_name("xml"));
        m_connection = PostgreSQLConnection::create();
        const auto opened = m_connection->open(server, nullptr);
        ASSERT_TRUE(opened.has_value()) << opened.error().message;
        m_copy = MetaTable::with_names(m_database.name(), "public", "copy");
        ASSERT_TRUE(m_connection->adapter()->fill_meta_table(m_copy, 1).has_value());
        std::string columns;
        for (const auto& column : m_copy->get_columns()) {
            set_source(*column, column->get_name());
            columns += (columns.empty() ? "" : ",") + column->get_name();
        }
        m_xml.get_options()["COLUMNS"] = columns;
        m_xml.get_options()["ACTION"] = "append";
    }
    void TearDown() override { m_connection->close(); }

    Dizezida::Dovodarud::Contracts::Database::IConnection& connection() { return *m_connection; }
    std::string run(const std::string& sql) {
        return Dizezida::Testing::run_sql_on(m_database.conninfo(), sql);
    }
    std::string exported(const std::string& sql) {
        auto model = connection().execute_as_model(sql);
        EXPECT_TRUE(model.has_value());
        std::string text;
        EXPECT_TRUE(model && m_xml.export_to_text(**model, text, {}).has_value());
        return text;
    }
    Dizezida::Core::Result<ImportCounts> import(const std::string& text) {
        return m_xml.import_text(text, connection(), *m_copy, {}, {});
    }
    /// Rows of awkward missing from copy and of copy missing from awkward.
    std::string differences() {
        return run("SELECT (SELECT count(*) FROM (TABLE awkward EXCEPT ALL TABLE copy) x) || '/' ||"
                   " (SELECT count(*) FROM (TABLE copy EXCEPT ALL TABLE awkward) y)");
    }

    Dizezida::Testing::ScratchDatabase m_database{"xml"};
    std::shared_ptr<PostgreSQLConnection> m_connection;
    std::shared_ptr<MetaTable> m_copy;
    XmlExtractor m_xml;
};

TEST_F(XmlServer, AwkwardRowsComeBackUnchangedInBothForms) {
    const auto rows = Dizezida::Testing::awkward_row_count();
    for (const char* storage : k_storages)
        for (const char* null_text : {"", "N"}) {
            run("TRUNCATE copy");
            m_xml.get_options()["STORAGE"] = storage;
            m_xml.get_options()["NULL_VALUE"] = null_text;
            const auto counts = import(exported(k_all));
            ASSERT_TRUE(counts.has_value()) << counts.error().message;
            EXPECT_EQ(counts->imported, rows) << storage << " " << null_text;
            EXPECT_EQ(counts->failed, 0u);
            EXPECT_EQ(differences(), "0/0") << storage << " " << null_text;
            EXPECT_EQ(run("SELECT count(*) FILTER (WHERE label IS NULL) || '/' ||"
                          " count(*) FILTER (WHERE label = '') FROM copy"),
                      "1/1");
        }
}

TEST_F(XmlServer, StreamedChunksGiveTheWholeModelsBytes) {
    for (const char* storage : k_storages) {
        m_xml.get_options()["STORAGE"] = storage;
        for (const std::string& sql : {std::string(k_all), std::string(k_all) + " LIMIT 0"}) {
            const std::string whole = exported(sql);
            for (const std::size_t chunk : {1u, 3u}) {
                auto reader = connection().execute_reader(sql);
                ASSERT_TRUE(reader.has_value()) << reader.error().message;
                std::string streamed;
                const auto rows = ExportStream::export_reader(
                    m_xml, **reader,
                    [&](std::string_view text) -> Dizezida::Core::Result<void> {
                        streamed += text;
                        return {};
                    },
                    chunk);
                ASSERT_TRUE(rows.has_value()) << rows.error().message;
                EXPECT_EQ(streamed, whole) << storage << " in chunks of " << chunk;
            }
        }
    }
}

TEST_F(XmlServer, MalformedDocumentFailsTheImportAndLeavesTheTable) {
    run("INSERT INTO copy (id, label) VALUES (1000, 'kept')");
    std::string text = exported(k_all);
    std::size_t middle = 0;
    for (int record = 0; record < 10; ++record)
        middle = text.find("<RECORD>", middle + 1);
    ASSERT_NE(middle, std::string::npos);
    text.insert(middle, "<RECORD><id>5000</id><label>x</lable></RECORD>");
    for (const bool go_on : {true, false}) {
        m_xml.set_continue_on_error(go_on);
        EXPECT_FALSE(import(text).has_value());
        EXPECT_EQ(run("SELECT string_agg(id || ':' || label, ',') FROM copy"), "1000:kept");
    }
}

} // namespace
