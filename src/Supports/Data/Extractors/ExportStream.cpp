#include "Supports/Data/Extractors/ExportStream.hpp"

#include "provider/Contracts/IDataReader.hpp"
#include "provider/Contracts/TableModel.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

ExportStream::ExportStream(BaseExtractor& extractor, Sink sink, RowProgressCallback progress)
    : m_extractor(extractor), m_sink(std::move(sink)), m_progress(std::move(progress)) {}

Core::Result<void> ExportStream::write(const TableModel& chunk) {
    m_text.clear();
    if (!m_started) {
        auto head = m_extractor.begin_rows(chunk);
        if (!head)
            return Core::fail(std::move(head).error());
        m_text = std::move(*head);
        m_started = true;
    }
    const std::size_t rows = chunk.get_row_count();
    for (std::size_t index = 0; index < rows; ++index) {
        const std::size_t start = m_text.size();
        m_extractor.append_row(chunk, index, ++m_rows, m_text);
        if (m_progress)
            m_progress(0, m_rows, std::string_view(m_text).substr(start));
    }
    return m_text.empty() ? Core::Result<void>() : m_sink(m_text);
}

Core::Result<std::uint64_t> ExportStream::finish() {
    const std::string tail = m_extractor.end_rows(m_rows);
    if (!tail.empty())
        DIZEZIDA_TRY(m_sink(tail));
    return m_rows;
}

Core::Result<std::uint64_t> ExportStream::export_reader(BaseExtractor& extractor,
                                                        Zozuvoru::Contracts::IDataReader& reader,
                                                        Sink sink, std::size_t chunk_rows,
                                                        RowProgressCallback progress) {
    ExportStream stream(extractor, std::move(sink), std::move(progress));
    for (;;) {
        auto chunk = reader.read_model(chunk_rows);
        if (!chunk)
            return Core::fail(std::move(chunk).error());
        DIZEZIDA_TRY(stream.write(**chunk));
        if ((*chunk)->get_row_count() == 0)
            break;
    }
    return stream.finish();
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
