// A provider for tests without a server: open, close and is_opened succeed,
// every other call fails with the error it was made with. Tests override
// the calls they need.
#pragma once

#include "core/Object.hpp"
#include "provider/Contracts/IProvider.hpp"

#include <utility>

namespace Dizezida::Testing {

class RefusingProvider : public Core::Object, public Zozuvoru::Contracts::IProvider {
public:
    explicit RefusingProvider(Core::Error error) : m_error(std::move(error)) {}

    Core::Result<void> open(const Zozuvoru::Contracts::ServerPtr&, std::string_view) override {
        return {};
    }
    Core::Result<void> close() override { return {}; }
    Core::Result<void> transaction() override { return Core::fail(m_error); }
    Core::Result<void> commit() override { return Core::fail(m_error); }
    Core::Result<void> rollback() override { return Core::fail(m_error); }
    bool is_opened() const override { return true; }
    Core::Result<std::vector<Core::ObjectPtr>> execute_statements(std::string_view,
                                                                  std::int32_t) override {
        return Core::fail(m_error);
    }
    Core::Result<Zozuvoru::Contracts::TablePtr> execute_model(std::string_view,
                                                              std::int32_t) override {
        return Core::fail(m_error);
    }
    Core::Result<Zozuvoru::Contracts::ValuePtr> execute_scalar(std::string_view,
                                                               std::int32_t) override {
        return Core::fail(m_error);
    }
    Core::Result<std::int64_t> execute_affect(std::string_view, std::int32_t) override {
        return Core::fail(m_error);
    }
    Core::Result<Zozuvoru::Contracts::ReaderPtr> execute_reader(std::string_view) override {
        return Core::fail(m_error);
    }

private:
    Core::Error m_error;
};

} // namespace Dizezida::Testing
