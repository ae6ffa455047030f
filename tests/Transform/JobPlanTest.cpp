// The jobs' option maps and the typed plans they convert to, without a
// server: names and conditions holding any character come back as they
// went, and keys callers wrote before names were escaped still read alike.
#include "Transform/SyncPlan.hpp"
#include "Transform/Transfer.hpp"

#include <gtest/gtest.h>

namespace {

using namespace Dizezida::Dovodarud::Transform;

const std::vector<std::string> k_odd_names{"plain", "x.y", "a|b", "back\\slash", "\\.|", "end\\"};

TEST(JobOptions, NamesInKeyFieldsComeBackAsTheyWent) {
    for (const std::string& name : k_odd_names) {
        EXPECT_EQ(key_names(key_name(name)), std::vector<std::string>{name}) << name;
        EXPECT_EQ(unescaped(key_name(name)), name);
        for (const std::string& other : k_odd_names) {
            const std::string key = option_key("table", key_name(name, other), "MODE");
            const auto fields = key_fields(key);
            ASSERT_EQ(fields.size(), 3u) << key;
            EXPECT_EQ(key_names(fields[1]), (std::vector<std::string>{name, other})) << key;
        }
    }
    // Names without "\", "|" and "." make the keys they always made.
    EXPECT_EQ(option_key("table", key_name("sales", "orders"), "MODE"), "table|sales.orders|MODE");
    // Schema x.y's table z and schema x's table y.z no longer share a key.
    EXPECT_NE(key_name("x.y", "z"), key_name("x", "y.z"));
}

TransferPlan odd_plan() {
    TransferPlan plan;
    plan.source_database = "db|1";
    plan.drop = true;
    plan.binary = false;
    plan.jobs = 3;
    plan.schemas = {{"x.y", "a|b"}, {"x", ""}};
    TransferObjectPlan& first = plan.objects[{"x", "y.z"}];
    first.target_name = "first";
    first.columns = {{"a,b=c", "d;e"}, {"id", "id"}, {"[\"q\"]", "\\"}};
    first.conditions = {"note = 'a;b'", "x = '=|.' OR y IS NULL"};
    first.batch = 7;
    plan.objects[{"x.y", "z"}].conditions = {"id > 1"};
    plan.objects[{"", "bare|name"}].view_to_table = true;
    return plan;
}

TEST(TransferPlan, ComesBackFromItsOptionMap) {
    const TransferPlan plan = odd_plan();
    const JobOptions options = transfer_options(plan);
    const auto read = transfer_plan(options);
    ASSERT_TRUE(read.has_value()) << read.error().message;
    EXPECT_EQ(*read, plan);
    EXPECT_EQ(options.at("table|x.y\\.z|NAME"), "first");
    EXPECT_EQ(options.at("table|x\\.y.z|RECORDS"), R"(["id > 1"])");
    // A job keeps the plan it is given, or the one its map describes.
    EXPECT_EQ(Transfer(plan).plan(), plan);
    EXPECT_EQ(Transfer(options).plan(), plan);
}

TEST(TransferPlan, ReadsTheMapsCallersWrite) {
    const auto read = transfer_plan({{"OPTION|SOURCE|DATABASE", "shop"},
                                     {"OPTION|RESULT|CONTINUE", "true"},
                                     {"schema|src|MODE", "true"},
                                     {"schema|src|NAME", "dst"},
                                     {"schema|other.one|MODE", "false"},
                                     {"schema|other.one|NAME", "ignored"},
                                     {"table|src.t|MODE", "true"},
                                     {"table|src.t|FIELDS", "ALL"},
                                     {"table|src.t|BATCH", "many"},
                                     {"table|v|MODE", "true"},
                                     {"table|v|VIEW2TABLE", "true"},
                                     {"view|v|FIELDS", R"([["a", "b"]])"},
                                     {"table|u|MODE", "false"},
                                     {"table|u|NAME", "ignored"}});
    ASSERT_TRUE(read.has_value()) << read.error().message;
    EXPECT_EQ(read->source_database, "shop");
    EXPECT_TRUE(read->go_on);
    EXPECT_FALSE(read->drop);
    EXPECT_TRUE(read->binary); // binary where it can, one job per table up to the default
    EXPECT_EQ(read->jobs, 0u);
    EXPECT_EQ(read->target_schema("src"), "dst");
    EXPECT_EQ(read->target_schema("other.one"), "other.one");
    const TransferObjectPlan* table = read->object("src", "t");
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->columns.empty());
    EXPECT_EQ(table->page_rows(), TransferObjectPlan::k_default_batch);
    // A bare name stands for the table of that name in every schema.
    const TransferObjectPlan* view = read->object("src", "v");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->view_to_table);
    EXPECT_EQ(view->columns, (std::vector<ColumnPair>{{"a", "b"}}));
    ASSERT_NE(read->object("any", "u"), nullptr);
    EXPECT_EQ(read->object("any", "u")->target_name, "");
    EXPECT_EQ(read->object("src", "missing"), nullptr);
}

TEST(TransferPlan, AMapItCannotReadFailsTheRun) {
    const JobOptions bases{{"schema|s|MODE", "true"}, {"table|s.t|MODE", "true"}};
    for (const auto& [key, value] :
         std::vector<std::pair<std::string, std::string>>{{"table|s.t|FIELDS", "id=id;a=b"},
                                                          {"table|s.t|FIELDS", R"([["a"]])"},
                                                          {"table|s.t|RECORDS", "n = 1; n = 2"},
                                                          {"table|x.y.z|MODE", "true"}}) {
        JobOptions options = bases;
        options[key] = value;
        const auto read = transfer_plan(options);
        ASSERT_FALSE(read.has_value()) << key << " " << value;
        Transfer job(options);
        job.set_progress(Dizezida::Dovodarud::Contracts::ThreadProgress::create());
        job.handle();
        const auto& progress = *job.get_progress();
        EXPECT_EQ(progress.state, Dizezida::Dovodarud::Contracts::JobState::ended);
        EXPECT_EQ(progress.failed, 1u);
        ASSERT_EQ(progress.messages.size(), 1u);
        EXPECT_TRUE(progress.messages.front().ends_with(read.error().message))
            << progress.messages.front();
    }
}

TEST(SyncPlan, ComesBackFromItsOptionMap) {
    SyncPlan plan;
    plan.source_database = "a";
    plan.source_schema = "p|q.r";
    plan.target_database = "b";
    plan.target_schema = "t";
    plan.go_on = true;
    for (const std::string& name : k_odd_names)
        plan.objects.emplace("table", name);
    plan.objects.emplace("view", "v|w");
    const JobOptions options = sync_options(plan);
    EXPECT_EQ(sync_plan(options), plan);
    EXPECT_EQ(options.count("OPTION|table|a\\|b"), 1u);
    EXPECT_EQ(plan.tables().size(), k_odd_names.size());
    EXPECT_TRUE(plan.takes_part("view", "v|w"));
    EXPECT_FALSE(plan.takes_part("table", "v|w"));
    // A name written with a bare point reads as it stands.
    EXPECT_EQ(sync_plan({{"OPTION|table|a.b", ""}}).tables(), std::vector<std::string>{"a.b"});
}

} // namespace
