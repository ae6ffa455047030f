#include "Model/MetaView.hpp"

#include "core/Precondition.hpp"
#include "core/Properties.hpp"

#include <fmt/format.h>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <array>
#include <cctype>
#include <optional>

namespace Dizezida::Dovodarud::MetaModel {
namespace {

// The select list of a query: everything between "select" and "from".
constexpr std::string_view k_select_pattern =
    R"re(select\s+(?<columns>[\w\s`'".,=()\[\]\*]+)\s+from)re";
// One element of a select list and the separator after it.
constexpr std::string_view k_element_pattern =
    R"re((?<expr1>[\w`'"\[\]]+\.[\w`'"\[\]]+\s+as\s+[\w`'"\[\]]+)[,\s]+|)re"
    R"re((?<expr2>[\w`'"\[\]]+\s+as\s+[\w`'"\[\]]+)[,\s]+|)re"
    R"re((?<expr3>[\w`'"\[\]]+\.[\w`'"\[\]]+)[,\s]+|)re"
    R"re((?<expr4>[\w`'"\[\]]+\.\*)[,\s]+|)re"
    R"re((?<expr5>\*)[,\s]+|)re"
    R"re((?<expr6>[\w`'"\[\]]+)[,\s]+)re";
// The element groups in the order their text is taken.
constexpr std::array<const char*, 6> k_element_groups = {"expr3", "expr2", "expr1",
                                                         "expr6", "expr5", "expr4"};

std::string pcre2_message(int code) {
    std::array<PCRE2_UCHAR, 256> buffer{};
    if (pcre2_get_error_message(code, buffer.data(), buffer.size()) < 0)
        return fmt::format("error {}", code);
    return std::string(reinterpret_cast<const char*>(buffer.data()));
}

void warn(int line, std::string_view message) {
    Core::platform_warning(fmt::format("meta_view:{}: {}", line, message));
}

/// A pattern compiled once (case-insensitive, multi-line, UTF-8 where the
/// text is valid) and shared by every view; matching is thread-safe.
class SharedPattern {
public:
    explicit SharedPattern(std::string_view pattern) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        m_code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                               PCRE2_CASELESS | PCRE2_MULTILINE | PCRE2_UTF | PCRE2_UCP |
                                   PCRE2_MATCH_INVALID_UTF,
                               &error, &offset, nullptr);
        if (!m_code)
            warn(__LINE__, fmt::format("pattern error at {}: {}", offset, pcre2_message(error)));
    }
    ~SharedPattern() { pcre2_code_free(m_code); }
    SharedPattern(const SharedPattern&) = delete;
    SharedPattern& operator=(const SharedPattern&) = delete;

    const pcre2_code* code() const { return m_code; }
    int group(const char* name) const {
        return m_code ? pcre2_substring_number_from_name(m_code, reinterpret_cast<PCRE2_SPTR>(name))
                      : -1;
    }

private:
    pcre2_code* m_code = nullptr;
};

const SharedPattern& select_pattern() {
    static const SharedPattern pattern(k_select_pattern);
    return pattern;
}

const SharedPattern& element_pattern() {
    static const SharedPattern pattern(k_element_pattern);
    return pattern;
}

/// Match data sized for one pattern, freed on scope exit.
struct MatchData {
    explicit MatchData(const pcre2_code* code)
        : data(pcre2_match_data_create_from_pattern(code, nullptr)) {}
    ~MatchData() { pcre2_match_data_free(data); }
    MatchData(const MatchData&) = delete;
    MatchData& operator=(const MatchData&) = delete;
    pcre2_match_data* data;
};

/// The text of group `number` of the last match, or nothing when it took no part.
std::optional<std::string_view> group_text(std::string_view subject, const MatchData& match,
                                           int matched, int number) {
    if (number <= 0 || number >= matched)
        return std::nullopt;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match.data);
    if (ovector[2 * number] == PCRE2_UNSET)
        return std::nullopt;
    return subject.substr(ovector[2 * number], ovector[2 * number + 1] - ovector[2 * number]);
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

