// Exports of real results on each server version: SQL that runs and gives
// back exactly the rows it was made from, streamed bytes equal to the whole
// model's, HTML that parses to the right cells, Markdown rows of equal
// width, and the row import rule on a table.
#include "Supports/Data/Extractors/ExportStream.hpp"
#include "Supports/Data/Extractors/HtmlExtractor.hpp"
#include "Supports/Data/Extractors/MarkdownExtractor.hpp"
#include "Supports/Data/Extractors/SqlInsertExtractor.hpp"
#include "Supports/Data/Extractors/SqlUpdateExtractor.hpp"

#include "Model/MetaColumn.hpp"
#include "Model/MetaTable.hpp"
#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLConnection.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/IDataReader.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "tests/Supports/Data/DataServer.hpp"
#include "tests/support/AwkwardValues.hpp"
#include "tests/support/ProviderTesting.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <set>

namespace {

using namespace Dizezida::Dovodarud::Supports::Data::Extractors;
using Dizezida::Dovodarud::MetaModel::MetaTable;
using Dizezida::Zozuvoru::Contracts::DataType;

using ExportServer = Dizezida::Testing::DataServer;

TEST_F(ExportServer, InsertStatementsGiveBackEveryRowUnchanged) {
    run("CREATE TABLE \"Co'py\" (LIKE awkward INCLUDING ALL)");
    SqlInsertExtractor insert;
    insert.get_options()["TABLENAME"] = "\"Co'py\"";
    const std::string script = exported(insert, k_all);
    run(script);
    EXPECT_EQ(run("SELECT count(*) FROM \"Co'py\""),
              std::to_string(Dizezida::Testing::awkward_row_count()));
    EXPECT_EQ(differences("awkward", "\"Co'py\""), "0/0");
    EXPECT_EQ(run("SELECT count(*) FROM \"Co'py\" WHERE label = ''"), "1");
    EXPECT_EQ(run("SELECT count(*) FROM \"Co'py\" WHERE label IS NULL"), "1");
}

TEST_F(ExportServer, UpdateStatementsRestoreAChangedCopy) {
    run("CREATE TABLE changed AS SELECT * FROM awkward;"
        "UPDATE changed SET label = 'changed', amount = amount + 1, ratio = 0, flag = NOT flag,"
        " doc = '{}', tags = NULL WHERE id % 2 = 0;"
        "UPDATE changed SET seen = now(), data = 'x', span = NULL WHERE id % 3 = 0");
    ASSERT_NE(differences("awkward", "changed"), "0/0");
    SqlUpdateExtractor update;
    update.get_options()["TABLENAME"] = "changed";
    update.get_options()["KEYS"] = "id";
    run(exported(update, "SELECT label, id, amount, ratio, seen, data, tags, doc, flag, span "
                         "FROM awkward"));
    EXPECT_EQ(differences("awkward", "changed"), "0/0");
}

TEST_F(ExportServer, UpdateStatementsFindRowsWithANullKeyPart) {
    run("CREATE TABLE parts (k integer, part integer, v text);"
        "INSERT INTO parts VALUES (1, NULL, 'one'), (1, 2, 'one-two'), (2, NULL, 'two');"
        "CREATE TABLE changed AS SELECT k, part, 'changed'::text AS v FROM parts");
    SqlUpdateExtractor update;
    update.get_options()["TABLENAME"] = "changed";
    update.get_options()["KEYS"] = "k,part";
    run(exported(update, "SELECT * FROM parts"));
    EXPECT_EQ(differences("parts", "changed"), "0/0");
}

TEST_F(ExportServer, CellsAsLiteralsMatchTheValueObjects) {
    for (const char* sql :
         {k_all, "SELECT s::smallint, s::integer * 65536, s::bigint * 4294967296, s::oid,"
                 " -s::bigint * 281474976710655, NOT (s = 0) FROM (VALUES (0), (-1), (32767),"
                 " (-32768)) v(s) UNION ALL SELECT NULL, NULL, NULL, NULL, NULL, NULL"}) {
        const auto table = model(sql);
        for (std::size_t row = 0; row < table->get_row_count(); ++row)
            for (std::size_t column = 0; column < table->get_column_count(); ++column)
                ASSERT_EQ(BaseExtractor::format_cell(*table, row, column),
                          BaseExtractor::format_column_value(
                              table->get_columns()[column]->get_data_type(),
                              table->get_value_at(row, column)))
                    << "row " << row << " column " << column;
    }
}

TEST_F(ExportServer, StreamedChunksGiveTheWholeModelsBytes) {
    SqlInsertExtractor insert;
    SqlUpdateExtractor update;
    HtmlExtractor html;
    MarkdownExtractor markdown;
    for (BaseExtractor* extractor : std::initializer_list<BaseExtractor*>{&insert, &update, &html,
                                                                         &markdown}) {
        extractor->get_options()["TABLENAME"] = "awkward";
        for (const std::string& sql : {std::string(k_all), std::string(k_all) + " LIMIT 0"}) {
            const std::string whole = exported(*extractor, sql);
            for (const std::size_t chunk : {1u, 3u, 1000u}) {
                auto reader = connection().execute_reader(sql);
                ASSERT_TRUE(reader.has_value()) << reader.error().message;
                std::string streamed;
                const auto rows = ExportStream::export_reader(
                    *extractor, **reader,
                    [&](std::string_view text) -> Dizezida::Core::Result<void> {
                        streamed += text;
                        return {};
                    },
                    chunk);
                ASSERT_TRUE(rows.has_value()) << rows.error().message;
                EXPECT_EQ(streamed, whole) << extractor->type().name << " in chunks of " << chunk;
            }
        }
    }
}

/// Every element of an HTML tree, by name, and the count of cells.
void walk(xmlNode* node, std::multiset<std::string>& names) {
    for (; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE)
            names.insert(reinterpret_cast<const char*>(node->name));
        walk(node->children, names);
    }
}

