// Imports on each server version: every format and option set gives back
// the awkward rows exactly; failing rows are counted, reported and (with
// continue-on-error off) roll everything back; files written by the
// server's own tools import.
#include "Supports/Data/Extractors/DsvExtractor.hpp"
#include "Supports/Data/Extractors/JsonExtractor.hpp"

#include "tests/Supports/Data/DataServer.hpp"
#include "tests/support/AwkwardValues.hpp"

#include <fmt/format.h>
#include <glib.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using namespace Dizezida::Dovodarud::Supports::Data::Extractors;
using Dizezida::Testing::DataServer;

struct Imported {
    ImportCounts counts;
    std::vector<std::pair<std::uint64_t, std::string>> errors;
    std::optional<Dizezida::Core::Error> failure;
};

class ImportServer : public DataServer {
protected:
    Imported import_text(ImportingExtractor& importer, const std::string& text,
                         const Dizezida::Dovodarud::MetaModel::MetaTable& table,
                         const std::string& action = "append") {
        importer.get_options()["ACTION"] = action;
        Imported result;
        auto counts = importer.import_text(
            text, connection(), table, {}, [&](std::uint64_t row, const Dizezida::Core::Error& e) {
                result.errors.emplace_back(row, e.message);
            });
        if (counts)
            result.counts = *counts;
        else
            result.failure = counts.error();
        return result;
    }
    std::string temp_file(const std::string& name) {
        char folder[] = "/tmp/dizezida-import-XXXXXX";
        EXPECT_NE(g_mkdtemp(folder), nullptr);
        g_chmod(folder, 0777); // the server writes some files (COPY TO)
        m_folders.push_back(folder);
        return std::string(folder) + "/" + name;
    }
    void TearDown() override {
        for (const std::string& folder : m_folders)
            std::filesystem::remove_all(folder);
        DataServer::TearDown();
    }
    std::vector<std::string> m_folders;
};

TEST_F(ImportServer, EveryFormatAndOptionSetGivesTheRowsBack) {
    const std::vector<std::pair<std::string, Options>> cases{
        {"csv", {}},
        {"csv", {{"QUOTATION_TIME", "always"}}},
        {"csv", {{"QUOTATION_LIST", "'-'-''-''"}}},
        {"csv", {{"DELIMITER_COLUMN", "||"}, {"DELIMITER_ROWNEW", "\r\n"}}},
        {"csv", {{"NULL_VALUE", "\\N"}, {"ROW_PREFIX", "["}, {"ROW_SUFFIX", "]"}}},
        {"tsv", {{"DELIMITER_COLUMN", "\t"}}},
        {"json", {}},
    };
    for (const auto& [format, options] : cases) {
        std::shared_ptr<ImportingExtractor> extractor;
        if (format == "json")
            extractor = std::make_shared<JsonExtractor>();
        else
            extractor = std::make_shared<DsvExtractor>(format);
        for (const auto& [key, value] : options)
            extractor->get_options()[key] = value;
        const std::string text = exported(*extractor, k_all);
        auto copy = empty_copy("copy");
        const Imported result = import_text(*extractor, text, *copy);
        ASSERT_FALSE(result.failure) << format << ": " << result.failure->message;
        EXPECT_TRUE(result.errors.empty()) << format << ": " << result.errors.front().second;
        EXPECT_EQ(result.counts.imported, Dizezida::Testing::awkward_row_count()) << format;
        EXPECT_EQ(differences("awkward", "copy"), "0/0") << format << " " << options.size();
        EXPECT_EQ(run("SELECT count(*) FILTER (WHERE label = '') || '/' ||"
                      " count(*) FILTER (WHERE label IS NULL) FROM copy"),
                  "1/1")
            << format;
    }
}

