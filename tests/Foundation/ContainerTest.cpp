#include "Foundation/Container.hpp"

#include "core/Properties.hpp"
#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

using namespace Dizezida;
using Dovodarud::Foundation::Container;
using Testing::PlatformLogCapture;

namespace {

class IGreeter {
    DIZEZIDA_INTERFACE(IGreeter)
public:
    virtual ~IGreeter() = default;
    virtual std::string greet() const = 0;
};

class IClock {
    DIZEZIDA_INTERFACE(IClock)
public:
    virtual ~IClock() = default;
};

class Clock : public Core::Object, public IClock {
    DIZEZIDA_OBJECT(Clock)
public:
    static inline int built = 0;
    Clock() { ++built; }
};

class FastClock : public Clock {
    DIZEZIDA_OBJECT(FastClock)
};

class Greeter : public Core::Object, public IGreeter {
    DIZEZIDA_OBJECT(Greeter)
public:
    static inline int built = 0;
    Greeter() { ++built; }
    std::string greet() const override { return "hello"; }
    std::shared_ptr<IClock> m_clock;        // construct, exact type IClock
    std::shared_ptr<Clock> m_base_clock;    // construct, type Clock
    std::shared_ptr<IClock> m_plain_clock;  // writable only: never injected
};

class Stranger : public Core::Object {
    DIZEZIDA_OBJECT(Stranger)
};

const Core::TypeInfo& IGreeter::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_interface("TestIGreeter");
    return info;
}
const Core::TypeInfo& IClock::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_interface("TestIClock");
    return info;
}
const Core::TypeInfo& Clock::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<Clock, Core::Object>("TestClock", {}, {&IClock::static_type()});
    return info;
}
const Core::TypeInfo& FastClock::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<FastClock, Clock>("TestFastClock");
    return info;
}
const Core::TypeInfo& Greeter::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<Greeter, Object>(
        "TestGreeter",
        {
            prop("clock", &Greeter::m_clock, ReadWrite | Construct),
            prop("base-clock", &Greeter::m_base_clock, ReadWrite | Construct),
            prop("plain-clock", &Greeter::m_plain_clock),
        },
        {&IGreeter::static_type()});
    return info;
}
const Core::TypeInfo& Stranger::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<Stranger, Core::Object>("TestStranger");
    return info;
}

const Core::TypeInfo* I_GREETER = &IGreeter::static_type();
const Core::TypeInfo* I_CLOCK = &IClock::static_type();

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override { Clock::built = Greeter::built = 0; }
    Container container;
};

} // namespace

TEST_F(ContainerTest, RegisteredInstanceIsResolved) {
    auto greeter = std::make_shared<Greeter>();
    container.register_instance(I_GREETER, greeter);
    EXPECT_TRUE(container.has(I_GREETER));
    EXPECT_EQ(container.resolve(I_GREETER), greeter);
}

TEST_F(ContainerTest, RegisteredTypeIsBuiltOnceAndShared) {
    container.register_type(I_GREETER, &Greeter::static_type());
    EXPECT_EQ(Greeter::built, 0); // lazily
    auto first = container.resolve(I_GREETER);
    auto second = container.resolve(I_GREETER);
    ASSERT_TRUE(first);
    EXPECT_EQ(first, second);
    EXPECT_EQ(Greeter::built, 1);
    EXPECT_EQ(Core::object_cast<IGreeter>(first)->greet(), "hello");
}

TEST_F(ContainerTest, InjectsConstructPropertiesOfExactlyARegisteredType) {
    auto clock = std::make_shared<FastClock>();
    container.register_instance(I_CLOCK, clock);
    container.register_type(I_GREETER, &Greeter::static_type());
    auto greeter = Core::object_cast<Greeter>(container.resolve(I_GREETER));
    ASSERT_TRUE(greeter);
    EXPECT_EQ(greeter->m_clock, clock);
    EXPECT_EQ(greeter->m_base_clock, nullptr); // Clock is a base of nothing registered as key
    EXPECT_EQ(greeter->m_plain_clock, nullptr); // not a construct property
}

