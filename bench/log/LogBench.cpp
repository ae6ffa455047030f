// Lines per second written through LoggingService to the slice files, side
// by side with spdlog's synchronous file sinks writing lines of the same
// shape ("20260312 14:05:09.042 [SYS][SYS][PLAIN] SQL: ... rows: N").
//
//   build/bench/log/log_bench [--benchmark_filter=...]
//
// Our handlers write each line with one write(2) call and keep no buffer,
// so "spdlog/basic_flush_each_line" is the like-for-like comparison;
// "spdlog/basic" buffers in its FILE* and flushes only when it is full.
// The files go to a scratch folder under the system temporary folder,
// removed at exit.
#include "Foundation/LoggingService.hpp"
#include "Foundation/Services.hpp"
#include "Supports/Log/LogManager.hpp"
#include "Supports/Log/TempFileLogHandler.hpp"

#include <benchmark/benchmark.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/spdlog.h>

#include <memory>
#include <mutex>
#include <string>

using namespace Dizezida::Dovodarud;
using Contracts::Log::LogLevel;
using Foundation::LoggingService;

namespace {

constexpr const char* k_sql = "SELECT id, name, created FROM public.orders WHERE id = 42";
constexpr std::int64_t k_slice_size = 16 * 1024 * 1024;

std::string& scratch() {
    static std::string folder = [] {
        gchar* path = g_dir_make_tmp("dizezida-log-bench-XXXXXX", nullptr);
        std::string result = path ? path : "/tmp";
        g_free(path);
        return result;
    }();
    return folder;
}

void remove_scratch() {
    if (GDir* dir = g_dir_open(scratch().c_str(), 0, nullptr)) {
        while (const char* entry = g_dir_read_name(dir))
            g_remove((scratch() + "/" + entry).c_str());
        g_dir_close(dir);
    }
    g_rmdir(scratch().c_str());
}

void start_logging_service() {
    static std::once_flag once;
    std::call_once(once, [] {
        Foundation::Services::initialize();
        Foundation::Services::register_type<Contracts::Log::ILogManager, Supports::Log::LogManager>();
        LoggingService::initialize("bench", LogLevel::Plain, scratch(), k_slice_size);
    });
}

std::shared_ptr<spdlog::logger> spdlog_logger(const std::string& name, spdlog::sink_ptr sink,
                                              bool flush_each_line) {
    auto logger = std::make_shared<spdlog::logger>(name, std::move(sink));
    logger->set_pattern("%Y%m%d %H:%M:%S.%e [SYS][SYS][PLAIN] %v");
    if (flush_each_line)
        logger->flush_on(spdlog::level::trace);
    return logger;
}

void BM_LoggingService_SliceFiles(benchmark::State& state) {
    start_logging_service();
    int row = 0;
    for (auto _ : state)
        LoggingService::message(nullptr, "SQL: %s rows: %d", k_sql, ++row);
    state.SetItemsProcessed(state.iterations());
}

void BM_LoggingService_ConnectionAndMain(benchmark::State& state) {
    start_logging_service();
    const std::string uuid = "bench-connection-" + std::to_string(state.thread_index());
    int row = 0;
    for (auto _ : state)
        LoggingService::message(uuid, "SQL: %s rows: %d", k_sql, ++row);
    state.SetItemsProcessed(state.iterations());
    // The connection's temporary file is left by design; remove it here.
    auto logger = LoggingService::get_manager()->open(uuid);
    for (const auto& handler : logger->get_handlers())
        if (auto temp = std::dynamic_pointer_cast<Supports::Log::TempFileLogHandler>(handler))
            g_remove(temp->path().c_str());
    LoggingService::get_manager()->close(uuid);
}

template <bool flush_each_line, bool rotating> void BM_Spdlog(benchmark::State& state) {
    static std::shared_ptr<spdlog::logger> logger;
    if (state.thread_index() == 0) {
        const std::string name = std::string("spdlog-") + (rotating ? "rotating" : "basic") +
                                 (flush_each_line ? "-flush" : "");
        spdlog::sink_ptr sink;
        if constexpr (rotating)
            sink = std::make_shared<spdlog::sinks::rotating_file_sink_mt>(
                scratch() + "/" + name + ".log", k_slice_size, 1000);
        else
            sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(scratch() + "/" + name +
                                                                       ".log");
        logger = spdlog_logger(name, std::move(sink), flush_each_line);
    }
    int row = 0;
    for (auto _ : state)
        logger->info("SQL: {} rows: {}", k_sql, ++row);
    state.SetItemsProcessed(state.iterations());
    if (state.thread_index() == 0) {
        logger->flush();
        logger.reset();
    }
}

} // namespace

BENCHMARK(BM_LoggingService_SliceFiles)->Name("dizezida/slice_files")->Threads(1)->Threads(4);
BENCHMARK(BM_Spdlog<true, false>)->Name("spdlog/basic_flush_each_line")->Threads(1)->Threads(4);
BENCHMARK(BM_Spdlog<false, false>)->Name("spdlog/basic")->Threads(1)->Threads(4);
BENCHMARK(BM_Spdlog<false, true>)->Name("spdlog/rotating")->Threads(1)->Threads(4);
BENCHMARK(BM_LoggingService_ConnectionAndMain)->Name("dizezida/connection_and_main")->Threads(1);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    LoggingService::shutdown();
    remove_scratch();
    return 0;
}