TEST_F(ImportServer, AFileImportsAndActionsWorkByKey) {
    DsvExtractor csv;
    const std::string file = temp_file("awkward.csv");
    ASSERT_TRUE(csv.export_to_file(*model(k_all), file, {}).has_value());
    auto copy = empty_copy("copy");
    csv.get_options()["FILENAME"] = file;
    csv.get_options()["ACTION"] = "append";
    auto counts = csv.import_file(connection(), *copy, {}, {});
    ASSERT_TRUE(counts.has_value()) << counts.error().message;
    EXPECT_EQ(differences("awkward", "copy"), "0/0");

    // update, merge and delete find rows by the primary key.
    run("UPDATE copy SET label = 'changed', amount = 0 WHERE id % 2 = 0; DELETE FROM copy WHERE id > 15");
    EXPECT_EQ(import_text(csv, exported(csv, k_all + std::string(" LIMIT 15")), *copy, "update")
                  .counts.imported, 15u);
    EXPECT_EQ(import_text(csv, exported(csv, k_all), *copy, "merge").counts.imported,
              Dizezida::Testing::awkward_row_count());
    EXPECT_EQ(differences("awkward", "copy"), "0/0");
    EXPECT_EQ(import_text(csv, "id\n1\n3\n", *copy, "delete").counts.imported, 2u);
    EXPECT_EQ(run("SELECT count(*) FROM copy"),
              std::to_string(Dizezida::Testing::awkward_row_count() - 2));
}

TEST_F(ImportServer, ABadRowIsReportedOrRollsEverythingBack) {
    run("CREATE TABLE numbers (id integer PRIMARY KEY, n integer, note text)");
    auto table = mapped_table("numbers");
    std::string text = "id,n,note\n";
    for (int i = 1; i <= 10000; ++i)
        text += std::to_string(i) + "," + (i == 5000 ? std::string("x") : std::to_string(i)) +
                ",row " + std::to_string(i) + "\n";
    DsvExtractor csv;
    const Imported skipped = import_text(csv, text, *table);
    ASSERT_FALSE(skipped.failure) << skipped.failure->message;
    EXPECT_EQ(skipped.counts.imported, 9999u);
    EXPECT_EQ(skipped.counts.failed, 1u);
    ASSERT_EQ(skipped.errors.size(), 1u);
    EXPECT_EQ(skipped.errors[0].first, 5001u); // the header is row 1
    EXPECT_NE(skipped.errors[0].second.find("invalid input syntax"), std::string::npos);
    EXPECT_EQ(run("SELECT count(*) || '/' || sum(n) FROM numbers"),
              "9999/" + std::to_string(10000 * 10001 / 2 - 5000));

    run("TRUNCATE numbers");
    csv.set_continue_on_error(false);
    const Imported stopped = import_text(csv, text, *table);
    ASSERT_TRUE(stopped.failure);
    EXPECT_NE(stopped.failure->message.find("invalid input syntax"), std::string::npos);
    EXPECT_EQ(run("SELECT count(*) FROM numbers"), "0");

    // Input cut inside a quote fails the import and leaves the table as it was.
    csv.set_continue_on_error(true);
    const Imported cut = import_text(csv, "id,n,note\n1,1,\"one\n2,2,two\n", *table);
    ASSERT_TRUE(cut.failure);
    EXPECT_EQ(run("SELECT count(*) FROM numbers"), "0");

    // Options that cannot work fail before the first row.
    run("INSERT INTO numbers VALUES (1, 1, 'one')");
    EXPECT_TRUE(import_text(csv, "id,n\n1,2\n", *table, "upsert").failure);
    csv.get_options()["COLUMNS"] = "a,n";
    EXPECT_TRUE(import_text(csv, "a,n\n1,2\n", *table, "update").failure);
    EXPECT_EQ(run("SELECT n FROM numbers"), "1");
}

