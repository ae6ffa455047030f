// The file formats of the export and import commands, by name: the
// extractor that writes or reads each, with the format's own defaults set
// (tsv: a tab between columns) before the user's options.
#pragma once

#include <memory>
#include <string>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {
class BaseExtractor;
class ImportingExtractor;
} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

namespace Dizezida::Rezizida {

/// The formats `export` writes, for messages ("insert, update, ...").
extern const char* const k_export_formats;
/// The formats `import` reads.
extern const char* const k_import_formats;

/// The extractor writing a format; nullptr for an unknown one.
std::shared_ptr<Dovodarud::Supports::Data::Extractors::BaseExtractor>
exporter_for(const std::string& format);
/// The extractor reading a format; nullptr for an unknown one.
std::shared_ptr<Dovodarud::Supports::Data::Extractors::ImportingExtractor>
importer_for(const std::string& format);
/// The format a file name's extension names ("" when none fits).
std::string format_of_file(const std::string& path);

} // namespace Dizezida::Rezizida
