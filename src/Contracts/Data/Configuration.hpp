// The texts a data-dictionary document is made with: its title, the data
// version and description of its head, and an optional footer link.
//
// A plain record copied by value; every field may be empty and the caller
// fills them all (there are no defaults).
#pragma once

#include <string>

namespace Dizezida::Dovodarud::Contracts::Data {

struct Configuration {
    std::string title;        ///< page title and top heading
    std::string data_version; ///< shown after the "Data version" label
    std::string description;  ///< shown after the "Description" label
    std::string footer_text;  ///< link text of the footer; empty: no footer
    std::string footer_url;   ///< target of the footer link
};

} // namespace Dizezida::Dovodarud::Contracts::Data
