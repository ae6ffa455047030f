// A streaming JSON text writer for the meta model's JSON form.
//
// Writes straight into one string, with no document tree in between, so a
// large model costs its text and nothing more; with a sink, the text goes to
// the sink in pieces of about `flush_size` bytes as objects close, so the
// whole text is never held. The output is compact (no
// white space) or indented by a number of spaces a level; texts are escaped
// as JSON requires and bytes that are not UTF-8 become U+FFFD. Not
// synchronised: one writer per thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::MetaModel {

class JsonTextWriter {
public:
    /// `indent` < 0 writes compact text.
    explicit JsonTextWriter(int indent = -1) : m_indent(indent) {}

    /// Takes a piece of text; false stops the writing (later text is dropped).
    using Sink = std::function<bool(std::string_view)>;
    /// Hands the text to `sink` whenever about `flush_size` bytes are held.
    void set_sink(Sink sink, std::size_t flush_size = std::size_t{1} << 20) {
        m_sink = std::move(sink);
        m_flush_size = flush_size;
    }
    /// Hands what is held to the sink; false when the sink refused text.
    bool flush();

    void begin_object() { open('{'); }
    void end_object() { close('}'); }
    void begin_array() { open('['); }
    void end_array() { close(']'); }
    /// The name of the next member of the open object.
    void key(std::string_view name);

    void null_value();
    void bool_value(bool value);
    void int_value(std::int64_t value);
    void uint_value(std::uint64_t value);
    void double_value(double value);
    void string_value(std::string_view text);

    /// The text written so far (the writer is left empty).
    std::string take() { return std::move(m_out); }

    /// Appends `text` as a quoted, escaped JSON string.
    static void append_string(std::string& out, std::string_view text);

private:
    void open(char bracket);
    void close(char bracket);
    /// Separates a value from the one before it, unless it follows a key.
    void before_value();
    void new_line();
    void flush_when_full() {
        if (m_sink && m_out.size() >= m_flush_size)
            flush();
    }

    std::string m_out;
    Sink m_sink;
    std::size_t m_flush_size = 0;
    bool m_sink_failed = false;
    int m_indent;
    std::vector<bool> m_empty; ///< per open container: nothing written in it yet
    bool m_after_key = false;
};

} // namespace Dizezida::Dovodarud::MetaModel
