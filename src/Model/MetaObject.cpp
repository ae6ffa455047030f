#include "Model/MetaObject.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& IMetaData::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudMetaModelIMetaData");
    return info;
}

const Core::TypeInfo& MetaObject::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<MetaObject, Object>(
        "DizezidaDovodarudMetaModelMetaObject",
        {
            prop("database", &MetaObject::m_database),
            prop("schema", &MetaObject::m_schema),
            prop("name", &MetaObject::m_name),
            prop("comment", &MetaObject::m_comment),
            prop("attributes", &MetaObject::m_attributes),
            prop("original", &MetaObject::m_original),
            prop("version", &MetaObject::m_version),
        },
        {&IMetaData::static_type()});
    return info;
}

MetaObject::MetaObject() = default;
MetaObject::~MetaObject() = default;

std::string MetaObject::decorate_fullname(bool with_kind, std::string names) const {
    if (!with_kind)
        return names;
    return Zozuvoru::Contracts::db_object_to_string(character()) + ":" + names;
}

std::string MetaObject::fullname(bool with_database, bool with_kind) const {
    std::string names = with_database ? m_database + "." : std::string();
    names += m_schema + "." + m_name;
    return decorate_fullname(with_kind, std::move(names));
}

DbObject MetaObject::character() const { return DbObject::NONE; }

void MetaObject::reset() {
    m_diff.clear();
    m_slice.clear();
    set_comment("");
    set_original("");
    set_attributes({});
    set_version(DataVersion::NONE);
    set_filled(false);
    m_depends.clear();
}

Core::ObjectPtr MetaObject::clone() const {
    const Core::TypeInfo& info = type();
    Core::ObjectPtr copy = info.create();
    if (!copy)
        return nullptr;
    for (const Core::Property* property : info.properties()) {
        if (!property->writable() || property->construct_only() || !property->get ||
            !property->set)
            continue;
        if (property->kind == Core::ValueKind::ObjectList ||
            property->kind == Core::ValueKind::Object)
            continue;
        property->set(*copy, property->get(*this));
    }
    if (auto* meta = dynamic_cast<MetaObject*>(copy.get()))
        meta->m_depends = m_depends;
    return copy;
}

JsonElements MetaObject::json_elements(const Core::Property&) const { return JsonElements::Plain; }

void MetaObject::append_diff(std::string key, DataVersion flag) {
    m_diff.insert_or_assign(std::move(key), flag);
}

void MetaObject::append_slice(std::string key, std::string value) {
    m_slice.insert_or_assign(std::move(key), std::move(value));
}

void MetaObject::set_filled(bool filled) {
    if (filled)
        set_data(k_filled);
    else
        remove_data(k_filled);
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaObject)