TEST_F(ImportServer, EncodedFilesAndFilesOfTheServersOwnToolsImport) {
    run("CREATE TABLE notes (id integer PRIMARY KEY, note text)");
    auto notes = mapped_table("notes");
    const std::string gbk_file = temp_file("gbk.csv");
    std::ofstream(gbk_file, std::ios::binary) << "id,note\n1,\xD6\xD0\xCE\xC4\n";
    DsvExtractor csv;
    csv.get_options()["FILENAME"] = gbk_file;
    csv.get_options()["ENCODING"] = "GBK";
    csv.get_options()["ACTION"] = "append";
    auto counts = csv.import_file(connection(), *notes, {}, {});
    ASSERT_TRUE(counts.has_value()) << counts.error().message;
    EXPECT_EQ(run("SELECT note FROM notes"), "中文");

    // COPY ... TO (FORMAT csv, HEADER), written by the server itself (all
    // float digits: PostgreSQL 10 rounds them to 15 by default).
    const std::string copied = temp_file("copied.csv");
    run("SET extra_float_digits = 3; COPY awkward TO '" + copied + "' (FORMAT csv, HEADER)");
    DsvExtractor peer;
    peer.get_options()["FILENAME"] = copied;
    peer.get_options()["ACTION"] = "append";
    auto copy = empty_copy("copy");
    counts = peer.import_file(connection(), *copy, {}, {});
    ASSERT_TRUE(counts.has_value()) << counts.error().message;
    EXPECT_EQ(differences("awkward", "copy"), "0/0");

    // psql --csv
    const std::string printed = temp_file("printed.csv");
    const std::string command = "PGOPTIONS='-c extra_float_digits=3' psql -X -q --csv -d '" +
                                m_database.conninfo() +
                                "' -c 'SELECT * FROM awkward' -o " + printed;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    peer.get_options()["FILENAME"] = printed;
    copy = empty_copy("copy");
    counts = peer.import_file(connection(), *copy, {}, {});
    ASSERT_TRUE(counts.has_value()) << counts.error().message;
    // psql writes NULL and the empty text alike (both unquoted and empty).
    const std::string same_label =
        "(SELECT id, nullif(label, '') AS label, amount, ratio, seen, data, tags, doc, flag, span"
        " FROM {}) t";
    EXPECT_EQ(differences(fmt::format(fmt::runtime(same_label), "awkward"),
                          fmt::format(fmt::runtime(same_label), "copy")),
              "0/0");
}

} // namespace

namespace {

/// Iterates the default main context until `done` holds (at most 30 s).
bool pump_until(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done() && std::chrono::steady_clock::now() < until)
        g_main_context_iteration(nullptr, FALSE);
    return done();
}

TEST_F(ImportServer, AsynchronousImportsCompleteOnTheMainLoop) {
    auto copy = empty_copy("copy");
    auto json = std::make_shared<JsonExtractor>();
    json->get_options()["ACTION"] = "append";
    const std::string text = exported(*json, k_all);
    Dizezida::Dovodarud::Contracts::Database::AsyncResultPtr done;
    std::uint64_t last_progress = 0;
    json->import_from_text(
        text, m_connection, copy,
        [&](std::uint64_t, std::uint64_t row, std::string_view) { last_progress = row; },
        [&](const auto& result) { done = result; });
    ASSERT_TRUE(pump_until([&] { return done != nullptr; }));
    auto rows = json->import_from_text_finish(done);
    ASSERT_TRUE(rows.has_value()) << rows.error().message;
    EXPECT_EQ(*rows, static_cast<std::int64_t>(Dizezida::Testing::awkward_row_count()));
    EXPECT_EQ(last_progress, Dizezida::Testing::awkward_row_count());
    EXPECT_EQ(differences("awkward", "copy"), "0/0");

    // A file that is not there fails through the same path.
    done.reset();
    json->get_options()["FILENAME"] = "/nonexistent/records.json";
    json->import_from_file(m_connection, copy, {}, [&](const auto& result) { done = result; });
    ASSERT_TRUE(pump_until([&] { return done != nullptr; }));
    EXPECT_FALSE(json->import_from_file_finish(done).has_value());
}

} // namespace

