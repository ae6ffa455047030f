#include "ui/DataFormats.hpp"

#include "Supports/Data/Extractors/DsvExtractor.hpp"
#include "Supports/Data/Extractors/HtmlExtractor.hpp"
#include "Supports/Data/Extractors/JsonExtractor.hpp"
#include "Supports/Data/Extractors/MarkdownExtractor.hpp"
#include "Supports/Data/Extractors/SqlInsertExtractor.hpp"
#include "Supports/Data/Extractors/SqlUpdateExtractor.hpp"
#include "Supports/Data/Extractors/XmlExtractor.hpp"

namespace Dizezida::Rezizida {

using namespace Dovodarud::Supports::Data::Extractors;

const char* const k_export_formats = "insert, update, html, md, csv, tsv, json, xml";
const char* const k_import_formats = "csv, tsv, json, xml";

std::shared_ptr<ImportingExtractor> importer_for(const std::string& format) {
    if (format == "csv")
        return std::make_shared<DsvExtractor>("csv");
    if (format == "tsv") {
        auto tsv = std::make_shared<DsvExtractor>("tsv");
        tsv->get_options().insert_or_assign("DELIMITER_COLUMN", std::string(1, '\t'));
        return tsv;
    }
    if (format == "json")
        return std::make_shared<JsonExtractor>();
    if (format == "xml")
        return std::make_shared<XmlExtractor>();
    return nullptr;
}

std::shared_ptr<BaseExtractor> exporter_for(const std::string& format) {
    if (format == "insert")
        return std::make_shared<SqlInsertExtractor>();
    if (format == "update")
        return std::make_shared<SqlUpdateExtractor>();
    if (format == "html")
        return std::make_shared<HtmlExtractor>();
    if (format == "md")
        return std::make_shared<MarkdownExtractor>();
    return importer_for(format);
}

std::string format_of_file(const std::string& path) {
    const auto point = path.rfind('.');
    if (point == std::string::npos || path.find('/', point) != std::string::npos)
        return {};
    std::string extension = path.substr(point + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return importer_for(extension) ? extension : std::string();
}

} // namespace Dizezida::Rezizida
