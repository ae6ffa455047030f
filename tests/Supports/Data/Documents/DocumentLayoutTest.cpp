// The data-dictionary documents of small models in memory, byte for byte:
// the whole page and file, no schemas, numbering across schemas, the footer
// rules, and writing the file.
#include "Model/MetaModel.hpp"
#include "Supports/Data/Documents/HtmlDocument.hpp"
#include "Supports/Data/Documents/MarkdownDocument.hpp"
#include "tests/support/PlatformLog.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace Dizezida::Dovodarud;
using namespace Dizezida::Dovodarud::MetaModel;
using Supports::Data::Documents::HtmlDocument;
using Supports::Data::Documents::MarkdownDocument;
using Configuration = Contracts::Data::Configuration;

struct ColumnSpec {
    std::string name, type;
    bool not_null = false, primary_key = false;
    std::string default_value{}, comment{};
    std::int64_t length = 0;
    std::int16_t scale = 0;
};

template <class Relation>
void add_columns(Relation& relation, const std::vector<ColumnSpec>& specs) {
    for (const ColumnSpec& spec : specs) {
        auto column = MetaColumn::with_type(spec.name, DataType::UNKNOWN, spec.type);
        column->set_ordinal(static_cast<std::uint32_t>(relation.get_columns().size() + 1));
        column->set_not_null(spec.not_null);
        column->set_is_primary_key(spec.primary_key);
        column->set_default_value(spec.default_value);
        column->set_comment(spec.comment);
        column->set_length(spec.length);
        column->set_scale(spec.scale);
        relation.get_columns().push_back(column);
    }
}

/// Schema "public" of database "shop": table orders (three columns) and view recent.
std::shared_ptr<MetaDatabase> shop() {
    auto database = MetaDatabase::with_name("shop");
    auto schema = database->append("public");
    auto orders = MetaTable::with_names("shop", "public", "orders");
    orders->set_comment("All orders");
    add_columns(*orders, {{"id", "integer", true, true, "0", "Order number"},
                          {"note", "character varying(20)", false, false, "'<none>'::text", "", 20},
                          {"total", "numeric(5,-2)", false, false, "", "", 5, -2}});
    schema->get_tables().push_back(orders);
    auto recent = MetaView::with_names("shop", "public", "recent");
    add_columns(*recent, {{"id", "integer"}});
    schema->get_views().push_back(recent);
    return database;
}

const Configuration k_shop_cfg{"Shop", "1.0", "Orders & more", "Made here",
                               "https://example.com/?a=1&b=2"};

constexpr std::string_view k_html_start =
    "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">\n"
    "<meta content=\"IE=edge\" http-equiv=\"X-UA-Compatible\">\n<title>Shop</title>"
    "<style type='text/css'>\r\n        body {\r\n            padding-bottom: 50px\r\n        "
    "}\r\n\r\n        body,\r\n        td {\r\n            font-family: verdana, fantasy;\r\n  "
    "          font-size: 12px;\r\n            line-height: 150%\r\n        }\r\n\r\n        "
    "table {\r\n            width: 100%;\r\n            background-color: #ccc;\r\n           "
    " margin: 5px 0\r\n        }\r\n\r\n        td {\r\n            background-color: #fff;\r\n"
    "            padding: 3px 3px 3px 10px\r\n        }\r\n\r\n        thead td {\r\n         "
    "   text-align: center;\r\n            font-weight: bold;\r\n            background-color: "
    "#eee\r\n        }\r\n\r\n        a:link,\r\n        a:visited,\r\n        a:active {\r\n  "
    "          color: #015fb6;\r\n            text-decoration: none\r\n        }\r\n\r\n       "
    " a:hover {\r\n            color: #e33e06\r\n        }\r\n    </style>"
    "</head><body style='text-align:center;'>\n"
    "<div style='width:800px; margin:20px auto; text-align:left;'><a name='index'></a>\n"
    "<h2 style='text-align:center; line-height:50px;'>Shop</h2>"
    "<div><b>Database: </b>shop<br><b>Data version: </b>1.0<br/>"
    "<b>Description: </b>Orders &amp; more</div>\n"
    "<table cellspacing='1'><thead><tr><td style='width:40px;'>No</td><td>Name</td><td>Type</td>"
    "<td>Description</td></tr></thead>";