/// The select list of a definition, or nothing when the text has none.
std::optional<std::string> select_list(std::string_view definition) {
    const SharedPattern& pattern = select_pattern();
    if (!pattern.code())
        return std::nullopt;
    MatchData match(pattern.code());
    const int matched =
        pcre2_match(pattern.code(), reinterpret_cast<PCRE2_SPTR>(definition.data()),
                    definition.size(), 0, 0, match.data, nullptr);
    if (matched < 0) {
        if (matched != PCRE2_ERROR_NOMATCH)
            warn(__LINE__, pcre2_message(matched));
        return std::nullopt;
    }
    const auto list = group_text(definition, match, matched, pattern.group("columns"));
    return list ? std::optional<std::string>(*list) : std::nullopt;
}

/// The texts of the elements of a select list, in order; empty when no
/// element matched. A matching error keeps the elements found before it.
std::vector<std::string> element_texts(std::string list) {
    std::vector<std::string> texts;
    const SharedPattern& pattern = element_pattern();
    if (!pattern.code())
        return texts;
    std::array<int, k_element_groups.size()> groups{};
    for (std::size_t i = 0; i < groups.size(); ++i)
        groups[i] = pattern.group(k_element_groups[i]);
    // Every element needs a separator after it; the select list stops at
    // the last element, which would otherwise be lost.
    list += ' ';
    MatchData match(pattern.code());
    const std::string_view subject = list;
    PCRE2_SIZE offset = 0;
    while (offset < subject.size()) {
        const int matched =
            pcre2_match(pattern.code(), reinterpret_cast<PCRE2_SPTR>(subject.data()),
                        subject.size(), offset, 0, match.data, nullptr);
        if (matched == PCRE2_ERROR_NOMATCH)
            break;
        if (matched < 0) {
            warn(__LINE__, pcre2_message(matched));
            break;
        }
        std::string text;
        for (const int group : groups)
            if (const auto found = group_text(subject, match, matched, group)) {
                text = std::string(trim(*found));
                break;
            }
        texts.push_back(std::move(text));
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match.data);
        offset = ovector[1] > offset ? ovector[1] : offset + 1;
    }
    return texts;
}

/// The position of the word "as" (any case) between white space, or npos.
std::size_t find_as(std::string_view text) {
    for (std::size_t i = 1; i + 2 < text.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) == 'a' &&
            std::tolower(static_cast<unsigned char>(text[i + 1])) == 's' &&
            std::isspace(static_cast<unsigned char>(text[i - 1])) &&
            std::isspace(static_cast<unsigned char>(text[i + 2])))
            return i;
    return std::string_view::npos;
}

std::shared_ptr<MetaColumn> column_of(std::string_view text) {
    std::string_view name = text;
    std::string_view raw_type = text;
    if (const std::size_t as = find_as(text); as != std::string_view::npos) {
        raw_type = trim(text.substr(0, as));
        name = trim(text.substr(as + 2));
    }
    std::string bare;
    for (const char c : name)
        if (c != '`' && c != '\'' && c != '"' && c != '[' && c != ']')
            bare += c;
    return MetaColumn::with_type(std::move(bare), DataType::UNKNOWN, std::string(raw_type));
}

void derive_columns(std::string_view definition, MetaColumnList& columns) {
    const auto list = select_list(definition);
    if (!list)
        return;
    const std::vector<std::string> texts = element_texts(*list);
    if (texts.empty())
        return;
    columns.clear();
    for (const std::string& text : texts)
        if (!text.empty())
            columns.push_back(column_of(text));
}

} // namespace

const Core::TypeInfo& MetaView::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<MetaView, MetaObject>(
        "DizezidaDovodarudMetaModelMetaView",
        {
            accessor<MetaView, std::string>(
                "definition", [](const MetaView& view) { return view.get_definition(); },
                [](MetaView& view, std::string text) { view.set_definition(std::move(text)); }),
            prop("columns", &MetaView::m_columns, Readable),
            prop("rules", &MetaView::m_rules),
        });
    return info;
}

std::shared_ptr<MetaView> MetaView::with_names(std::string database, std::string schema,
                                               std::string name) {
    return make_with_names<MetaView>(std::move(database), std::move(schema), std::move(name));
}

void MetaView::reset() {
    m_rules.clear();
    MetaObject::reset();
}

Core::ObjectPtr MetaView::clone() const {
    auto copy = std::static_pointer_cast<MetaView>(MetaObject::clone());
    if (copy)
        clone_elements(m_rules, copy->m_rules);
    return copy;
}

void MetaView::set_definition(std::string definition) {
    if (definition == m_definition)
        return;
    m_definition = std::move(definition);
    derive_columns(m_definition, m_columns);
    notify("definition");
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaView)
