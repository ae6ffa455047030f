// The extractors' text on models made in memory: the statement and table
// shapes, quoting and escaping, option errors, and files written whole.
#include "Supports/Data/Extractors/HtmlExtractor.hpp"
#include "Supports/Data/Extractors/MarkdownExtractor.hpp"
#include "Supports/Data/Extractors/SqlInsertExtractor.hpp"
#include "Supports/Data/Extractors/SqlUpdateExtractor.hpp"

#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/RowModel.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/ValueObject.hpp"
#include "provider/Contracts/ValueScalars.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace Dizezida::Dovodarud::Supports::Data::Extractors;
using namespace Dizezida::Zozuvoru::Contracts;

/// Columns (name, type) and rows of texts (nullopt for NULL), made as values.
TablePtr model_of(const std::vector<std::pair<std::string, DataType>>& columns,
                  const std::vector<std::vector<std::optional<std::string>>>& rows) {
    auto model = TableModel::create();
    for (const auto& [name, type] : columns)
        model->add_column(std::make_shared<ColumnModel>(name, type));
    for (const auto& cells : rows) {
        auto row = RowModel::create();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const DataType type = columns[i].second;
            if (!cells[i])
                row->append_value(ValueNull::create(type));
            else if (type == DataType::INTEGER)
                row->append_value(std::make_shared<ValueInt32>(std::stoi(*cells[i])));
            else if (type == DataType::NUMERIC)
                row->append_value(std::make_shared<ValueNumeric>(*cells[i]));
            else
                row->append_value(std::make_shared<ValueString>(*cells[i], type));
        }
        model->append(row);
    }
    return model;
}

std::string text_of(BaseExtractor& extractor, const TableModel& model) {
    std::string buffer = "old";
    const auto rows = extractor.export_to_text(model, buffer, {});
    EXPECT_TRUE(rows.has_value()) << (rows ? "" : rows.error().message);
    return buffer;
}

const std::vector<std::pair<std::string, DataType>> k_id_name{{"id", DataType::INTEGER},
                                                              {"name", DataType::TEXT}};

TEST(SqlExportText, InsertAndUpdateLinesQuoteNamesAndValues) {
    const auto model = model_of(k_id_name, {{"1", "O'Neil"}});
    SqlInsertExtractor insert;
    insert.get_options()["TABLENAME"] = "people";
    EXPECT_EQ(text_of(insert, *model),
              "INSERT INTO \"people\"(\"id\",\"name\") VALUES(1, 'O''Neil');\n");
    insert.get_options()["TABLENAME"] = "\"My.Schema\".Pe\"ople";
    insert.get_options()["QUOTE_NAMES"] = "backquote";
    EXPECT_EQ(text_of(insert, *model),
              "INSERT INTO `My.Schema`.`Pe\"ople`(`id`,`name`) VALUES(1, 'O''Neil');\n");

    SqlUpdateExtractor update;
    update.get_options()["TABLENAME"] = "public.people";
    EXPECT_EQ(text_of(update, *model),
              "UPDATE \"public\".\"people\" SET \"id\" = 1, \"name\" = 'O''Neil' WHERE \"id\" = 1;\n");
}

TEST(SqlExportText, UpdateKeysOnTheNamedColumnsAndMatchesNullKeys) {
    const auto model = model_of({{"name", DataType::TEXT}, {"id", DataType::INTEGER},
                                 {"part", DataType::INTEGER}},
                                {{"x", "7", std::nullopt}});
    SqlUpdateExtractor update;
    update.get_options()["TABLENAME"] = "t";
    EXPECT_NE(text_of(update, *model).find("WHERE \"name\" = 'x';"), std::string::npos);
    update.get_options()["KEYS"] = "id, \"part\"";
    EXPECT_NE(text_of(update, *model).find("WHERE \"id\" = 7 AND \"part\" IS NULL;"),
              std::string::npos);
    update.get_options()["KEYS"] = "missing";
    std::string buffer;
    EXPECT_FALSE(update.export_to_text(*model, buffer, {}).has_value());
}

