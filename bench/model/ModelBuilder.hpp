// A large meta model for the JSON measurements.
#pragma once

#include "Model/MetaDatabase.hpp"

#include <cstddef>

namespace Dizezida::Bench {

/// A database with one schema of `tables` tables of `columns` columns each;
/// columns carry names, types, ordinals and the usual flags, tables an owner.
std::shared_ptr<Dovodarud::MetaModel::MetaDatabase> build_model(std::size_t tables,
                                                                std::size_t columns);

/// The peak resident set size of this process so far, in MiB.
double peak_rss_mib();

} // namespace Dizezida::Bench
