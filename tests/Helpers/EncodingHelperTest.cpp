#include "Helpers/EncodingHelper.hpp"

#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using Dizezida::Dovodarud::Helpers::EncodingHelper;
using Dizezida::Testing::PlatformLogCapture;

namespace {

const std::string k_utf8 = "Grüße aus Köln, Привет из Москвы, Ελληνικά κείμενα. ";

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

} // namespace

TEST(EncodingHelper, DetectsTheCharsetOfABuffer) {
    EncodingHelper& helper = EncodingHelper::get_singleton();
    EXPECT_EQ(&helper, &EncodingHelper::get_singleton());
    EXPECT_EQ(helper.detect_buffer(repeated(k_utf8, 4)), "UTF-8");
    EXPECT_EQ(helper.detect_buffer("plain old text"), "ASCII");
    // Each call starts afresh: what the previous buffer held does not count.
    EXPECT_EQ(helper.detect_buffer(repeated(k_utf8, 4)), "UTF-8");
    EXPECT_EQ(helper.detect_buffer("plain old text"), "ASCII");
    EXPECT_EQ(helper.detect_buffer(""), helper.detect_buffer(nullptr, 0));

    PlatformLogCapture log;
    EXPECT_EQ(helper.detect_buffer(nullptr, 4), "");
    EXPECT_TRUE(log.contains("assertion"));
}

TEST(EncodingHelper, DetectsFilesAndStreamsFromTheirLeadingBytes) {
    EncodingHelper& helper = EncodingHelper::get_singleton();
    const auto path = std::filesystem::temp_directory_path() /
                      ("dizezida-encoding-" + std::to_string(::getpid()) + ".txt");
    {
        std::ofstream file(path, std::ios::binary);
        file << repeated(k_utf8, 20);
    }
    const auto found = helper.detect_file(path.string());
    std::filesystem::remove(path);
    ASSERT_TRUE(found.has_value()) << found.error().message;
    EXPECT_EQ(*found, "UTF-8");

    const auto missing = helper.detect_file(path.string());
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().domain, "g-io-error-quark");
    EXPECT_EQ(missing.error().code, 1); // G_IO_ERROR_NOT_FOUND

    // Only the sample is read: bytes after it neither count nor are consumed.
    std::istringstream stream(std::string(EncodingHelper::k_sample_size, 'a') + k_utf8);
    EXPECT_EQ(helper.detect_stream(stream), "ASCII");
    std::string rest;
    std::getline(stream, rest);
    EXPECT_EQ(rest, k_utf8);
}