TEST(SqlExportText, ValuesGoBareOnlyAsStrictNumbersOrBooleans) {
    const auto model = model_of({{"n", DataType::NUMERIC}, {"i", DataType::INTEGER},
                                 {"b", DataType::BOOLEAN}, {"s", DataType::INTERVAL}},
                                {{"1); DELETE FROM t;--", "5", "t", "1 day's"},
                                 {"-1.5e-3", std::nullopt, "f", std::nullopt}});
    SqlInsertExtractor insert;
    insert.get_options()["TABLENAME"] = "t";
    const std::string text = text_of(insert, *model);
    EXPECT_NE(text.find("VALUES('1); DELETE FROM t;--', 5, TRUE, '1 day''s');"), std::string::npos)
        << text;
    EXPECT_NE(text.find("VALUES(-1.5e-3, NULL, FALSE, NULL);"), std::string::npos) << text;
}

TEST(SqlExportText, MissingTableNameOrColumnsIsAnError) {
    SqlInsertExtractor insert;
    SqlUpdateExtractor update;
    const auto model = model_of(k_id_name, {{"1", "a"}});
    const auto no_columns = TableModel::create();
    for (BaseExtractor* extractor : {static_cast<BaseExtractor*>(&insert),
                                     static_cast<BaseExtractor*>(&update)}) {
        std::string buffer;
        EXPECT_FALSE(extractor->export_to_text(*model, buffer, {}).has_value());
        extractor->get_options()["TABLENAME"] = "t";
        EXPECT_FALSE(extractor->export_to_text(*no_columns, buffer, {}).has_value());
        extractor->get_options()["TABLENAME"] = "\"unterminated";
        EXPECT_FALSE(extractor->export_to_text(*model, buffer, {}).has_value());
        extractor->get_options()["TABLENAME"] = "s..t";
        EXPECT_FALSE(extractor->export_to_text(*model, buffer, {}).has_value());
        extractor->get_options()["TABLENAME"] = "t";
        extractor->get_options()["QUOTE_NAMES"] = "single";
        EXPECT_FALSE(extractor->export_to_text(*model, buffer, {}).has_value());
    }
}

TEST(ImportedFieldText, BlanksNullsAndQuotes) {
    EXPECT_EQ(BaseExtractor::format_column_text(DataType::INTEGER, "  42 "), "42");
    EXPECT_EQ(BaseExtractor::format_column_text(DataType::TEXT, " padded "), "' padded '");
    EXPECT_EQ(BaseExtractor::format_column_text(DataType::TEXT, "   "), "NULL");
    EXPECT_EQ(BaseExtractor::format_column_text(DataType::DATE, ""), "NULL");
    EXPECT_EQ(BaseExtractor::format_column_text(DataType::INTERVAL, "1 day's"), "'1 day''s'");
    EXPECT_EQ(BaseExtractor::format_column_text(DataType::INTEGER, "1); DELETE FROM t;--"),
              "'1); DELETE FROM t;--'");
    EXPECT_EQ(BaseExtractor::format_column_text(DataType::BOOLEAN, " TRUE "), "TRUE");
    EXPECT_EQ(BaseExtractor::format_column_text(DataType::BOOLEAN, "yes"), "'yes'");
}

TEST(ImportedFieldText, NamesParseAsSqlWritesThem) {
    const auto names = parse_names(" a , \"b,\"\"c\" ,D", ',');
    ASSERT_TRUE(names.has_value());
    EXPECT_EQ(*names, (std::vector<std::string>{"a", "b,\"c", "D"}));
    EXPECT_FALSE(parse_names("\"a\"b", ',').has_value());
    EXPECT_FALSE(parse_names("a,", ',').has_value());
    EXPECT_FALSE(parse_names("", ',').has_value());
}

