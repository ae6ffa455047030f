// An export whose rows arrive in chunks (the provider's reader gives a
// result of any size that way): the extractor's head is written with the
// first chunk, each chunk's rows as they come, the tail at the end. The
// bytes are exactly those `export_to_text` gives for the whole result;
// memory holds one chunk and its text.
//
// Used by one thread at a time.
#pragma once

#include "Supports/Data/Extractors/BaseExtractor.hpp"

#include <functional>

namespace Dizezida::Zozuvoru::Contracts {
class IDataReader;
}

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

class ExportStream {
public:
    /// Takes the text of each step; an error stops the export.
    using Sink = std::function<Core::Result<void>(std::string_view text)>;

    /// `progress` gets 0 as the total (not known while streaming).
    ExportStream(BaseExtractor& extractor, Sink sink, RowProgressCallback progress = {});

    /// Writes the rows of the next chunk; the first chunk (rows or not) also
    /// gives the columns and the head.
    [[nodiscard]] Core::Result<void> write(const TableModel& chunk);
    /// Writes the tail; the number of rows written.
    [[nodiscard]] Core::Result<std::uint64_t> finish();

    /// Reads a reader to its end in chunks of `chunk_rows` and writes them all.
    [[nodiscard]] static Core::Result<std::uint64_t>
    export_reader(BaseExtractor& extractor, Zozuvoru::Contracts::IDataReader& reader, Sink sink,
                  std::size_t chunk_rows, RowProgressCallback progress = {});

private:
    BaseExtractor& m_extractor;
    Sink m_sink;
    RowProgressCallback m_progress;
    bool m_started = false;
    std::uint64_t m_rows = 0;
    std::string m_text;
};

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
