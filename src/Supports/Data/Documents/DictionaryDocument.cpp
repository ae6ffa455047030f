#include "Supports/Data/Documents/DictionaryDocument.hpp"

#include "Model/MetaModel.hpp"
#include "core/AtomicFile.hpp"
#include "core/Precondition.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Documents {
namespace {

constexpr std::size_t k_piece = std::size_t{1} << 20;

} // namespace

Core::Result<void>
DictionaryDocument::write(const MetaModel::MetaDatabase& database, const Configuration& cfg,
                          const std::function<Core::Result<void>(std::string&)>& flush) {
    std::string out;
    begin(out, database, cfg, index_entries(database));
    const auto next = [&]() -> Core::Result<void> {
        if (out.size() < k_piece)
            return {};
        return flush(out);
    };
    for (const auto& schema : database.get_schemas()) {
        for (const auto& table : schema->get_tables()) {
            out += separator();
            make_table_section(out, *table);
            DIZEZIDA_TRY(next());
        }
        for (const auto& view : schema->get_views()) {
            out += separator();
            make_view_section(out, *view);
            DIZEZIDA_TRY(next());
        }
    }
    end(out, cfg);
    return flush(out);
}

Core::Result<void>
DictionaryDocument::produce(const std::shared_ptr<MetaModel::MetaDatabase>& meta_database,
                            const std::string& filename, const Configuration& cfg) {
    DIZEZIDA_RETURN_VAL_IF_NULL(
        meta_database,
        Core::fail(Core::Error::make("default", -1, "meta_database != NULL")));
    auto file = Core::AtomicFile::create(filename, Core::AtomicFile::default_mode());
    if (!file)
        return std::unexpected(file.error());
    DIZEZIDA_TRY(write(*meta_database, cfg, [&file](std::string& piece) -> Core::Result<void> {
        DIZEZIDA_TRY(file->write(piece));
        piece.clear();
        return {};
    }));
    return file->commit();
}

void DictionaryDocument::make_table_section(std::string& out, const MetaModel::MetaTable& table) {
    make_section(out, table, table.get_columns());
}

void DictionaryDocument::make_view_section(std::string& out, const MetaModel::MetaView& view) {
    make_section(out, view, view.get_columns());
}

std::string DictionaryDocument::produce_text(const MetaModel::MetaDatabase& database,
                                             const Configuration& cfg) {
    std::string text;
    (void)write(database, cfg, [&text](std::string& piece) -> Core::Result<void> {
        text += piece;
        piece.clear();
        return {};
    });
    return text;
}

const Core::TypeInfo& DictionaryDocument::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<DictionaryDocument, Core::Object>(
        "DizezidaDovodarudSupportsDataDocumentsDictionaryDocument", {},
        {&Contracts::Data::IDocument::static_type()});
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Documents

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Data::Documents::DictionaryDocument)