TEST(MarkupExportText, MarkdownShapeAndEscapes) {
    MarkdownExtractor markdown;
    EXPECT_EQ(text_of(markdown, *model_of(k_id_name, {{"1", "x"}})),
              "| id | name |\n|----|------|\n| 1 | x |\n");
    const std::string text = text_of(
        markdown, *model_of({{"a|b", DataType::TEXT}, {"n", DataType::NUMERIC}},
                            {{"x|y\\z\r\nw\nv", "1234567.891"}, {std::nullopt, std::nullopt}}));
    EXPECT_EQ(text, "| a\\|b | n |\n|------|---|\n| x\\|y\\\\z<br>w<br>v | 1234567.891 |\n| | |\n");
}

TEST(MarkupExportText, HtmlShapeAndEscapes) {
    HtmlExtractor html;
    const std::string text =
        text_of(html, *model_of({{"<b>", DataType::TEXT}}, {{"<script>&\"'"}, {std::nullopt}}));
    EXPECT_EQ(text.rfind("<!DOCTYPE html>\n<html>\n\t<head>\n\t\t<meta charset=\"UTF-8\">\n", 0),
              0u);
    EXPECT_NE(text.find("\t\t\t<tr><th>&lt;b&gt;</th></tr>\n"
                        "\t\t\t<tr><td>&lt;script&gt;&amp;&quot;&#39;</td></tr>\n"
                        "\t\t\t<tr><td></td></tr>\n\t\t</table>\n\t</body>\n</html>"),
              std::string::npos)
        << text;
}

TEST(MarkupExportText, ProgressGetsEachRowsText) {
    HtmlExtractor html;
    std::vector<std::string> seen;
    std::string buffer;
    const auto rows = html.export_to_text(
        *model_of(k_id_name, {{"1", "a"}, {"2", "b"}}), buffer,
        [&](std::uint64_t total, std::uint64_t row, std::string_view text) {
            seen.push_back(std::to_string(total) + ":" + std::to_string(row) + ":" +
                           std::string(text));
        });
    ASSERT_TRUE(rows.has_value());
    EXPECT_EQ(*rows, 2u);
    EXPECT_EQ(seen, (std::vector<std::string>{"2:1:\t\t\t<tr><td>1</td><td>a</td></tr>\n",
                                              "2:2:\t\t\t<tr><td>2</td><td>b</td></tr>\n"}));
}

class ExportFile : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/dizezida-export-XXXXXX";
        ASSERT_NE(g_mkdtemp(templ), nullptr);
        m_folder = templ;
        m_file = m_folder + "/out.sql";
        std::ofstream(m_file) << "old contents";
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string contents() const {
        std::ifstream in(m_file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::size_t files() const {
        return static_cast<std::size_t>(std::distance(
            std::filesystem::directory_iterator(m_folder), std::filesystem::directory_iterator()));
    }

    std::string m_folder;
    std::string m_file;
};

TEST_F(ExportFile, AFailedExportKeepsTheOldFileAndAnEmptyOneReplacesIt) {
    SqlInsertExtractor insert;
    const auto model = model_of(k_id_name, {{"1", "a"}});
    EXPECT_FALSE(insert.export_to_file(*model, m_file, {}).has_value());
    EXPECT_EQ(contents(), "old contents");
    EXPECT_EQ(files(), 1u);

    insert.get_options()["TABLENAME"] = "t";
    const auto empty = model_of(k_id_name, {});
    const auto none = insert.export_to_file(*empty, m_file, {});
    ASSERT_TRUE(none.has_value());
    EXPECT_EQ(*none, 0u);
    EXPECT_EQ(contents(), "");

    const auto one = insert.export_to_file(*model, m_file, {});
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(contents(), "INSERT INTO \"t\"(\"id\",\"name\") VALUES(1, 'a');\n");
    EXPECT_EQ(files(), 1u);
    EXPECT_FALSE(insert.export_to_file(*model, m_folder + "/missing/out.sql", {}).has_value());
}

} // namespace