TEST_F(ContainerTest, DoesNotInjectBySubclassOrBaseClass) {
    container.register_type(&FastClock::static_type(), &FastClock::static_type());
    auto greeter = Core::object_cast<Greeter>(container.resolve(&Greeter::static_type()));
    ASSERT_TRUE(greeter);
    EXPECT_EQ(greeter->m_base_clock, nullptr); // FastClock derives from Clock: no match
    EXPECT_EQ(greeter->m_clock, nullptr);
    EXPECT_EQ(Clock::built, 0);
}

TEST_F(ContainerTest, InjectionResolvesFactoriesAndTypesRecursively) {
    int factory_calls = 0;
    container.register_factory(&Clock::static_type(), [&](auto&) {
        ++factory_calls;
        return std::make_shared<Clock>();
    });
    container.register_type(I_CLOCK, &FastClock::static_type());
    auto greeter = Core::object_cast<Greeter>(container.resolve(&Greeter::static_type()));
    ASSERT_TRUE(greeter);
    EXPECT_EQ(factory_calls, 1);
    EXPECT_EQ(greeter->m_base_clock, container.resolve(&Clock::static_type()));
    EXPECT_EQ(&Core::object_cast<Core::Object>(std::dynamic_pointer_cast<Core::Object>(greeter->m_clock))->type(),
              &FastClock::static_type());
    EXPECT_EQ(factory_calls, 1);
}

TEST_F(ContainerTest, FactoryRunsOnFirstResolveOnly) {
    int calls = 0;
    container.register_factory(I_GREETER, [&](Dovodarud::Contracts::Container::IContainer&) {
        ++calls;
        return std::make_shared<Greeter>();
    });
    EXPECT_TRUE(container.has(I_GREETER));
    EXPECT_EQ(calls, 0);
    auto first = container.resolve(I_GREETER);
    EXPECT_EQ(container.resolve(I_GREETER), first);
    EXPECT_EQ(calls, 1);
}

TEST_F(ContainerTest, UnregisteredInterfaceResolvesToNullAndStoresNothing) {
    EXPECT_EQ(container.resolve(I_GREETER), nullptr);
    EXPECT_FALSE(container.has(I_GREETER));
}

TEST_F(ContainerTest, UnregisteredClassIsBuiltAndCached) {
    auto first = container.resolve(&Clock::static_type());
    ASSERT_TRUE(first);
    EXPECT_TRUE(container.has(&Clock::static_type()));
    EXPECT_EQ(container.resolve(&Clock::static_type()), first);
    EXPECT_EQ(Clock::built, 1);
}

TEST_F(ContainerTest, MisuseIsRefusedWithACriticalMessageAndChangesNothing) {
    PlatformLogCapture log;
    container.register_type(I_GREETER, &Stranger::static_type());
    container.register_instance(I_GREETER, std::make_shared<Stranger>());
    container.register_type(I_GREETER, I_CLOCK);
    container.register_instance(I_GREETER, nullptr);
    container.register_type(nullptr, &Greeter::static_type());
    EXPECT_FALSE(container.has(I_GREETER));
    EXPECT_EQ(container.resolve(I_GREETER), nullptr);
    EXPECT_EQ(container.resolve(nullptr), nullptr);
    EXPECT_TRUE(log.contains("instance != NULL"));
    EXPECT_TRUE(log.contains("key_type != NULL"));
    EXPECT_TRUE(log.contains("is_a"));
}

TEST_F(ContainerTest, InstanceMapWinsOverALaterTypeRegistration) {
    container.register_type(I_CLOCK, &Clock::static_type());
    auto first = container.resolve(I_CLOCK);
    container.register_type(I_CLOCK, &FastClock::static_type());
    EXPECT_EQ(container.resolve(I_CLOCK), first);
    auto replacement = std::make_shared<FastClock>();
    container.register_instance(I_CLOCK, replacement);
    EXPECT_EQ(container.resolve(I_CLOCK), replacement);
}
