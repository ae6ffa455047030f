// Reading the JSON form: a streaming reader that builds the model as the text
// is parsed (no document tree of the whole text), and a document reader for
// the small parts that are easier read whole (elements that name their class,
// string lists and maps) and for filling an existing object.
#include "Model/MetaJson.hpp"

#include "core/Enum.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <deque>
#include <variant>

namespace Dizezida::Dovodarud::MetaModel {
namespace {

// Members are applied in the order they stand in the text.
using Json = nlohmann::ordered_json;
using Core::ValueKind;

Core::Error json_error(std::string message) {
    return Core::Error::make(k_json_error_domain, -1, std::move(message));
}

void read_members(MetaObject& object, const Json& node);

/// A new meta object of an instantiable class, or nullptr.
std::shared_ptr<MetaObject> create(const Core::TypeInfo& type) {
    return std::dynamic_pointer_cast<MetaObject>(type.create());
}

/// The class an element names in its "class" member when that class is a
/// `declared`; `declared` when there is no such member; nullptr (with a
/// warning) for a class that is unknown or of another kind.
const Core::TypeInfo* tagged_type(const Json& element, const Core::TypeInfo& declared) {
    const auto found = element.find("class");
    if (found == element.end() || !found->is_string())
        return &declared;
    const auto& name = found->get_ref<const std::string&>();
    const Core::TypeInfo* type = Core::TypeInfo::lookup(name);
    if (type && type->is_a(declared) && type->is_instantiable())
        return type;
    Core::platform_warning(
        fmt::format("meta_json:{}: class {} is not a {}", __LINE__, name, declared.name));
    return nullptr;
}

std::optional<Core::Value> read_list(const MetaObject& owner, const Core::Property& property,
                                     const Json& node) {
    const Core::TypeInfo* declared = property.object_type();
    if (!node.is_array() || !declared)
        return std::nullopt;
    const bool tagged = owner.json_elements(property) == JsonElements::Tagged;
    Core::ObjectList items;
    items.reserve(node.size());
    for (const Json& element : node) {
        if (element.is_null()) {
            items.push_back(nullptr);
            continue;
        }
        const Core::TypeInfo* type = tagged ? tagged_type(element, *declared) : declared;
        if (!element.is_object() || !type)
            continue;
        if (auto object = create(*type)) {
            read_members(*object, element);
            items.push_back(std::move(object));
        }
    }
    return Core::Value(std::move(items));
}

/// The bits of an integer member (a fractional number is cut toward zero).
std::optional<std::uint64_t> integer_bits(const Json& node) {
    if (node.is_number_unsigned())
        return node.get<std::uint64_t>();
    if (node.is_number_integer())
        return static_cast<std::uint64_t>(node.get<std::int64_t>());
    if (node.is_number_float())
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(node.get<double>()));
    return std::nullopt;
}

const std::string& text_or_empty(const Json& node) {
    static const std::string empty;
    return node.is_string() ? node.get_ref<const std::string&>() : empty;
}

/// The value a member gives a property, or nothing when its kind does not fit.
std::optional<Core::Value> read_value(const MetaObject& owner, const Core::Property& property,
                                      const Json& node) {
    switch (property.kind) {
    case ValueKind::Bool:
        return node.is_boolean() ? std::optional<Core::Value>(node.get<bool>()) : std::nullopt;
    case ValueKind::Char:
    case ValueKind::Int16:
    case ValueKind::Int:
    case ValueKind::Long:
    case ValueKind::Int64:
        if (const auto bits = integer_bits(node))
            return Core::Value::of_signed(property.kind, static_cast<std::int64_t>(*bits));
        return std::nullopt;
    case ValueKind::UChar:
    case ValueKind::UInt16:
    case ValueKind::UInt:
    case ValueKind::ULong:
    case ValueKind::UInt64:
        if (const auto bits = integer_bits(node))
            return Core::Value::of_unsigned(property.kind, *bits);
        return std::nullopt;
    case ValueKind::Enum:
    case ValueKind::Flags: {
        const Core::EnumInfo* type = property.enum_type();
        const auto bits = integer_bits(node);
        if (!type || !bits)
            return std::nullopt;
        if (property.kind == ValueKind::Enum)
            return Core::Value::enumeration(*type, static_cast<std::int32_t>(*bits));
        return Core::Value::flags(*type, static_cast<std::uint32_t>(*bits));
    }
    case ValueKind::Float:
    case ValueKind::Double:
        if (!node.is_number())
            return std::nullopt;
        if (property.kind == ValueKind::Float)
            return Core::Value(static_cast<float>(node.get<double>()));
        return Core::Value(node.get<double>());
    case ValueKind::String:
        if (node.is_string() || node.is_null())
            return Core::Value(text_or_empty(node));
        return std::nullopt;
    case ValueKind::DateTime:
        if (!node.is_string())
            return std::nullopt;
        if (const auto instant = Core::DateTime::parse_iso8601(text_or_empty(node)))
            return Core::Value(*instant);
        return Core::Value::null_date_time();
    case ValueKind::StringList: {
        if (!node.is_array())
            return std::nullopt;
        Core::StringList list;
        list.reserve(node.size());
        for (const Json& element : node)
            list.push_back(text_or_empty(element));
        return Core::Value(std::move(list));
    }
    case ValueKind::StringMap: {
        if (!node.is_object())
            return std::nullopt;
        Core::StringMap map;
        for (const auto& [key, element] : node.get_ref<const Json::object_t&>())
            map.insert_or_assign(key, text_or_empty(element));
        return Core::Value(std::move(map));
    }
    case ValueKind::ObjectList: return read_list(owner, property, node);
    case ValueKind::Object: {
        const Core::TypeInfo* type = property.object_type();
        if (!node.is_object() || !type)
            return std::nullopt;
        auto object = create(*type);
        if (!object)
            return std::nullopt;
        read_members(*object, node);
        return Core::Value(std::static_pointer_cast<Core::Object>(object));
    }
    case ValueKind::Boxed:
    case ValueKind::Invalid: break;
    }
    return std::nullopt;
}

void read_members(MetaObject& object, const Json& node) {
    const Core::TypeInfo& type = object.type();
    for (const auto& [name, member] : node.get_ref<const Json::object_t&>()) {
        const Core::Property* property = type.find_property(name, true);
        if (!property || !property->writable() || !property->set)
            continue;
        if (auto value = read_value(object, *property, member))
            property->set(object, *value);
    }
}

/// The property a member name sets, or nullptr when it sets none.
const Core::Property* writable_property(const Core::TypeInfo& type, std::string_view name) {
    const Core::Property* property = type.find_property(name, true);
    return property && property->writable() && property->set ? property : nullptr;
}

/**
 * Builds a model from parser events. Objects of lists whose elements name
 * their class are read whole into a small document first (the class may
 * stand anywhere among their members), as are string lists and maps; every
 * other object is created at its first member and filled member by member.
 * The root object's class may be named by a leading "class" member.
 */
class StreamReader final : public nlohmann::json_sax<Json> {
public:
    explicit StreamReader(const Core::TypeInfo& type) : m_root_type(type) {}

