// The transfer job's log lines: warnings of the logging system, each
// starting with the file and line that wrote it.
#pragma once

#include "Foundation/LoggingService.hpp"

#define TRANSFER_LOG(format, ...)                                                                  \
    ::Dizezida::Dovodarud::Foundation::LoggingService::warning(                                    \
        nullptr, "%s:%d: " format, __FILE_NAME__, __LINE__ __VA_OPT__(, ) __VA_ARGS__)
