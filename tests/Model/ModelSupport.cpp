#include "tests/Model/ModelSupport.hpp"

#include "Model/MetaModel.hpp"

#include "core/Enum.hpp"

#include <fmt/format.h>

namespace Dizezida::Testing {

using namespace Dovodarud::MetaModel;
using Core::Value;
using Core::ValueKind;

const std::vector<const Core::TypeInfo*>& meta_classes() {
    static const std::vector<const Core::TypeInfo*> classes = {
        &MetaObject::static_type(),     &MetaClassify::static_type(),
        &MetaDatabase::static_type(),   &MetaSchema::static_type(),
        &MetaRelation::static_type(),   &MetaRole::static_type(),
        &MetaUser::static_type(),       &MetaSynonym::static_type(),
        &MetaTable::static_type(),      &MetaColumn::static_type(),
        &MetaIndex::static_type(),      &MetaConstraint::static_type(),
        &PrimaryKey::static_type(),     &MetaUnique::static_type(),
        &MetaCheck::static_type(),      &MetaForeignKey::static_type(),
        &MetaExclude::static_type(),    &MetaView::static_type(),
        &Materialized::static_type(),   &MetaFunction::static_type(),
        &MetaTrigger::static_type(),    &MetaRule::static_type(),
        &MetaEvent::static_type(),
    };
    return classes;
}

namespace {

Value sample_value(const Core::Property& property, int seed) {
    const std::string name(property.name);
    switch (property.kind) {
    case ValueKind::Bool: return Value(!property.default_value.get_bool());
    case ValueKind::Char:
    case ValueKind::Int16:
    case ValueKind::Int:
    case ValueKind::Long: return Value::of_signed(property.kind, -3 - seed);
    case ValueKind::Int64: return Value::of_signed(property.kind, -(std::int64_t{1} << 40) - seed);
    case ValueKind::UChar:
    case ValueKind::UInt16:
    case ValueKind::UInt:
    case ValueKind::ULong: return Value::of_unsigned(property.kind, 200 + seed % 50);
    case ValueKind::UInt64:
        return Value::of_unsigned(property.kind, (std::uint64_t{1} << 63) + 7 + seed);
    case ValueKind::Enum: {
        const auto entries = property.enum_type()->entries;
        return Value::enumeration(*property.enum_type(),
                                  entries[1 + seed % (entries.size() - 1)].value);
    }
    case ValueKind::Flags: return Value::flags(*property.enum_type(), 4 | 8);
    case ValueKind::String:
        return Value(fmt::format("{} {} \"q\" 'a' \\ \u00e9\u4e2d\n", name, seed));
    case ValueKind::StringList:
        return Value(Core::StringList{name + "-1", fmt::format("{}-\"{}\"", name, seed)});
    case ValueKind::StringMap:
        return Value(Core::StringMap{{"OWNER", fmt::format("owner{}", seed)},
                                     {"K_" + name, "v\"\\" + std::to_string(seed)}});
    default: return property.default_value;
    }
}

template <class T> std::shared_ptr<T> filled(std::shared_ptr<T> object, int seed) {
    fill_properties(*object, seed);
    return object;
}

std::shared_ptr<MetaView> view_of(std::shared_ptr<MetaView> view, int seed) {
    fill_properties(*view, seed);
    view->set_definition(fmt::format("SELECT t.a{0},\n    t.b AS bee{0}, c\n   FROM t;", seed));
    return view;
}

std::shared_ptr<MetaFunction> routine(bool is_function, int seed) {
    auto function = filled(std::make_shared<MetaFunction>(), seed);
    function->set_is_function(is_function);
    return function;
}

} // namespace

void fill_properties(Core::Object& object, int seed) {
    for (const Core::Property* property : object.type().properties())
        if (property->writable() && property->set && property->kind != ValueKind::ObjectList)
            property->set(object, sample_value(*property, seed));
}

std::shared_ptr<MetaTable> sample_table(int seed) {
    auto table = filled(std::make_shared<MetaTable>(), seed);
    table->set_name(fmt::format("t{}", seed));
    table->set_constraints({
        filled(std::make_shared<MetaUnique>(), seed + 1),
        filled(std::make_shared<MetaCheck>(), seed + 2),
        filled(std::make_shared<PrimaryKey>(), seed + 3),
        filled(std::make_shared<MetaForeignKey>(), seed + 4),
        filled(std::make_shared<MetaExclude>(), seed + 5),
        filled(std::make_shared<MetaConstraint>(), seed + 6),
        filled(std::make_shared<MetaCheck>(), seed + 7),
    });
    for (int i = 0; i < 3; ++i)
        table->get_columns().push_back(filled(std::make_shared<MetaColumn>(), seed + 10 + i));
    table->set_indexes({filled(std::make_shared<MetaIndex>(), seed + 20),
                        filled(std::make_shared<MetaIndex>(), seed + 21)});
    table->set_rules({filled(std::make_shared<MetaRule>(), seed + 30)});
    table->set_triggers({filled(std::make_shared<MetaTrigger>(), seed + 40),
                         filled(std::make_shared<MetaTrigger>(), seed + 41)});
    return table;
}

std::shared_ptr<MetaDatabase> sample_database() {
    auto database = filled(std::make_shared<MetaDatabase>(), 1);
    database->set_name("shop");
    auto schema = filled(std::make_shared<MetaSchema>(), 2);
    schema->set_name("public");
    schema->set_tables({sample_table(100), sample_table(200)});
    schema->set_views({view_of(std::make_shared<MetaView>(), 300)});
    schema->set_miews({std::static_pointer_cast<Materialized>(
        view_of(std::make_shared<Materialized>(), 400))});
    schema->set_functions({routine(true, 500), routine(true, 501)});
    schema->set_procedures({routine(false, 600)});
    schema->set_events({filled(std::make_shared<MetaEvent>(), 700)});
    database->set_schemas({schema, MetaSchema::with_names("shop", "empty")});
    return database;
}

namespace {

::testing::AssertionResult compare(const Core::Object* left, const Core::Object* right,
                                   const std::string& path) {
    if (!left || !right) {
        if (left == right)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << path << ": one side is missing";
    }
    if (&left->type() != &right->type())
        return ::testing::AssertionFailure()
               << path << ": " << left->type().name << " vs " << right->type().name;
    for (const Core::Property* property : left->type().properties()) {
        if (!property->readable() || !property->get)
            continue;
        const std::string here = path + "." + std::string(property->name);
        const Value a = property->get(*left);
        const Value b = property->get(*right);
        if (property->kind == ValueKind::ObjectList) {
            const auto& xs = a.get_object_list();
            const auto& ys = b.get_object_list();
            if (xs.size() != ys.size())
                return ::testing::AssertionFailure()
                       << here << ": " << xs.size() << " vs " << ys.size() << " elements";
            for (std::size_t i = 0; i < xs.size(); ++i)
                if (auto result = compare(xs[i].get(), ys[i].get(), fmt::format("{}[{}]", here, i));
                    !result)
                    return result;
        } else if (!(a == b)) {
            return ::testing::AssertionFailure()
                   << here << ": " << a.debug_string() << " vs " << b.debug_string();
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

::testing::AssertionResult same_model(const Core::Object& left, const Core::Object& right) {
    return compare(&left, &right, std::string(left.type().name));
}

} // namespace Dizezida::Testing
