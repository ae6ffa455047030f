// Each test case runs in its own process, so the process-wide container
// starts absent in every one.
#include "Foundation/Container.hpp"
#include "Foundation/Services.hpp"

#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

using namespace Dizezida;
using Dovodarud::Foundation::Container;
using Dovodarud::Foundation::Services;

TEST(Services, GetBeforeInitializeIsNull) {
    Testing::PlatformLogCapture log;
    EXPECT_EQ(Services::get<Container>(), nullptr);
    Services::register_type(&Container::static_type(), &Container::static_type());
    EXPECT_EQ(Services::container(), nullptr);
    EXPECT_TRUE(log.contains("container != NULL"));
}

TEST(Services, InitializeTwiceKeepsTheContainer) {
    Services::initialize();
    auto first = Services::container();
    Services::initialize();
    EXPECT_EQ(Services::container(), first);
}

TEST(Services, RegisterAndGetTyped) {
    Services::initialize();
    auto instance = std::make_shared<Container>();
    Services::register_instance<Dovodarud::Contracts::Container::IContainer>(instance);
    auto resolved = Services::get<Dovodarud::Contracts::Container::IContainer>();
    EXPECT_EQ(resolved.get(), static_cast<Dovodarud::Contracts::Container::IContainer*>(instance.get()));
}

TEST(Services, NullInstanceIsRefused) {
    Testing::PlatformLogCapture log;
    Services::initialize();
    Services::register_instance(&Container::static_type(), nullptr);
    EXPECT_FALSE(Services::container()->has(&Container::static_type()));
    EXPECT_TRUE(log.contains("instance != NULL"));
}
