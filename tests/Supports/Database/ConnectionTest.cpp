// Connections against the test server: the open/close state machine, the
// synchronous and asynchronous execution, logging, helpers and tunnels.
#include "Supports/Database/ConnectionImpl.hpp"
#include "tests/support/RefusingProvider.hpp"

#include "Contracts/Database/ICachable.hpp"
#include "Supports/Database/Formatter.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/ValueObject.hpp"
#include "provider/Supports/PostgreSQLProvider.hpp"
#include "tests/Supports/Database/ConnectionSupport.hpp"
#include "tests/Supports/Database/SshServer.hpp"
#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

#include <thread>

using namespace Dizezida;
using namespace Dizezida::Dovodarud::Contracts::Database;
using Dovodarud::Supports::Database::ConnectionImpl;
using Testing::run_main_loop_until;
using Zozuvoru::Contracts::TableModel;

namespace {

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_connection->connect_opened([this](IConnection&) { ++m_opened; });
        m_connection->connect_closed([this](IConnection&) { ++m_closed; });
        m_connection->connect_notify(
            [this](Core::Object& object, std::string_view) {
                m_statuses.push_back(dynamic_cast<ConnectionImpl&>(object).get_status());
            },
            "status");
    }

    /// Starts an asynchronous call and pumps the main loop until it completes.
    template <class Start> AsyncResultPtr wait_for(Start start) {
        AsyncResultPtr done;
        start([&done](const AsyncResultPtr& result) { done = result; });
        EXPECT_TRUE(run_main_loop_until([&] { return done != nullptr; }));
        return done;
    }

    Testing::LoggingFixture m_logging;
    std::shared_ptr<ConnectionImpl> m_connection = Testing::postgres_connection();
    Zozuvoru::Contracts::ServerPtr m_server = Testing::test_server();
    int m_opened = 0;
    int m_closed = 0;
    std::vector<DBStatus> m_statuses;
};

/// A provider whose every call fails with code 0 and a message.
class CodeZeroProvider : public Testing::RefusingProvider {
public:
    static Core::Error failure() { return Core::Error{"provider", 0, "it went wrong"}; }
    CodeZeroProvider() : RefusingProvider(failure()) {}
};

} // namespace

TEST_F(ConnectionTest, OpenSetsOpenedAndEmitsOnce) {
    EXPECT_EQ(m_connection->get_status(), DBStatus::Unknown);
    ASSERT_TRUE(m_connection->open(m_server, nullptr));
    EXPECT_EQ(m_connection->get_status(), DBStatus::Opened);
    EXPECT_EQ(m_statuses, std::vector<DBStatus>{DBStatus::Opened});
    EXPECT_EQ(m_opened, 1);
    EXPECT_EQ(m_connection->get_server(), m_server);
    EXPECT_EQ(m_connection->get_property("status").get_int64(), 2);
    auto value = m_connection->execute_as_scalar("SELECT 40 + 2", 0);
    ASSERT_TRUE(value);
    EXPECT_EQ((*value)->to_string(), "42");
}

TEST_F(ConnectionTest, FailedOpenKeepsTheProvidersOwnError) {
    m_server->set_initial("no_such_database_here");
    auto direct = Zozuvoru::Supports::PostgreSQLProvider::create()->open(m_server, "");
    ASSERT_FALSE(direct);
    auto opened = m_connection->open(m_server, nullptr);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error(), direct.error());
    EXPECT_EQ(m_connection->get_status(), DBStatus::Failed);
    EXPECT_EQ(m_opened, 0);
    EXPECT_NE(m_logging.recent(m_server->uuid()).find("SQL: Failed to open connection: "),
              std::string::npos);
}

TEST_F(ConnectionTest, CloseClearsTheCacheAndTwiceDoesNothing) {
    ASSERT_TRUE(m_connection->open(m_server, nullptr));
    auto cache = m_connection->cache();
    cache->append("k", "v");
    m_connection->close();
    m_connection->close();
    EXPECT_EQ(m_closed, 1);
    EXPECT_EQ(m_connection->get_status(), DBStatus::Closed);
    EXPECT_FALSE(cache->lookup("k"));
    EXPECT_EQ(m_connection->cache(), cache);
    EXPECT_EQ(m_statuses, (std::vector<DBStatus>{DBStatus::Opened, DBStatus::Closed}));

    ASSERT_TRUE(m_connection->reopen());
    EXPECT_EQ(m_opened, 2);
    EXPECT_EQ(m_connection->get_status(), DBStatus::Opened);
}

TEST_F(ConnectionTest, SetStatusNotifiesOnlyOnChange) {
    m_connection->set_status(DBStatus::Closed);
    m_connection->set_status(DBStatus::Closed);
    EXPECT_TRUE(m_connection->set_property(
        "status", Core::Value::enumeration(enum_info(DBStatus{}), 3)));
    EXPECT_EQ(m_statuses, (std::vector<DBStatus>{DBStatus::Closed, DBStatus::Failed}));
}