TEST_F(ExportServer, HtmlParsesToOneCellPerValueAndNoOtherElements) {
    HtmlExtractor html;
    const std::string page = exported(html, k_all);
    htmlDocPtr document =
        htmlReadMemory(page.data(), static_cast<int>(page.size()), nullptr, "UTF-8",
                       HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    ASSERT_NE(document, nullptr);
    std::multiset<std::string> names;
    walk(xmlDocGetRootElement(document), names);
    xmlFreeDoc(document);
    const std::size_t rows = Dizezida::Testing::awkward_row_count();
    EXPECT_EQ(names.count("td"), rows * 10);
    EXPECT_EQ(names.count("th"), 10u);
    EXPECT_EQ(names.count("tr"), rows + 1);
    const std::set<std::string> allowed{"html", "head", "meta", "style", "body", "table", "tr",
                                        "th", "td"};
    for (const std::string& name : names)
        EXPECT_TRUE(allowed.count(name)) << "element <" << name << "> came from the data";
}

TEST_F(ExportServer, MarkdownRowsHaveEqualCellCounts) {
    MarkdownExtractor markdown;
    const std::string text = exported(markdown, k_all);
    std::size_t lines = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        std::size_t bars = 0;
        for (std::size_t i = start; i < end; ++i) {
            if (text[i] == '\\')
                ++i;
            else if (text[i] == '|')
                ++bars;
        }
        EXPECT_EQ(bars, 11u) << "line " << lines;
        ++lines;
        start = end + 1;
    }
    EXPECT_EQ(lines, Dizezida::Testing::awkward_row_count() + 2);
    EXPECT_NE(text.find("| 1234567890123456789012345678.0123456789 |"), std::string::npos);
}

// ---- the row import rule ----------------------------------------------------------------------

class ImportRule : public ExportServer {
protected:
    void SetUp() override {
        ExportServer::SetUp();
        run("CREATE TABLE target (id integer PRIMARY KEY, n integer, note text);"
            "INSERT INTO target VALUES (1, 10, 'one'), (2, 20, 'two')");
        m_table = MetaTable::with_names(m_database.name(), "public", "target");
        m_table->new_column("id", DataType::INTEGER)->set_is_primary_key(true);
        m_table->new_column("n", DataType::INTEGER);
        m_table->new_column("note", DataType::TEXT);
        for (const auto& column : m_table->get_columns())
            set_source(*column, "file_" + column->get_name());
        m_importer.get_options()["COLUMNS"] = "file_note,file_id,file_n";
    }
    Dizezida::Core::Result<std::int64_t> import(const std::string& action,
                                                std::vector<std::string> fields) {
        m_importer.get_options()["ACTION"] = action;
        return m_importer.import_row_to_table(connection(), *m_table, fields);
    }
    std::string rows() {
        return run("SELECT string_agg(concat_ws(':', id, coalesce(n::text, '-'),"
                   " coalesce(note, '-')), ',' ORDER BY id) FROM target");
    }

    std::shared_ptr<MetaTable> m_table;
    SqlInsertExtractor m_importer;
};

TEST_F(ImportRule, ActionsInsertUpdateMergeAndDeleteByKey) {
    EXPECT_EQ(import("append", {" padded ", " 3 ", "  30"}).value_or(-1), 1);
    EXPECT_EQ(import("update", {"", "1", "11"}).value_or(-1), 1);
    EXPECT_EQ(import("merge", {"merged", "2", "22"}).value_or(-1), 1);
    EXPECT_EQ(import("merge", {"new", "4", ""}).value_or(-1), 1);
    EXPECT_EQ(import("delete", {"", "3", ""}).value_or(-1), 1);
    EXPECT_EQ(import("replace", {"O'Neil", "5", "50"}).value_or(-1), 1);
    EXPECT_EQ(rows(), "1:11:-,2:22:merged,4:-:new,5:50:O'Neil");
}

TEST_F(ImportRule, BadRowsAndOptionsFailWithoutTouchingTheTable) {
    const std::string before = rows();
    EXPECT_FALSE(import("", {"x", "7", "1"}).has_value());
    EXPECT_FALSE(import("upsert", {"x", "7", "1"}).has_value());
    EXPECT_FALSE(import("append", {"short", "8"}).has_value());
    EXPECT_FALSE(import("update", {"x", "  ", "1"}).has_value());
    EXPECT_FALSE(import("append", {"x", "1); DELETE FROM target;--", "1"}).has_value());
    m_importer.get_options()["COLUMNS"] = "file_note,file_n";
    EXPECT_FALSE(import("update", {"x", "1"}).has_value());
    EXPECT_FALSE(import("delete", {"x", "1"}).has_value());
    m_importer.get_options()["COLUMNS"] = "other";
    EXPECT_FALSE(import("append", {"x"}).has_value());
    EXPECT_EQ(rows(), before);
}

} // namespace
