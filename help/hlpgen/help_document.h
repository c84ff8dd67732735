// The help text as read from its source: topics made of paragraphs, with
// every text already in the help file's code page (932, Shift-JIS).
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hlpgen {

// A fault in the help source, with the line it was found on (1-based).
class SourceError : public std::runtime_error {
public:
    SourceError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
    [[nodiscard]] int Line() const { return line_; }

private:
    int line_;
};

enum class ParagraphKind { Title, Heading, Body, Item, SubItem, Code };

// A run of text in one font; `emphasis` selects the bold face of the kind.
struct TextRun {
    std::string text;  // code page 932
    bool emphasis = false;
};

struct Paragraph {
    ParagraphKind kind = ParagraphKind::Body;
    // Lines of the paragraph; lines after the first start after a line break.
    std::vector<std::vector<TextRun>> lines;
    int sourceLine = 0;
};

// Wine's viewer numbers its buttons from 500 up and takes numbers from 512
// as menu commands; with its own three buttons that leaves nine per topic.
// (Nine buttons also stay below its limit of 32 strings per macro.)
inline constexpr std::size_t kMaxButtonsPerTopic = 9;

// A button the viewer shows while the topic is open; it opens `target`.
struct TopicButton {
    std::string target;  // topic id
    std::string label;   // code page 932
    int sourceLine = 0;
};

// A word of the viewer's index that leads to the topic.
struct Keyword {
    std::string text;  // code page 932
    int sourceLine = 0;
};

struct Topic {
    std::string id;                      // letters, digits, '_' and '.'
    std::optional<std::int32_t> context;  // number for HELP_CONTEXT
    std::string title;                   // code page 932
    std::vector<TopicButton> buttons;
    std::vector<Keyword> keywords;
    std::vector<Paragraph> paragraphs;
    int sourceLine = 0;
};

struct HelpDocument {
    std::string fileTitle;  // code page 932
    std::string contentsId;  // topic shown for the contents and the finder
    std::vector<Topic> topics;
};

// Reads the UTF-8 help source; throws SourceError for any fault.
[[nodiscard]] HelpDocument ParseHelpSource(std::string_view utf8Source);

// The viewer's hash of a topic id (the key of its context table).
[[nodiscard]] std::int32_t ContextHash(std::string_view topicId);

}  // namespace hlpgen
