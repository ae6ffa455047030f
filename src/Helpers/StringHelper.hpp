// Text operations over single texts, text arrays and text maps.
//
// Stateless: every operation is a static function, safe to call from any
// thread. Texts are UTF-8; positions are byte offsets into the text given.
// Where an operation takes `case_sensitive`, a false flag compares the
// Unicode upper-cased forms of both sides, except `search_array`, which then
// compares ASCII case-insensitively. Bytes that are not valid UTF-8 are kept
// as they are and compared byte for byte.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Helpers {

class StringHelper {
public:
    StringHelper() = delete;

    using Strings = std::vector<std::string>;
    /// key -> value; a key parsed without "=" has no value.
    using Data = std::map<std::string, std::optional<std::string>>;

    /// Index of the first value equal to `needle`, else -1.
    static int search_array(const Strings& values, std::string_view needle, bool case_sensitive);
    /// Index of the first value that starts with `needle`, else -1.
    static int search_array_prefix(const Strings& values, std::string_view needle,
                                   bool case_sensitive);
    /// Number of values that start with `needle`.
    static int search_array_prefix_count(const Strings& values, std::string_view needle,
                                         bool case_sensitive);
    /// Index of the first value that ends with `needle`, else -1.
    static int search_array_suffix(const Strings& values, std::string_view needle,
                                   bool case_sensitive);
    /// Number of values that end with `needle`.
    static int search_array_suffix_count(const Strings& values, std::string_view needle,
                                         bool case_sensitive);

    /// True when `content` starts with any of the values.
    static bool prefix_with_array(std::string_view content, const Strings& values,
                                  bool case_sensitive);
    /// True when `content` ends with any of the values.
    static bool suffix_with_array(std::string_view content, const Strings& values,
                                  bool case_sensitive);
    /// True when `text` contains any of the values.
    static bool contains_array(std::string_view text, const Strings& values, bool case_sensitive);

    /**
     * Byte position in `text` of the first value, taken in array order (not
     * the leftmost match), that occurs in it; -1 when none does. Without
     * case sensitivity the position is still one of `text` itself, even when
     * upper-casing changes the length of what precedes the match.
     */
    static long index_with_array(std::string_view text, const Strings& values, bool case_sensitive);

    /**
     * Replaces, for each i in order, every literal occurrence of
     * `old_texts[i]` by `new_texts[i]` in the running result. A pair is
     * skipped when the running text is empty, the old text is empty, or both
     * texts are equal. No text when the arrays differ in length.
     */
    static std::optional<std::string>
    replace_array(std::string_view plain, const Strings& old_texts, const Strings& new_texts);

    struct Diff {
        Strings both;
        Strings first_only;
        Strings second_only;
    };
    /// Elements (trimmed, empty ones skipped) in both arrays, only in the
    /// first, only in the second; a trimmed element is compared with the
    /// other array's elements as they are. Duplicates stay.
    static Diff diff_array(const Strings& first, const Strings& second);

    /// `text` without leading and trailing runs of the code points in
    /// `chars`, each taken literally ("^", "-", "]" are plain characters).
    static std::string trim_chars(std::string_view text, std::string_view chars);
    /// `text` without leading and trailing blanks (space, tab, CR, LF).
    static std::string trim_blanks(std::string_view text);
    /// The same, as a view into `text`.
    static std::string_view blanks_trimmed(std::string_view text);

    /// Every word (letters, digits, "_" and "'") lower-cased with its first
    /// character upper-cased: "o'neil and SMITH" -> "O'neil And Smith".
    static std::string proper_case(std::string_view str);

    /// "key=value" pairs in key order joined by `delimiter`, without a
    /// trailing delimiter; a key without value is written alone.
    static std::string stringify_data(const Data& data, std::string_view delimiter);

    /// Pairs split at every `delimiter` (the whole text is one piece when the
    /// delimiter is empty), each split at its first "="; empty pieces are
    /// skipped and a later key replaces an earlier one.
    static Data arraify_data(std::string_view text, std::string_view delimiter);
    /// Whether a text is a number as JSON writes one ("-1.5e3"; not "NaN",
    /// "+1", ".5" or "01").
    static bool is_json_number(std::string_view text);
};

} // namespace Dizezida::Dovodarud::Helpers
