#include "Helpers/EncodingHelper.hpp"

#include "core/Precondition.hpp"

#include <gio/gio.h>
#include <uchardet.h>

#include <istream>
#include <mutex>
#include <vector>

namespace Dizezida::Dovodarud::Helpers {

struct EncodingHelper::Detector {
    std::mutex mutex;
    uchardet_t handle = uchardet_new();

    Detector() = default;
    Detector(const Detector&) = delete;
    Detector& operator=(const Detector&) = delete;
    ~Detector() { uchardet_delete(handle); }
};

namespace {

template <class T> struct GObjectUnref {
    void operator()(T* object) const { g_object_unref(object); }
};
template <class T> using GObjectHandle = std::unique_ptr<T, GObjectUnref<T>>;

Core::Error to_error(GError* error) {
    Core::Error result = Core::Error::make(g_quark_to_string(error->domain), error->code,
                                           error->message ? error->message : "");
    g_error_free(error);
    return result;
}

} // namespace

EncodingHelper& EncodingHelper::get_singleton() {
    // Never destroyed: worker threads may still detect while statics are torn down.
    static EncodingHelper* const instance = new EncodingHelper();
    return *instance;
}

EncodingHelper::EncodingHelper() : m_detector(std::make_unique<Detector>()) {}

EncodingHelper::~EncodingHelper() = default;

std::string EncodingHelper::detect_buffer(const void* data, std::size_t length) {
    DIZEZIDA_RETURN_VAL_IF_FAIL(data != nullptr || length == 0, std::string());
    std::lock_guard lock(m_detector->mutex);
    uchardet_t handle = m_detector->handle;
    DIZEZIDA_RETURN_VAL_IF_NULL(handle, std::string());
    uchardet_reset(handle);
    if (length > 0 && uchardet_handle_data(handle, static_cast<const char*>(data), length) != 0) {
        uchardet_reset(handle);
        return {};
    }
    uchardet_data_end(handle);
    const char* charset = uchardet_get_charset(handle);
    std::string result = charset ? charset : "";
    uchardet_reset(handle);
    return result;
}

Core::Result<std::string> EncodingHelper::detect_file(const std::string& filename) {
    GObjectHandle<GFile> file(g_file_new_for_path(filename.c_str()));
    GError* error = nullptr;
    GObjectHandle<GFileInputStream> stream(g_file_read(file.get(), nullptr, &error));
    if (!stream)
        return Core::fail(to_error(error));
    std::vector<char> sample(k_sample_size);
    gsize read = 0;
    const gboolean done = g_input_stream_read_all(G_INPUT_STREAM(stream.get()), sample.data(),
                                                  sample.size(), &read, nullptr, &error);
    if (!done)
        return Core::fail(to_error(error));
    return detect_buffer(sample.data(), read);
}

std::string EncodingHelper::detect_stream(std::istream& stream) {
    std::vector<char> sample(k_sample_size);
    stream.read(sample.data(), static_cast<std::streamsize>(sample.size()));
    return detect_buffer(sample.data(), static_cast<std::size_t>(stream.gcount()));
}

} // namespace Dizezida::Dovodarud::Helpers
