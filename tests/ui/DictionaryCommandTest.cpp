// `dictionary` on a database whose names and comments hold quotes, "<", "&",
// "|", line breaks, mark-up and non-ASCII text: the HTML page is opened in
// headless Chromium and checked from the DOM it builds (sections, index
// links followed by the browser, the nine cells of each column row, no
// element from the data); the Markdown file is checked cell by cell.
#include "tests/ui/CommandRun.hpp"

#include "tests/support/TestServer.hpp"

#include <glib.h>
#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace {

using Dizezida::Testing::CommandRun;

struct Column {
    std::string name, type, length, scale;
    bool not_null = false, key = false;
    std::string default_sql{}, default_text{}, comment{};
};

struct Relation {
    std::string schema, name, comment;
    std::vector<Column> columns;
    std::string select{}; ///< a view's query; "" for a table
};

const std::vector<Relation>& relations() {
    static const std::vector<Relation> list{
        {"O'Brien",
         "Ünïcode \"t\" <b>|&",
         "Line 1\nLine 2 <script>document.title='hacked'</script> | & ü",
         {{"id", "integer", "0", "0", true, true, "", "", "<i>key</i>"},
          {"note|x", "text", "0", "0", false, false, "'<none>'", "'<none>'::text",
           "it's\nmulti | line"},
          {"amount", "numeric(5,-2)", "0", "-2"},
          {"code", "character varying(20)", "20", "0", true, false, "'a&b'",
           "'a&b'::character varying", "ü &amp; [x]"}}},
        {"O'Brien",
         "v <x>",
         "view & <u>u</u>",
         {{"id", "integer", "0", "0"},
          {"n'q", "text", "0", "0", false, false, "", "", "col <comment>\\"}},
         "SELECT id, \"note|x\" AS \"n'q\" FROM \"O'Brien\".\"Ünïcode \"\"t\"\" <b>|&\""},
        {"a.b", "c", "", {{"x", "integer", "0", "0"}}},
        {"a", "b.c", "", {{"x", "integer", "0", "0"}}},
    };
    return list;
}

std::string quoted(const std::string& text, char quote) {
    std::string out(1, quote);
    for (const char c : text)
        out += c == quote ? std::string(2, c) : std::string(1, c);
    return out + quote;
}

std::string name(const Relation& relation) {
    return quoted(relation.schema, '"') + "." + quoted(relation.name, '"');
}

void create_relations(const std::string& conninfo) {
    std::string sql;
    for (const std::string schema : {"O'Brien", "a.b", "a"})
        sql += "CREATE SCHEMA " + quoted(schema, '"') + ";";
    for (const Relation& relation : relations()) {
        const bool view = !relation.select.empty();
        if (view) {
            sql += "CREATE VIEW " + name(relation) + " AS " + relation.select + ";";
        } else {
            std::string columns, keys;
            for (const Column& column : relation.columns) {
                columns += (columns.empty() ? "" : ", ") + quoted(column.name, '"') + " " +
                           column.type + (column.not_null ? " NOT NULL" : "") +
                           (column.default_sql.empty() ? "" : " DEFAULT " + column.default_sql);
                if (column.key)
                    keys += (keys.empty() ? "" : ", ") + quoted(column.name, '"');
            }
            sql += "CREATE TABLE " + name(relation) + " (" + columns +
                   (keys.empty() ? "" : ", PRIMARY KEY (" + keys + ")") + ");";
        }
        sql += std::string("COMMENT ON ") + (view ? "VIEW " : "TABLE ") + name(relation) + " IS " +
               quoted(relation.comment, '\'') + ";";
        for (const Column& column : relation.columns)
            sql += "COMMENT ON COLUMN " + name(relation) + "." + quoted(column.name, '"') +
                   " IS " + quoted(column.comment, '\'') + ";";
    }
    Dizezida::Testing::run_sql_on(conninfo, sql);
}

/// The nine texts a column row must show.
std::vector<std::string> cells_of(const Column& column) {
    return {"",          column.name,
            column.type, column.length,
            column.scale, column.not_null ? "No" : "Yes",
            column.key ? "Yes" : "", column.default_text,
            column.comment};
}

