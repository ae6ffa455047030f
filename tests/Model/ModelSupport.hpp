// Helpers for the meta model tests: sample models with every property set,
// and a deep, property-by-property comparison of two models.
#pragma once

#include "Model/MetaDatabase.hpp"
#include "Model/MetaTable.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace Dizezida::Testing {

/// Every instantiable class of the meta model.
const std::vector<const Core::TypeInfo*>& meta_classes();

/// Sets every writable property that is not an object list to a value that
/// differs from its default and depends on `seed` (texts with quotes,
/// backslashes, a line break and non-ASCII letters; 64-bit numbers above
/// 2^32; flag combinations).
void fill_properties(Core::Object& object, int seed);

/// A table with every property set, columns, indexes, rules, triggers and
/// constraints of every kind in a mixed order.
std::shared_ptr<Dovodarud::MetaModel::MetaTable> sample_table(int seed);

/// A database of two schemas holding every kind of object, every property set.
std::shared_ptr<Dovodarud::MetaModel::MetaDatabase> sample_database();

/// Whether two models are equal: same classes, equal properties, object
/// lists compared element by element, recursively. The failure names the
/// first differing path.
::testing::AssertionResult same_model(const Core::Object& left, const Core::Object& right);

/// The names of a list of meta objects, in order.
template <class List> std::vector<std::string> names_of(const List& list) {
    std::vector<std::string> names;
    for (const auto& item : list)
        names.push_back(item ? item->get_name() : "(null)");
    return names;
}

} // namespace Dizezida::Testing
