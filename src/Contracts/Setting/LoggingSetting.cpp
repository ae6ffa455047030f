#include "Contracts/Setting/LoggingSetting.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::Setting {

const Core::TypeInfo& LoggingSetting::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<LoggingSetting, Object>(
        "DizezidaDovodarudSettingLoggingSetting",
        {
            prop("file-size-max", &LoggingSetting::m_file_size_max, ReadWrite, std::uint32_t{0}),
            prop("logger-level", &LoggingSetting::m_logger_level, ReadWrite, std::uint32_t{0}),
        });
    return info;
}

DIZEZIDA_REGISTER_TYPE(LoggingSetting)

} // namespace Dizezida::Dovodarud::Setting
