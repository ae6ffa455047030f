#include "tests/core/TestTypes.hpp"

#include "core/Properties.hpp"

#include <iterator>

namespace Dizezida::Testing {
namespace {

constexpr Core::EnumEntry k_colours[] = {
    {0, "TEST_COLOUR_RED", "red"}, {1, "TEST_COLOUR_GREEN", "green"}, {2, "TEST_COLOUR_BLUE", "blue"}};
constexpr Core::EnumEntry k_access[] = {
    {0, "TEST_ACCESS_NONE", "none"}, {1, "TEST_ACCESS_READ", "read"}, {2, "TEST_ACCESS_WRITE", "write"}};

} // namespace

DIZEZIDA_DEFINE_ENUM(Colour, "TestColour", k_colours, 3, false)
DIZEZIDA_DEFINE_ENUM(Access, "TestAccess", k_access, 3, true)

const Core::TypeInfo& Gadget::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<Gadget, Object>(
        "TestGadget",
        {
            prop("label", &Gadget::m_label),
            prop("size", &Gadget::m_size, ReadWrite, std::int64_t{7}),
            prop("enabled", &Gadget::m_enabled),
            prop("colour", &Gadget::m_colour),
            prop("access", &Gadget::m_access),
            prop("ratio", &Gadget::m_ratio),
            prop("partner", &Gadget::m_partner),
            prop("tags", &Gadget::m_tags, Readable),
            prop("children", &Gadget::m_children, Readable),
            prop("names", &Gadget::m_names),
            prop("serial", &Gadget::m_serial, Readable | Writable | ConstructOnly),
        });
    return info;
}

} // namespace Dizezida::Testing

DIZEZIDA_REGISTER_TYPE(Dizezida::Testing::Gadget)