namespace {

TEST_F(ImportServer, CopyWritesWhatTheDelimitedExtractorWrites) {
    const std::vector<Options> cases{
        {},
        {{"DELIMITER_COLUMN", "\t"}},
        {{"NULL_VALUE", "\\N"}, {"HAS_HEADER", "false"}},
        {{"QUOTATION_LIST", "'-'-''-''"}, {"DELIMITER_COLUMN", ";"}},
    };
    for (const char* sql : {k_all, "SELECT label AS \"\\.\" FROM awkward UNION ALL SELECT '\\.'"}) {
        for (const Options& options : cases) {
            DsvExtractor csv;
            for (const auto& [key, value] : options)
                csv.get_options()[key] = value;
            std::string copied;
            auto rows = csv.export_by_copy(connection(), sql, [&](std::string_view text) {
                copied += text;
                return Dizezida::Core::Result<void>();
            });
            ASSERT_TRUE(rows.has_value());
            ASSERT_TRUE(rows->has_value()) << rows->error().message;
            EXPECT_EQ(copied, exported(csv, sql)) << sql << " with " << options.size() << " options";
        }
    }
    // Marks COPY cannot write alike: no COPY.
    DsvExtractor always;
    always.get_options()["QUOTATION_TIME"] = "always";
    EXPECT_FALSE(always.export_by_copy(connection(), k_all, {}).has_value());
}

} // namespace

namespace {

TEST_F(ImportServer, AFailedBatchIsReplayedWithEveryValueIntact) {
    // One row breaks a check: its batch goes again row by row, so every other
    // value passes through the batch's text and back.
    auto copy = empty_copy("copy");
    run("ALTER TABLE copy ADD CHECK (id <> 7)");
    DsvExtractor csv;
    const Imported result = import_text(csv, exported(csv, k_all), *copy);
    ASSERT_FALSE(result.failure) << result.failure->message;
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_EQ(result.errors[0].first, 8u);
    EXPECT_EQ(result.counts.imported, Dizezida::Testing::awkward_row_count() - 1);
    EXPECT_EQ(differences("(SELECT * FROM awkward WHERE id <> 7) a", "copy"), "0/0");
}

TEST_F(ImportServer, RowsOverManyBatchesAreCountedAsIfImportedOneByOne) {
    // Enough rows for several COPY batches of growing size, one sent while
    // the next is read; refused rows stand at and around batch edges.
    run("CREATE TABLE many (id integer PRIMARY KEY, note text CHECK (note <> 'bad'))");
    auto table = mapped_table("many");
    const std::vector<int> refused{1, 999, 1000, 1001, 3000, 7001, 15000, 31999};
    std::string text = "id,note\n";
    long long sum = 0;
    for (int id = 1; id <= 32000; ++id) {
        const bool bad = std::find(refused.begin(), refused.end(), id) != refused.end();
        text += fmt::format("{},{}\n", id, bad ? "bad" : fmt::format("\"row, {}\"", id));
        sum += bad ? 0 : id;
    }
    for (const bool go_on : {true, false}) {
        run("TRUNCATE many");
        DsvExtractor csv;
        csv.set_continue_on_error(go_on);
        const Imported result = import_text(csv, text, *table);
        if (go_on) {
            ASSERT_FALSE(result.failure) << result.failure->message;
            // Rows are named by their line in the file, the header's being 1.
            std::vector<std::uint64_t> rows, lines;
            for (const auto& error : result.errors)
                rows.push_back(error.first);
            for (const int id : refused)
                lines.push_back(static_cast<std::uint64_t>(id) + 1);
            EXPECT_EQ(rows, lines);
            EXPECT_EQ(result.counts.imported, 32000u - refused.size());
            EXPECT_EQ(run("SELECT count(*) || ' ' || sum(id) || ' ' || "
                          "count(*) FILTER (WHERE note = 'row, ' || id) FROM many"),
                      fmt::format("{0} {1} {0}", 32000 - refused.size(), sum));
        } else {
            ASSERT_TRUE(result.failure);
            ASSERT_EQ(result.errors.size(), 1u);
            EXPECT_EQ(result.errors[0].first, 2u);
            EXPECT_EQ(run("SELECT count(*) FROM many"), "0");
        }
    }
}

} // namespace
