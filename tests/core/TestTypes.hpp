// Small classes for the object-model tests.
#pragma once

#include "core/Enum.hpp"
#include "core/Object.hpp"

#include <memory>
#include <string>

namespace Dizezida::Testing {

enum class Colour : int { Red = 0, Green = 1, Blue = 2 };
DIZEZIDA_DECLARE_ENUM(Colour);

enum class Access : unsigned { None = 0, Read = 1, Write = 2 };
DIZEZIDA_DECLARE_ENUM(Access);

class Gadget : public Core::Object {
    DIZEZIDA_OBJECT(Gadget)
public:
    std::string m_label;
    std::int64_t m_size = 7;
    bool m_enabled = false;
    Colour m_colour = Colour::Red;
    Access m_access = Access::None;
    double m_ratio = 0;
    std::shared_ptr<Gadget> m_partner;
    Core::StringMap m_tags;          // read-only map
    Core::ObjectList m_children;     // read-only list
    Core::StringList m_names;        // writable list
    std::string m_serial;            // construct-only
};

} // namespace Dizezida::Testing
