#include "Helpers/FileTypeHelper.hpp"

#include "tests/support/PlatformLog.hpp"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>

using Dizezida::Dovodarud::Helpers::FileTypeHelper;
using Dizezida::Testing::PlatformLogCapture;
using namespace std::string_literals;

namespace {

const std::string k_png_start = "\x89PNG"s;

} // namespace

TEST(FileTypeHelper, SignMatchesOnlyWhenTheDataGoesBeyondIt) {
    const FileTypeHelper helper =
        FileTypeHelper::from_json(R"({"png": {"mime": "image/png", "signs": ["0,89504E47"]}})");
    EXPECT_EQ(helper.guess_file_type(k_png_start), "unknown/unknown");
    EXPECT_EQ(helper.guess_file_type(k_png_start + "\r"), "image/png");
    EXPECT_EQ(helper.guess_file_type("\x89PNx\r"s), "unknown/unknown");
    EXPECT_EQ(helper.guess_file_type(""), "unknown/unknown");
    EXPECT_EQ(helper.guess_file_type(nullptr, 0), "unknown/unknown");

    PlatformLogCapture log;
    EXPECT_EQ(helper.guess_file_type(nullptr, 8), "unknown/unknown");
    EXPECT_TRUE(log.contains("assertion"));
}

TEST(FileTypeHelper, FirstEntryInFileOrderThenFirstSignWins) {
    const FileTypeHelper helper = FileTypeHelper::from_json(R"({
        "zeta":  {"mime": "application/x-zeta", "signs": ["9,00", "2,4344"]},
        "alpha": {"mime": "application/x-alpha", "signs": ["0,4142"]},
        "list":  [1, 2],
        "beta":  {"mime": "application/x-beta", "signs": ["0,61"]}
    })");
    ASSERT_EQ(helper.signatures().size(), 3u);
    EXPECT_EQ(helper.signatures()[0].name, "zeta");
    EXPECT_EQ(helper.signatures()[2].name, "beta");
    EXPECT_EQ(helper.guess_file_type("ABCD!"), "application/x-zeta");
    EXPECT_EQ(helper.guess_file_type("ABxx!"), "application/x-alpha");
    // Hexadecimal digits are read as bytes, whatever their case.
    const FileTypeHelper lower =
        FileTypeHelper::from_json(R"({"png": {"mime": "image/png", "signs": ["0,89504e47"]}})");
    EXPECT_EQ(lower.guess_file_type(k_png_start + "\r"), "image/png");
}

TEST(FileTypeHelper, MalformedSignsAreLeftOutAndNothingIsReadOutOfBounds) {
    PlatformLogCapture log;
    const FileTypeHelper helper = FileTypeHelper::from_json(R"({"bad": {"mime": "x/bad", "signs": [
        "3", "x,41", "-1,41", "+1,41", " 1,41", "1,414", "1,4G", "0,", ",41", "1,41,42",
        "99999999999999999999999,41", 7,
        "18446744073709551615,4141", "18446744073709551610,41414141414141", "40,41"]}})");
    ASSERT_EQ(helper.signatures().size(), 1u);
    EXPECT_EQ(helper.signatures()[0].patterns.size(), 3u);
    EXPECT_EQ(helper.signatures()[0].signs.size(), 14u);
    EXPECT_TRUE(log.contains("sign \"1,414\" is not an offset and hexadecimal bytes"));
    EXPECT_TRUE(log.contains("a sign is not a text"));
    // The data is exactly as long as the patterns need; an offset near the
    // largest size must not wrap around into the data.
    const std::string data(8, 'A');
    EXPECT_EQ(helper.guess_file_type(data.data(), data.size()), "unknown/unknown");
}

TEST(FileTypeHelper, SignatureTextsThatAreNotAListGiveNoSignatures) {
    for (const char* text : {"", "[]", "not json", "{\"png\": ", "\"text\""}) {
        PlatformLogCapture log;
        EXPECT_TRUE(FileTypeHelper::from_json(text).signatures().empty()) << text;
        EXPECT_TRUE(
            log.contains("helper_file_type:99: Failed to load and get file type json root object."))
            << text;
    }
    PlatformLogCapture log;
    EXPECT_TRUE(FileTypeHelper::from_json("{}").signatures().empty());
    EXPECT_TRUE(log.contains("helper_file_type:107: Root object is empty object"));

    const FileTypeHelper partial = FileTypeHelper::from_json(
        R"({"nomime": {"signs": ["0,41"]}, "nosigns": {"mime": "x/y"}, "ok": {"mime": "x/ok", "signs": ["0,41"]}})");
    ASSERT_EQ(partial.signatures().size(), 2u);
    EXPECT_TRUE(log.contains("file type nomime has no mime text"));
    EXPECT_EQ(partial.guess_file_type("AB"), "x/ok");
}

TEST(FileTypeHelper, BuiltInListKnowsCommonTypes) {
    const FileTypeHelper helper = FileTypeHelper::built_in();
    const auto guess = [&](const std::string& start) {
        return helper.guess_file_type(start + std::string(16, '\0'));
    };
    EXPECT_EQ(guess("\x89PNG\r\n\x1a\n"s), "image/png");
    EXPECT_EQ(guess("RIFF\x24\x00\x00\x00WEBPVP8 "s), "image/webp");
    EXPECT_EQ(guess("PK\x03\x04"s), "application/zip");
    EXPECT_EQ(guess("plain text"), "unknown/unknown");
    // The process has no signature resource, so the singleton holds the built-in list.
    EXPECT_EQ(FileTypeHelper::get_singleton().guess_file_type("%PDF-1.4\n"), "application/pdf");
    EXPECT_EQ(&FileTypeHelper::get_singleton(), &FileTypeHelper::get_singleton());
}

TEST(FileTypeHelper, SingletonReadsTheRegisteredResource) {
    // In a fresh child process (re-run, not forked: this process may have made
    // the singleton already), so that no other test sees the resource.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            GResource* bundle = g_resource_load(DIZEZIDA_HELPERS_BUNDLE, nullptr);
            if (bundle == nullptr)
                std::exit(2);
            g_resources_register(bundle);
            const FileTypeHelper& helper = FileTypeHelper::get_singleton();
            const bool custom = helper.guess_file_type("DZZ!?") == "application/x-dizezida-test";
            const bool no_built_in = helper.guess_file_type("%PDF-1.4\n") == "unknown/unknown";
            std::exit(custom && no_built_in ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
