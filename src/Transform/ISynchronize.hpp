// A synchronisation job: `preview` gives the comparison result for display,
// `generate` the statements that make the target like the source.
#pragma once

#include "Transform/ITransform.hpp"
#include "core/Object.hpp"

#include <string>
#include <vector>

namespace Dizezida::Dovodarud::Transform {

class ISynchronize : public ITransform {
public:
    /// The comparison result (a difference schema or data set); nullptr when equal.
    [[nodiscard]] virtual Core::Result<Core::ObjectPtr> preview() = 0;
    /// The statements, in the order they must run; none when equal.
    [[nodiscard]] virtual Core::Result<std::vector<std::string>> generate() = 0;
};

} // namespace Dizezida::Dovodarud::Transform