constexpr std::string_view k_html_columns_head =
    "<div>Columns:</div><table cellspacing='1'><thead><tr><td style='width:40px;'>No</td>"
    "<td>Name</td><td>Type</td><td> Length </td><td>Scale</td><td>Null</td><td>Primary key</td>"
    "<td>Default</td><td>Description</td></tr></thead>";

constexpr std::string_view k_md_columns_head =
    "**Columns:**<br/>\n"
    "| No | Name | Type |  Length  | Scale | Null | Primary key | Default | Description |\n"
    "| :--: | :--- | :------: | :----: | :----: | :------: | :--: | :----: | :--: |\n";

constexpr std::string_view k_md_index_head =
    "| No        | Table        | Type        | Description        |\n"
    "| :-----------: | :----------- | :----------- | :----------- |\n";

TEST(DictionaryLayout, HtmlPageOfASmallModel) {
    HtmlDocument document;
    const std::string expected =
        std::string(k_html_start) +
        "<tr><td style='text-align:center;'>1</td><td><a href='#public.orders'>public.orders</a>"
        "</td><td>Data table</td><td>All orders</td></tr>"
        "<tr><td style='text-align:center;'>2</td><td><a href='#public.recent'>public.recent</a>"
        "</td><td>Data view</td><td></td></tr></table>"
        "<br/><br/><div style='margin-top:30px;'><a id='public.orders'></a>"
        "<a href='#index' style='float:right; margin-top:6px;'>Content</a>"
        "<h3>Table: public.orders</h3></div><div>Description: All orders</div>" +
        std::string(k_html_columns_head) +
        "<tr><td style='text-align:center;'>1</td><td>id</td><td>integer</td><td>0</td><td>0</td>"
        "<td>No</td><td>Yes</td><td>0</td><td>Order number</td></tr>"
        "<tr><td style='text-align:center;'>2</td><td>note</td><td>character varying(20)</td>"
        "<td>20</td><td>0</td><td>Yes</td><td></td><td>&#39;&lt;none&gt;&#39;::text</td><td></td>"
        "</tr><tr><td style='text-align:center;'>3</td><td>total</td><td>numeric(5,-2)</td>"
        "<td>5</td><td>-2</td><td>Yes</td><td></td><td></td><td></td></tr></table>"
        "<br/><br/><div style='margin-top:30px;'><a id='public.recent'></a>"
        "<a href='#index' style='float:right; margin-top:6px;'>Content</a>"
        "<h3>Table: public.recent</h3></div><div>Description: </div>" +
        std::string(k_html_columns_head) +
        "<tr><td style='text-align:center;'>1</td><td>id</td><td>integer</td><td>0</td><td>0</td>"
        "<td>Yes</td><td></td><td></td><td></td></tr></table>"
        "</div><footer><div><a href=\"https://example.com/?a=1&amp;b=2\">Made here</a></div>"
        "</footer></body></html>";
    EXPECT_EQ(document.produce_text(*shop(), k_shop_cfg), expected);
}

TEST(DictionaryLayout, MarkdownFileOfASmallModel) {
    MarkdownDocument document;
    const std::string expected =
        "# Shop\n\n**Database name:** shop<br/>\n**Data version:** 1.0<br/>\n"
        "**Description:** Orders &amp; more\n" +
        std::string(k_md_index_head) +
        "| 1 | [public.orders](#public.orders) | Data table | All orders |\n"
        "| 2 | [public.recent](#public.recent) | Data view |  |\n"
        "\n\n## **Table:** <a id='public.orders'>public.orders</a>\n"
        "**Description:** All orders<br/>\n" +
        std::string(k_md_columns_head) +
        "| 1 | id | integer | 0 | 0 | No | Yes | 0 | Order number |\n"
        "| 2 | note | character varying(20) | 20 | 0 | Yes |  | '&lt;none>'::text |  |\n"
        "| 3 | total | numeric(5,-2) | 5 | -2 | Yes |  |  |  |\n"
        "\n\n## **Table:** <a id='public.recent'>public.recent</a>\n"
        "**Description:** <br/>\n" +
        std::string(k_md_columns_head) + "| 1 | id | integer | 0 | 0 | Yes |  |  |  |\n";
    EXPECT_EQ(document.produce_text(*shop(), k_shop_cfg), expected);
}