    std::shared_ptr<MetaObject> result() const { return m_result; }
    const std::string& error() const { return m_error; }

    bool null() override { return scalar(Json()); }
    bool boolean(bool value) override { return scalar(Json(value)); }
    bool number_integer(number_integer_t value) override { return scalar(Json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return scalar(Json(value)); }
    bool number_float(number_float_t value, const string_t&) override {
        return scalar(Json(value));
    }
    bool string(string_t& value) override { return scalar(Json(std::move(value))); }
    bool binary(binary_t&) override { return scalar(Json()); }
    bool start_object(std::size_t) override { return open(Json::object()); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override;
    bool parse_error(std::size_t, const std::string&, const Json::exception& error) override {
        m_error = error.what();
        return false;
    }

private:
    /// An object being filled member by member.
    struct ObjectFrame {
        std::shared_ptr<MetaObject> object; ///< created at the first member
        const Core::TypeInfo* type;
        bool may_name_class = false;
        bool class_pending = false;                 ///< the next value names the class
        const Core::Property* property = nullptr;   ///< set by the pending member
    };
    /// The elements of an object list property.
    struct ListFrame {
        const Core::TypeInfo* element_type;
        bool tagged;
        Core::ObjectList items;
    };
    /// A value read whole into a document.
    struct CaptureFrame {
        Json root;
        std::vector<Json*> open;
        std::string key;
    };
    /// A value that nothing reads.
    struct SkipFrame {
        int depth = 1;
    };
    using Frame = std::variant<ObjectFrame, ListFrame, CaptureFrame, SkipFrame>;

    bool fail(std::string message) {
        m_error = std::move(message);
        return false;
    }
    /// Creates the object of a frame with the class it has settled on.
    bool create_object(ObjectFrame& frame);
    bool scalar(Json value);
    bool open(Json container);
    bool close();
    /// Adds a value to a capture; true when the capture is complete.
    static bool capture_add(CaptureFrame& capture, Json value, bool opens);
    /// Hands a finished value (an object, a list or a document) to the frame below.
    bool deliver(Frame finished);

    const Core::TypeInfo& m_root_type;
    std::deque<Frame> m_frames;
    std::shared_ptr<MetaObject> m_result;
    std::string m_error;
};

bool StreamReader::create_object(ObjectFrame& frame) {
    frame.class_pending = false;
    frame.object = create(*frame.type);
    return frame.object ? true : fail(fmt::format("{} is not a meta class", frame.type->name));
}

bool StreamReader::key(string_t& name) {
    if (auto* capture = std::get_if<CaptureFrame>(&m_frames.back())) {
        capture->key = std::move(name);
        return true;
    }
    auto* frame = std::get_if<ObjectFrame>(&m_frames.back());
    if (!frame)
        return true; // a skipped object
    if (!frame->object) {
        if (frame->may_name_class && name == "class") {
            frame->class_pending = true;
            return true;
        }
        if (!create_object(*frame))
            return false;
    }
    frame->property = writable_property(frame->object->type(), name);
    return true;
}

bool StreamReader::capture_add(CaptureFrame& capture, Json value, bool opens) {
    Json* slot = nullptr;
    if (capture.open.empty()) {
        capture.root = std::move(value);
        slot = &capture.root;
    } else if (Json& parent = *capture.open.back(); parent.is_array()) {
        slot = &parent.emplace_back(std::move(value));
    } else {
        slot = &(parent[capture.key] = std::move(value));
    }
    if (opens)
        capture.open.push_back(slot);
    return capture.open.empty();
}

bool StreamReader::scalar(Json value) {
    if (m_frames.empty())
        return fail("the JSON text is not an object");
    Frame& top = m_frames.back();
    if (auto* capture = std::get_if<CaptureFrame>(&top)) {
        if (capture_add(*capture, std::move(value), false)) {
            Frame finished = std::move(top);
            m_frames.pop_back();
            return deliver(std::move(finished));
        }
        return true;
    }
    if (auto* list = std::get_if<ListFrame>(&top)) {
        if (value.is_null())
            list->items.push_back(nullptr);
        return true;
    }
    auto* frame = std::get_if<ObjectFrame>(&top);
    if (!frame)
        return true;
    if (frame->class_pending) {
        if (value.is_string())
            if (const auto* named = Core::TypeInfo::lookup(value.get_ref<const std::string&>());
                named && named->is_a(*frame->type) && named->is_instantiable())
                frame->type = named;
        return create_object(*frame);
    }
    const Core::Property* property = std::exchange(frame->property, nullptr);
    if (!property)
        return true;
    if (property->kind == ValueKind::String && property->field && value.is_string()) {
        // The common case, without the detour through a generic value.
        auto& member = *static_cast<std::string*>(property->field(*frame->object));
        frame->object->assign_and_notify(member, std::move(value.get_ref<std::string&>()),
                                         property->name);
    } else if (auto converted = read_value(*frame->object, *property, value)) {
        property->set(*frame->object, *converted);
    }
    return true;
}

bool StreamReader::open(Json container) {
    const bool is_object = container.is_object();
    if (m_frames.empty()) {
        if (!is_object || m_result)
            return fail("the JSON text is not an object");
        m_frames.emplace_back(ObjectFrame{nullptr, &m_root_type, true});
        return true;
    }
    Frame& top = m_frames.back();
    if (auto* capture = std::get_if<CaptureFrame>(&top)) {
        capture_add(*capture, std::move(container), true);
        return true;
    }
    if (auto* skip = std::get_if<SkipFrame>(&top)) {
        ++skip->depth;
        return true;
    }
    if (auto* list = std::get_if<ListFrame>(&top)) {
        if (!is_object)
            m_frames.emplace_back(SkipFrame{});
        else if (list->tagged)
            m_frames.emplace_back(CaptureFrame{Json::object(), {}, {}});
        else
            m_frames.emplace_back(ObjectFrame{nullptr, list->element_type});
        if (auto* capture = std::get_if<CaptureFrame>(&m_frames.back()))
            capture_add(*capture, std::move(container), true);
        return true;
    }
    auto& frame = std::get<ObjectFrame>(top);
    if (frame.class_pending && !create_object(frame))
        return false;
    const Core::Property* property = frame.property;
    const ValueKind kind = property ? property->kind : ValueKind::Invalid;
    if (kind == ValueKind::ObjectList && !is_object && property->object_type()) {
        const bool tagged = frame.object->json_elements(*property) == JsonElements::Tagged;
        m_frames.emplace_back(ListFrame{property->object_type(), tagged, {}});
    } else if ((kind == ValueKind::StringList && !is_object) ||
               ((kind == ValueKind::StringMap || kind == ValueKind::Object) && is_object)) {
        m_frames.emplace_back(CaptureFrame{});
        capture_add(std::get<CaptureFrame>(m_frames.back()), std::move(container), true);
    } else {
        frame.property = nullptr;
        m_frames.emplace_back(SkipFrame{});
    }
    return true;
}

bool StreamReader::close() {
    Frame& top = m_frames.back();
    if (auto* capture = std::get_if<CaptureFrame>(&top)) {
        capture->open.pop_back();
        if (!capture->open.empty())
            return true;
    } else if (auto* skip = std::get_if<SkipFrame>(&top)) {
        if (--skip->depth > 0)
            return true;
    } else if (auto* frame = std::get_if<ObjectFrame>(&top)) {
        if (!frame->object && !create_object(*frame))
            return false;
    }
    Frame finished = std::move(top);
    m_frames.pop_back();
    return deliver(std::move(finished));
}

bool StreamReader::deliver(Frame finished) {
    if (m_frames.empty()) {
        if (auto* frame = std::get_if<ObjectFrame>(&finished))
            m_result = std::move(frame->object);
        return true;
    }
    Frame& below = m_frames.back();
    if (auto* list = std::get_if<ListFrame>(&below)) {
        if (auto* frame = std::get_if<ObjectFrame>(&finished)) {
            list->items.push_back(std::move(frame->object));
        } else if (auto* capture = std::get_if<CaptureFrame>(&finished)) {
            const Core::TypeInfo* type = tagged_type(capture->root, *list->element_type);
            if (auto object = type ? create(*type) : nullptr) {
                read_members(*object, capture->root);
                list->items.push_back(std::move(object));
            }
        }
        return true;
    }
    auto& owner = std::get<ObjectFrame>(below);
    const Core::Property* property = std::exchange(owner.property, nullptr);
    if (!property)
        return true;
    std::optional<Core::Value> value;
    if (auto* list = std::get_if<ListFrame>(&finished))
        value = Core::Value(std::move(list->items));
    else if (auto* capture = std::get_if<CaptureFrame>(&finished))
        value = read_value(*owner.object, *property, capture->root);
    if (value)
        property->set(*owner.object, *value);
    return true;
}

} // namespace

Core::Result<void> read_json_text(MetaObject& object, std::string_view text) {
    Json root;
    try {
        root = Json::parse(text.begin(), text.end());
    } catch (const Json::exception& error) {
        return Core::fail(json_error(error.what()));
    }
    if (!root.is_object())
        return Core::fail(json_error("the JSON text is not an object"));
    read_members(object, root);
    return {};
}

Core::Result<std::shared_ptr<MetaObject>> from_json_text(std::string_view text,
                                                         const Core::TypeInfo& type) {
    StreamReader reader(type);
    if (!Json::sax_parse(text.begin(), text.end(), &reader) || !reader.result())
        return Core::fail(json_error(reader.error().empty() ? "the JSON text is not an object"
                                                            : reader.error()));
    return reader.result();
}

} // namespace Dizezida::Dovodarud::MetaModel
