// The base of the meta model: the in-memory picture of one server object.
//
// A MetaObject carries its names ("database", "schema", "name"), a comment,
// the catalog "attributes" (upper-case keys), the "original" name before an
// edit rename and the "version" change mark. It also owns two maps that are
// not properties: the diff map (path -> DataVersion) and the slice map
// (path -> previous value text), both filled by the model comparison, and may
// carry the "FILLED" marker set by the catalog reader.
//
// Ownership: objects are shared (std::shared_ptr); each object owns its
// collections, whose elements are shared. Thread safety: none; fill or read
// an object from one thread at a time.
#pragma once

#include "Model/IMetaData.hpp"
#include "Model/MetaDependency.hpp"
#include "Model/MetaProperty.hpp"

#include "core/Value.hpp"
#include "provider/Contracts/DataType.hpp"
#include "provider/Contracts/DataVersion.hpp"
#include "provider/Contracts/DbObject.hpp"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::MetaModel {

using Zozuvoru::Contracts::DataType;
using Zozuvoru::Contracts::DataVersion;
using Zozuvoru::Contracts::DbObject;

class MetaObject;
using MetaObjectList = std::vector<std::shared_ptr<MetaObject>>;

/// How the JSON form writes the elements of an object list property.
enum class JsonElements : std::uint8_t {
    Plain,  ///< each element as its properties; read back as the declared element class
    Tagged, ///< each element also carries "class", its type name; read back as that class
};

class MetaObject : public Core::Object, public IMetaData {
    DIZEZIDA_OBJECT(MetaObject)
public:
    using DiffMap = std::map<std::string, DataVersion, std::less<>>;
    using SliceMap = std::map<std::string, std::string, std::less<>>;

    /// The tag the catalog reader attaches to an object it has filled.
    static constexpr std::string_view k_filled = "FILLED";

    MetaObject();
    ~MetaObject() override;

    DIZEZIDA_META_PROPERTY(std::string, database, "database")
    DIZEZIDA_META_PROPERTY(std::string, schema, "schema")
    DIZEZIDA_META_PROPERTY(std::string, name, "name")
    DIZEZIDA_META_PROPERTY(std::string, comment, "comment")
    DIZEZIDA_META_COLLECTION(Core::StringMap, attributes, "attributes")
    DIZEZIDA_META_PROPERTY(std::string, original, "original")
    DIZEZIDA_META_PROPERTY(DataVersion, version, "version", DataVersion::NONE)

    /// The object's names joined as "schema.name", optionally preceded by the
    /// database and by the kind text ("table:db.public.t"). No quoting.
    virtual std::string fullname(bool with_database, bool with_kind) const;
    /// The kind of server object (0 for a bare MetaObject).
    virtual DbObject character() const;
    /// Empties the diff and slice maps, "comment", "original", "attributes"
    /// and "version", and removes the "FILLED" marker; the names stay.
    void reset() override;
    /// A new object of the same class with every writable scalar and text
    /// property and every string list and map copied into its own
    /// collections. Object lists are not carried over here: the containers
    /// add clones of their elements. Diff, slice and "FILLED" are not copied; the dependencies are.
    Core::ObjectPtr clone() const override;
    /// The clone, typed.
    template <class T = MetaObject> std::shared_ptr<T> clone_as() const {
        return std::dynamic_pointer_cast<T>(clone());
    }
    /// How the JSON form writes the elements of an object list property.
    virtual JsonElements json_elements(const Core::Property& property) const;

    /// The diff map (path -> change flag), the object's own.
    DiffMap& diff() { return m_diff; }
    const DiffMap& diff() const { return m_diff; }
    /// The slice map (path -> previous value text), the object's own.
    SliceMap& slice() { return m_slice; }
    const SliceMap& slice() const { return m_slice; }
    void append_diff(std::string key, DataVersion flag);
    void append_slice(std::string key, std::string value);
    void clear_diff() { m_diff.clear(); }
    void clear_slice() { m_slice.clear(); }
    /// What the object's parts need before they are created (read from the
    /// server with the catalog; kept by `clone`, not part of the JSON form
    /// nor of a comparison).
    std::vector<MetaDependency>& depends() { return m_depends; }
    const std::vector<MetaDependency>& depends() const { return m_depends; }

    /// Attaches or removes the "FILLED" marker.
    void set_filled(bool filled);
    bool is_filled() const { return has_data(k_filled); }

protected:
    /// A new T with "database", "schema" and "name" set.
    template <class T>
    static std::shared_ptr<T> make_with_names(std::string database, std::string schema,
                                              std::string name) {
        auto object = std::make_shared<T>();
        object->set_database(std::move(database));
        object->set_schema(std::move(schema));
        object->set_name(std::move(name));
        return object;
    }
    /// A new T with "name" set.
    template <class T> static std::shared_ptr<T> make_named(std::string name) {
        auto object = std::make_shared<T>();
        object->set_name(std::move(name));
        return object;
    }
    /// Appends a clone of every element of `source` to `target`, in order
    /// (a missing element stays missing).
    template <class T>
    static void clone_elements(const std::vector<std::shared_ptr<T>>& source,
                               std::vector<std::shared_ptr<T>>& target) {
        target.reserve(target.size() + source.size());
        for (const auto& element : source)
            target.push_back(element ? element->template clone_as<T>() : nullptr);
    }
    /// `fullname` from the given name parts ("%s.%s" joined by the caller).
    std::string decorate_fullname(bool with_kind, std::string names) const;

private:
    DiffMap m_diff;
    SliceMap m_slice;
    std::vector<MetaDependency> m_depends;
};

} // namespace Dizezida::Dovodarud::MetaModel