/// A section's "schema.name" heading and the cells of its rows. Headings
/// need not be distinct ("a.b"."c" and "a"."b.c"), so sections are compared
/// as sorted lists.
using Section = std::pair<std::string, std::vector<std::vector<std::string>>>;

std::vector<Section> sorted(std::vector<Section> sections) {
    std::sort(sections.begin(), sections.end());
    return sections;
}

std::vector<Section> expected_sections() {
    std::vector<Section> sections;
    for (const Relation& relation : relations()) {
        sections.emplace_back(relation.schema + "." + relation.name,
                              std::vector<std::vector<std::string>>{});
        for (const Column& column : relation.columns) {
            auto& rows = sections.back().second;
            rows.push_back(cells_of(column));
            rows.back()[0] = std::to_string(rows.size());
        }
    }
    return sorted(sections);
}

class DictionaryCommand : public ::testing::Test {
protected:
    void SetUp() override {
        create_relations(m_database.conninfo());
        char pattern[] = "/tmp/dictionary-cli-XXXXXX";
        ASSERT_NE(g_mkdtemp(pattern), nullptr);
        m_folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    CommandRun run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--server", m_database.conninfo()});
        return Dizezida::Testing::run_command("dictionary", std::move(arguments));
    }

    Dizezida::Testing::ScratchDatabase m_database{"dictionary_cli"};
    std::string m_folder;
};

std::string read_file(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// ------------------------------------------------------------------ the page in a browser

/// Follows every in-page link the way a reader would (the browser resolves
/// the fragment) and records the id or name of the element it reached.
constexpr std::string_view k_follow_links =
    "<script id='dictionary-test'>for (const link of document.querySelectorAll(\"a[href^='#']\"))"
    " { location.hash = link.hash; const target = document.querySelector(':target');"
    " link.setAttribute('data-reached', target ? (target.id || target.getAttribute('name')) :"
    " ''); }</script>";

/// The DOM Chromium builds from the page, serialized.
std::string browser_dom(const std::string& page, const std::string& folder) {
    gchar* chromium = g_find_program_in_path("chromium");
    if (chromium == nullptr) {
        ADD_FAILURE() << "chromium is not installed: install it with scripts/deps.sh "
                         "(Debian package chromium)";
        return {};
    }
    gchar* uri = g_filename_to_uri(page.c_str(), nullptr, nullptr);
    const std::string profile = "--user-data-dir=" + folder + "/profile";
    const gchar* argv[] = {"timeout", "120", chromium, "--headless", "--no-sandbox",
                           "--disable-gpu", profile.c_str(), "--dump-dom", uri, nullptr};
    gchar* out = nullptr;
    gchar* err = nullptr;
    gint status = 0;
    GError* error = nullptr;
    const bool ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH,
                                  nullptr, nullptr, &out, &err, &status, &error);
    std::string dom = ran ? out : "";
    EXPECT_TRUE(ran && g_spawn_check_wait_status(status, nullptr))
        << (error ? error->message : "") << (err ? err : "");
    g_clear_error(&error);
    g_free(out);
    g_free(err);
    g_free(uri);
    g_free(chromium);
    return dom;
}