TEST_F(ConnectionTest, SynchronousFormsPassTheProviderErrorUnchanged) {
    ASSERT_TRUE(m_connection->open(m_server, nullptr));
    auto affected = m_connection->execute_no_query("UPDATE missing_table SET a = 1", 0);
    ASSERT_FALSE(affected);
    EXPECT_EQ(affected.error().domain, Zozuvoru::Contracts::k_provider_error_domain);
    EXPECT_NE(affected.error().message.find("42P01"), std::string::npos);
    auto results = m_connection->execute("SELECT 1; CREATE TEMP TABLE t(a int); SELECT 2, 3", 0);
    ASSERT_TRUE(results);
    ASSERT_EQ(results->size(), 3u);
    EXPECT_TRUE(std::dynamic_pointer_cast<TableModel>((*results)[0]));
    EXPECT_TRUE(std::dynamic_pointer_cast<Zozuvoru::Contracts::ValueObject>((*results)[1]));
    const std::string log = m_logging.recent(m_server->uuid());
    EXPECT_NE(log.find("SQL: UPDATE missing_table SET a = 1"), std::string::npos);
    EXPECT_NE(log.find("affected rows: true"), std::string::npos);
}

TEST_F(ConnectionTest, AsynchronousFormsCompleteOnTheMainLoop) {
    ASSERT_TRUE(m_connection->open(m_server, nullptr));
    const auto main_thread = std::this_thread::get_id();
    std::thread::id completed_on;
    AsyncResultPtr done;
    m_connection->execute_as_model_async("SELECT g FROM generate_series(1, 5) g",
                                         [&](const AsyncResultPtr& result) {
                                             completed_on = std::this_thread::get_id();
                                             done = result;
                                         });
    ASSERT_TRUE(run_main_loop_until([&] { return done != nullptr; }));
    EXPECT_EQ(completed_on, main_thread);
    auto table = m_connection->execute_as_model_finish(done);
    ASSERT_TRUE(table);
    EXPECT_EQ((*table)->get_row_count(), 5u);

    auto scalar = m_connection->execute_as_scalar_finish(
        wait_for([&](AsyncCallback cb) { m_connection->execute_as_scalar_async("SELECT 'x'", cb); }));
    ASSERT_TRUE(scalar);
    EXPECT_EQ((*scalar)->to_string(), "x");
    auto affected = m_connection->execute_no_query_finish(wait_for([&](AsyncCallback cb) {
        m_connection->execute_no_query_async("CREATE TEMP TABLE a AS SELECT 1 UNION ALL SELECT 2",
                                             cb);
    }));
    ASSERT_TRUE(affected);
    EXPECT_EQ(*affected, 2);
    auto results = m_connection->execute_finish(
        wait_for([&](AsyncCallback cb) { m_connection->execute_async("SELECT 1; SELECT 2", cb); }));
    ASSERT_TRUE(results);
    EXPECT_EQ(results->size(), 2u);
    EXPECT_FALSE(m_connection->execute_as_model_finish(wait_for(
        [&](AsyncCallback cb) { m_connection->execute_as_scalar_async("SELECT 1", cb); })));
}

TEST_F(ConnectionTest, AsynchronousErrorsComeInTheDefaultDomain) {
    ASSERT_TRUE(m_connection->open(m_server, nullptr));
    auto table = m_connection->execute_as_model_finish(
        wait_for([&](AsyncCallback cb) { m_connection->execute_as_model_async("SELEC 1", cb); }));
    ASSERT_FALSE(table);
    EXPECT_EQ(table.error().domain, "default");
    EXPECT_NE(table.error().code, 0);
    EXPECT_NE(table.error().message.find("42601"), std::string::npos);
    const std::string log = m_logging.recent(m_server->uuid());
    EXPECT_NE(log.find("failed: " + std::to_string(table.error().code) + " -> "), std::string::npos);
}

TEST_F(ConnectionTest, FailureWithCodeZeroIsNeverReportedAsSuccess) {
    auto connection = std::make_shared<ConnectionImpl>(std::make_shared<CodeZeroProvider>());
    auto expect_failed = [&](const AsyncResultPtr& result, auto finish) {
        auto outcome = finish(result);
        ASSERT_FALSE(outcome);
        EXPECT_EQ(outcome.error(), (Core::Error{"default", 0, "it went wrong"}));
    };
    expect_failed(wait_for([&](AsyncCallback cb) { connection->execute_as_model_async("x", cb); }),
                  [&](auto r) { return connection->execute_as_model_finish(r); });
    expect_failed(wait_for([&](AsyncCallback cb) { connection->execute_as_scalar_async("x", cb); }),
                  [&](auto r) { return connection->execute_as_scalar_finish(r); });
    expect_failed(wait_for([&](AsyncCallback cb) { connection->execute_no_query_async("x", cb); }),
                  [&](auto r) { return connection->execute_no_query_finish(r); });
    expect_failed(wait_for([&](AsyncCallback cb) { connection->execute_async("x", cb); }),
                  [&](auto r) { return connection->execute_finish(r); });
}

