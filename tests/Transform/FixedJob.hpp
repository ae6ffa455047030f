// A synchroniser whose statements are given (or whose generation fails), for
// tests of the runner that every synchroniser shares.
#pragma once

#include "Transform/Synchronizer.hpp"

#include <string>
#include <vector>

namespace Dizezida::Testing {

class FixedJob : public Dovodarud::Transform::Synchronizer {
public:
    FixedJob(Core::Result<std::vector<std::string>> statements, Options options = {})
        : Synchronizer(std::move(options)), m_statements(std::move(statements)) {}
    FixedJob(std::vector<std::string> statements, Dovodarud::Transform::SyncPlan plan)
        : Synchronizer(std::move(plan)), m_statements(std::move(statements)) {}
    Core::Result<void> initialize() override { return {}; }
    Core::Result<Core::ObjectPtr> preview() override { return Core::ObjectPtr(); }
    Core::Result<std::vector<std::string>> generate() override { return m_statements; }

private:
    Core::Result<std::vector<std::string>> m_statements;
};

} // namespace Dizezida::Testing