std::string attribute(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

std::string text_of(xmlNode* node) {
    xmlChar* value = xmlNodeGetContent(node);
    std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

std::string tag(xmlNode* node) {
    return reinterpret_cast<const char*>(node->name);
}

/// Every element under `node`, in document order.
void elements(xmlNode* node, std::vector<xmlNode*>& out) {
    for (xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        out.push_back(child);
        elements(child, out);
    }
}

std::vector<xmlNode*> elements_named(xmlNode* node, std::string_view name) {
    std::vector<xmlNode*> all, named;
    elements(node, all);
    for (xmlNode* element : all)
        if (tag(element) == name)
            named.push_back(element);
    return named;
}

/// The texts of the cells of each row of a table but its heading row.
std::vector<std::vector<std::string>> body_rows(xmlNode* table) {
    std::vector<std::vector<std::string>> rows;
    for (xmlNode* row : elements_named(table, "tr")) {
        if (tag(row->parent) == "thead")
            continue;
        rows.emplace_back();
        for (xmlNode* cell : elements_named(row, "td"))
            rows.back().push_back(text_of(cell));
    }
    return rows;
}

TEST_F(DictionaryCommand, HtmlPageWorksInABrowser) {
    const std::string page = m_folder + "/dictionary.html";
    const std::string title = "Dictionary <script>document.title='x'</script> & 'q'";
    const CommandRun done = run({"--format", "html", "--title", title, "--data-version", "<v1>",
                                 "--footer-text", "Home & <away>", "--footer-url",
                                 "https://example.com/?a=1&b='2'", "-o", page});
    ASSERT_EQ(done.status, 0) << done.err;
    std::string html = read_file(page);
    ASSERT_TRUE(html.ends_with("</body></html>"));
    html.insert(html.size() - 14, k_follow_links);
    const std::string probe = m_folder + "/probe.html";
    std::ofstream(probe) << html;

    const std::string dom = browser_dom(probe, m_folder);
    ASSERT_FALSE(dom.empty());
    htmlDocPtr document =
        htmlReadMemory(dom.data(), static_cast<int>(dom.size()), nullptr, "UTF-8",
                       HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    ASSERT_NE(document, nullptr);
    xmlNode* root = xmlDocGetRootElement(document);

    // Only the page's own elements: no script ran, no mark-up of the data.
    ASSERT_EQ(elements_named(root, "title").size(), 1u);
    EXPECT_EQ(text_of(elements_named(root, "title")[0]), title);
    EXPECT_EQ(text_of(elements_named(root, "h2")[0]), title);
    ASSERT_EQ(elements_named(root, "script").size(), 1u);
    EXPECT_EQ(attribute(elements_named(root, "script")[0], "id"), "dictionary-test");
    EXPECT_TRUE(elements_named(root, "i").empty());
    EXPECT_TRUE(elements_named(root, "u").empty());
    EXPECT_EQ(elements_named(root, "b").size(), 3u);
    EXPECT_EQ(elements_named(root, "h3").size(), relations().size());
    const auto footer = elements_named(root, "footer");
    ASSERT_EQ(footer.size(), 1u);
    EXPECT_EQ(text_of(footer[0]), "Home & <away>");
    EXPECT_EQ(attribute(elements_named(footer[0], "a")[0], "href"), "https://example.com/?a=1&b='2'");

    // Sections: the heading, the description and nine cells a column.
    std::map<std::string, std::string> heading_by_id;
    std::vector<Section> sections;
    const auto tables = elements_named(root, "table");
    std::size_t table = 1;
    for (xmlNode* h3 : elements_named(root, "h3")) {
        const std::string heading = text_of(h3).substr(std::string("Table: ").size());
        heading_by_id[attribute(elements_named(h3->parent, "a")[0], "id")] = heading;
        ASSERT_LT(table, tables.size());
        sections.emplace_back(heading, body_rows(tables[table++]));
    }
    EXPECT_EQ(heading_by_id.size(), relations().size()); // distinct ids
    EXPECT_EQ(sorted(sections), expected_sections());

    // The index: one entry per table and view, each link reaching its section.
    std::map<std::string, std::string> comments;
    for (const Relation& relation : relations())
        comments[relation.schema + "." + relation.name] = relation.comment;
    std::size_t number = 0;
    std::set<std::string> reached_ids;
    for (xmlNode* row : elements_named(tables[0], "tr")) {
        if (tag(row->parent) == "thead")
            continue;
        const auto cells = elements_named(row, "td");
        ASSERT_EQ(cells.size(), 4u);
        xmlNode* link = elements_named(cells[1], "a")[0];
        const std::string entry = text_of(link);
        EXPECT_EQ(text_of(cells[0]), std::to_string(++number));
        EXPECT_EQ(comments.count(entry), 1u) << entry;
        EXPECT_EQ(text_of(cells[3]), comments[entry]);
        EXPECT_EQ(text_of(cells[2]), entry.starts_with("O'Brien.v") ? "Data view" : "Data table");
        const std::string reached = attribute(link, "data-reached");
        reached_ids.insert(reached);
        EXPECT_EQ(heading_by_id[reached], entry) << "link to " << entry << " reached " << reached;
    }
    EXPECT_EQ(number, relations().size());
    EXPECT_EQ(reached_ids.size(), relations().size()); // each link its own section
    for (xmlNode* link : elements_named(root, "a")) {
        if (attribute(link, "href") == "#index") {
            EXPECT_EQ(attribute(link, "data-reached"), "index");
        }
    }
    xmlFreeDoc(document);
}

// ------------------------------------------------------------------ Markdown

/// A Markdown table line split into its cells, escapes undone.
std::vector<std::string> markdown_cells(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            cell += line[++i];
        } else if (line[i] == '|') {
            cells.push_back(cell.size() >= 2 ? cell.substr(1, cell.size() - 2) : cell);
            cell.clear();
        } else if (line.compare(i, 4, "<br>") == 0) {
            cell += '\n';
            i += 3;
        } else if (line.compare(i, 4, "&lt;") == 0) {
            cell += '<';
            i += 3;
        } else if (line.compare(i, 5, "&amp;") == 0) {
            cell += '&';
            i += 4;
        } else {
            cell += line[i];
        }
    }
    return cells;
}

TEST_F(DictionaryCommand, MarkdownCellsMatchTheCatalog) {
    const std::string file = m_folder + "/dictionary.md";
    const CommandRun done = run({"--format", "md", "-o", file});
    ASSERT_EQ(done.status, 0) << done.err;
    std::istringstream text(read_file(file));
    EXPECT_EQ(text.str().rfind("# " + m_database.name() + "\n\n", 0), 0u); // the default title

    std::vector<Section> sections;
    std::map<std::string, std::string> index, anchors;
    bool in_section = false;
    std::size_t header_cells = 0;
    std::string line;
    while (std::getline(text, line)) {
        if (line.starts_with("## **Table:** <a id='")) {
            const std::size_t end = line.find("'>");
            const std::string heading =
                markdown_cells("| " + line.substr(end + 2, line.size() - end - 6) + " |")[0];
            anchors[line.substr(21, end - 21)] = heading;
            sections.emplace_back(heading, std::vector<std::vector<std::string>>{});
            in_section = true;
            continue;
        }
        if (!line.starts_with("|"))
            continue;
        const auto cells = markdown_cells(line);
        if (line.starts_with("| No ")) {
            header_cells = cells.size();
            continue;
        }
        EXPECT_EQ(cells.size(), header_cells) << line;
        if (line.starts_with("| :"))
            continue;
        if (!in_section) { // an index entry: [text](#anchor)
            const std::size_t target = cells[1].find("](#");
            index[cells[1].substr(target + 3, cells[1].size() - target - 4)] =
                cells[1].substr(1, target - 1);
        } else {
            sections.back().second.push_back(cells);
        }
    }
    EXPECT_EQ(sorted(sections), expected_sections());
    EXPECT_EQ(anchors.size(), relations().size()); // distinct ids
    EXPECT_EQ(index, anchors);
}

TEST_F(DictionaryCommand, UsageErrorsAndFailures) {
    const std::string file = m_folder + "/kept.html";
    EXPECT_EQ(run({"--format", "pdf", "-o", file}).status, 2);
    EXPECT_EQ(run({"--format", "html"}).status, 2);
    EXPECT_EQ(run({"--format", "html", "--footer-url", "x", "-o", file}).status, 2);
    std::ofstream(file) << "old";
    const CommandRun missing = run({"--format", "html", "--schema", "nothing", "-o", file});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("dictionary: no schema nothing"), std::string::npos) << missing.err;
    EXPECT_EQ(read_file(file), "old");
    const CommandRun one = run({"--format", "md", "--schema", "a", "-o", file});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_NE(read_file(file).find("| 1 | [a.b.c](#a.b%2Ec) | Data table |  |\n"), std::string::npos);
    EXPECT_EQ(read_file(file).find("O'Brien"), std::string::npos);
}

} // namespace