TEST_F(ConnectionTest, ManyAsynchronousQueriesOnOneConnection) {
    ASSERT_TRUE(m_connection->open(m_server, nullptr));
    constexpr int queries = 40;
    std::vector<AsyncResultPtr> results(queries);
    int completed = 0;
    for (int i = 0; i < queries; ++i)
        m_connection->execute_as_model_async(
            "SELECT g FROM generate_series(1, " + std::to_string(i + 1) + ") g",
            [&, i](const AsyncResultPtr& result) {
                results[i] = result;
                ++completed;
            });
    ASSERT_TRUE(run_main_loop_until([&] { return completed == queries; }));
    for (int i = 0; i < queries; ++i) {
        auto table = m_connection->execute_as_model_finish(results[i]);
        ASSERT_TRUE(table) << table.error().message;
        EXPECT_EQ((*table)->get_row_count(), static_cast<std::size_t>(i + 1));
    }
}

TEST_F(ConnectionTest, AsynchronousOpenAndItsFailure) {
    ASSERT_TRUE(m_connection->open_finish(
        wait_for([&](AsyncCallback cb) { m_connection->open_async(m_server, nullptr, cb); })));
    EXPECT_EQ(m_opened, 1);
    EXPECT_EQ(m_connection->get_status(), DBStatus::Opened);

    auto broken = Testing::test_server();
    broken->set_initial("no_such_database_here");
    auto failed = m_connection->open_finish(
        wait_for([&](AsyncCallback cb) { m_connection->open_async(broken, nullptr, cb); }));
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().domain, "default");
    EXPECT_EQ(m_opened, 1);
    EXPECT_EQ(m_connection->get_status(), DBStatus::Failed);
    EXPECT_NE(m_logging.recent(broken->uuid()).find("Failed to open connection: "),
              std::string::npos);
}

TEST_F(ConnectionTest, HelpersAreMadeOnceAndTheFormatterIsConfigured) {
    auto formatter = m_connection->formatter();
    EXPECT_EQ(m_connection->formatter(), formatter);
    auto concrete = std::dynamic_pointer_cast<Dovodarud::Supports::Database::Formatter>(formatter);
    ASSERT_TRUE(concrete);
    EXPECT_EQ(concrete->option_value("LINE_START"), std::string(ConnectionImpl::k_line_start));
    EXPECT_EQ(concrete->option_value("LINE_BREAK"), std::string(ConnectionImpl::k_line_break));
    EXPECT_EQ(m_connection->cache(), m_connection->cache());
    EXPECT_EQ(m_connection->statement(), nullptr); // the dialect makes it
    EXPECT_EQ(m_connection->adapter(), nullptr);
}

TEST_F(ConnectionTest, TransactionsNeedAnOpenSession) {
    Testing::PlatformLogCapture log;
    EXPECT_FALSE(m_connection->transaction());
    EXPECT_FALSE(m_connection->commit());
    EXPECT_TRUE(log.contains("m_connection.is_opened"));

    ASSERT_TRUE(m_connection->open(m_server, nullptr));
    auto created = m_connection->execute_no_query("CREATE TEMP TABLE tx(a int)", 0);
    ASSERT_TRUE(created) << created.error().message;
    ASSERT_TRUE(m_connection->transaction());
    ASSERT_TRUE(m_connection->execute_no_query("INSERT INTO tx VALUES (1)", 0));
    ASSERT_TRUE(m_connection->rollback());
    EXPECT_EQ((*m_connection->execute_as_scalar("SELECT count(*) FROM tx", 0))->to_string(), "0");
}

TEST_F(ConnectionTest, NullServerIsRefused) {
    Testing::PlatformLogCapture log;
    EXPECT_FALSE(m_connection->open(nullptr, nullptr));
    EXPECT_TRUE(log.contains("server != NULL"));
    EXPECT_EQ(m_connection->get_status(), DBStatus::Unknown);
}

TEST_F(ConnectionTest, OpensThroughARealSshTunnelAndStopsItOnClose) {
    Testing::SshServer sshd;
    ASSERT_TRUE(sshd.failure().empty()) << sshd.failure();
    m_server->set_host("127.0.0.1");
    m_server->set_ssh_using(true);
    m_server->set_ssh_process(sshd.client());
    m_server->set_ssh_port(sshd.port());
    m_server->set_ssh_username(Testing::SshServer::user);
    m_server->set_ssh_password(Testing::SshServer::password);

    ASSERT_TRUE(m_connection->open(m_server, nullptr));
    auto port = m_connection->execute_as_scalar("SELECT inet_server_port()", 0);
    ASSERT_TRUE(port);
    EXPECT_EQ((*port)->to_string(), std::to_string(m_server->port()));
    EXPECT_EQ(m_connection->get_server()->host(), "127.0.0.1"); // the record keeps its own
    EXPECT_NE(m_logging.recent(m_server->uuid()).find("Lauch tunnel tool successfully."),
              std::string::npos);
    m_connection->close();
    // The tunnel child is gone: a new session through its local end fails.
    auto local = m_server->clone();
    local->set_ssh_using(false);
    local->set_port(m_server->port() + 10000);
    EXPECT_FALSE(Testing::postgres_connection()->open(local, nullptr));
}
