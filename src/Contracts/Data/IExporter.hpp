// What every exporter offers: a result model written as text or to a file,
// configured through an options map of upper-case keys ("TABLENAME",
// "DELIMITER_COLUMN", ...) that callers fill before each operation.
//
// An exporter is used by one thread at a time; options are read anew at the
// start of each operation.
#pragma once

#include "core/Error.hpp"
#include "core/Object.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace Dizezida::Zozuvoru::Contracts {
class TableModel;
}

namespace Dizezida::Dovodarud::Contracts::Data {

/// Called with the total number of rows, the number of the row just handled
/// (from 1) and the text made for it (empty from importers).
using RowProgressCallback =
    std::function<void(std::uint64_t total, std::uint64_t row, std::string_view text)>;

/// Option keys to values.
using Options = std::map<std::string, std::string, std::less<>>;

class IExporter {
    DIZEZIDA_INTERFACE(IExporter)
public:
    virtual ~IExporter() = default;

    /// Writes the model to a file, replacing it whole or not at all; the
    /// number of rows written.
    [[nodiscard]] virtual Core::Result<std::uint64_t>
    export_to_file(const Zozuvoru::Contracts::TableModel& model, const std::string& filename,
                   const RowProgressCallback& progress) = 0;
    /// Replaces `buffer` with the model's text; the number of rows.
    [[nodiscard]] virtual Core::Result<std::uint64_t>
    export_to_text(const Zozuvoru::Contracts::TableModel& model, std::string& buffer,
                   const RowProgressCallback& progress) = 0;
    virtual Options& get_options() = 0;
    virtual const std::string& get_file_extention() const = 0;
    virtual bool get_continue_on_error() const = 0;
    virtual void set_continue_on_error(bool value) = 0;
};

using ExporterPtr = std::shared_ptr<IExporter>;

} // namespace Dizezida::Dovodarud::Contracts::Data