TEST(DictionaryLayout, NoSchemasGiveTheHeadAndAnEmptyIndex) {
    const auto database = MetaDatabase::with_name("shop");
    const Configuration cfg{"Shop", "1.0", "Orders & more", "", "https://example.com/"};
    EXPECT_EQ(HtmlDocument().produce_text(*database, cfg),
              std::string(k_html_start) + "</table></div></body></html>");
    EXPECT_EQ(MarkdownDocument().produce_text(*database, cfg),
              "# Shop\n\n**Database name:** shop<br/>\n**Data version:** 1.0<br/>\n"
              "**Description:** Orders &amp; more\n" +
                  std::string(k_md_index_head));
}

TEST(DictionaryLayout, NumbersRunAcrossSchemasTablesBeforeViews) {
    auto database = MetaDatabase::with_name("db");
    for (const std::string name : {"s1", "s2"}) {
        auto schema = database->append(name);
        schema->get_views().push_back(MetaView::with_names("db", name, "v"));
        schema->get_tables().push_back(MetaTable::with_names("db", name, "t1"));
        schema->get_tables().push_back(MetaTable::with_names("db", name, "t2"));
    }
    const std::string text = MarkdownDocument().produce_text(*database, {});
    const std::size_t start = text.find(k_md_index_head) + k_md_index_head.size();
    EXPECT_EQ(text.substr(start, text.find("\n\n", start) - start + 1),
              "| 1 | [s1.t1](#s1.t1) | Data table |  |\n"
              "| 2 | [s1.t2](#s1.t2) | Data table |  |\n"
              "| 3 | [s1.v](#s1.v) | Data view |  |\n"
              "| 4 | [s2.t1](#s2.t1) | Data table |  |\n"
              "| 5 | [s2.t2](#s2.t2) | Data table |  |\n"
              "| 6 | [s2.v](#s2.v) | Data view |  |\n");
    const std::string html = HtmlDocument().produce_text(*database, {});
    std::vector<std::string> sections;
    for (std::size_t at = html.find("<h3>Table: "); at != std::string::npos;
         at = html.find("<h3>Table: ", at + 1))
        sections.push_back(html.substr(at + 11, html.find('<', at + 11) - at - 11));
    EXPECT_EQ(sections, (std::vector<std::string>{"s1.t1", "s1.t2", "s1.v", "s2.t1", "s2.t2",
                                                  "s2.v"}));
}

TEST(DictionaryLayout, FooterOnlyWithItsText) {
    const auto database = MetaDatabase::with_name("db");
    const auto page = [&](std::string text, std::string url) {
        Configuration cfg;
        cfg.footer_text = std::move(text);
        cfg.footer_url = std::move(url);
        return HtmlDocument().produce_text(*database, cfg);
    };
    EXPECT_TRUE(page("", "https://example.com/").ends_with("</table></div></body></html>"));
    EXPECT_TRUE(page("<Home>", "").ends_with(
        "</table></div><footer><div><a href=\"\">&lt;Home&gt;</a></div></footer></body></html>"));
    EXPECT_EQ(MarkdownDocument().produce_text(*database, {"", "", "", "Home", "x"}).find("Home"),
              std::string::npos);
}

TEST(DictionaryLayout, ProduceReplacesTheFileWholeOrFails) {
    char pattern[] = "/tmp/dictionary-XXXXXX";
    ASSERT_NE(g_mkdtemp(pattern), nullptr);
    const std::string path = std::string(pattern) + "/shop.html";
    std::ofstream(path) << "old";
    ASSERT_TRUE(HtmlDocument().produce(shop(), path, k_shop_cfg));
    std::stringstream written;
    written << std::ifstream(path).rdbuf();
    EXPECT_EQ(written.str(), HtmlDocument().produce_text(*shop(), k_shop_cfg));

    const auto failed = MarkdownDocument().produce(shop(), std::string(pattern) + "/no/x.md", {});
    ASSERT_FALSE(failed);
    EXPECT_NE(failed.error().message.find("/no"), std::string::npos) << failed.error().message;
    Dizezida::Testing::PlatformLogCapture log;
    EXPECT_FALSE(MarkdownDocument().produce(nullptr, path, {}));
    EXPECT_TRUE(log.contains("meta_database != NULL"));
    std::filesystem::remove_all(pattern);
}

} // namespace
