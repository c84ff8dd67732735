// Reader of the help source. The source is line-oriented UTF-8:
//
//   # comment
//   .helpfile <title of the help file>
//   .contents <topic id>              (default: the first topic)
//   .topic <id> [<context number>]
//   .title <topic title>
//   .button <target topic id> <label>
//   .keywords <word>;<word>...        (index entries leading to the topic)
//   .heading <sub-heading>
//   .item <list item; following text lines continue it>
//   .subitem <list item one level deeper>
//   .code <one line of a command example; consecutive lines stay together>
//   plain text lines                  (a paragraph; a blank line ends it)
//
// Inside text, {{ and }} mark emphasised (bold) words.
#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "cp932.h"
#include "help_document.h"

namespace hlpgen {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits "word rest" into the word and the trimmed rest.
std::pair<std::string_view, std::string_view> SplitWord(std::string_view text) {
    text = Trim(text);
    const auto blank = text.find_first_of(" \t");
    if (blank == std::string_view::npos) return {text, {}};
    return {text.substr(0, blank), Trim(text.substr(blank))};
}

std::string ToCp932(std::string_view utf8, int line) {
    auto converted = Utf8ToCp932(utf8);
    if (!converted.ok) throw SourceError(line, converted.problem);
    return std::move(converted.bytes);
}

bool IsAsciiWordChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte < 0x80;
}

bool ValidTopicId(std::string_view id) {
    if (id.empty()) return false;
    for (const char c : id) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.') return false;
    }
    return true;
}

// A label goes into a quoted macro argument. The viewer's macro parser
// takes the byte 0x5C as an escape and 0x60 as an opening quote even when
// they are the second byte of a Shift-JIS character, so such characters
// (and quotes) would break the button.
void CheckButtonLabel(std::string_view utf8, int line) {
    std::size_t start = 0;
    while (start < utf8.size()) {
        std::size_t length = 1;
        while (start + length < utf8.size() && (static_cast<unsigned char>(utf8[start + length]) & 0xC0) == 0x80) {
            ++length;
        }
        const auto character = utf8.substr(start, length);
        const auto bytes = ToCp932(character, line);
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte == 0x5C || byte == 0x60 || c == '"' || c == '\'') {
                throw SourceError(line, "button label character '" + std::string(character) +
                                            "' cannot be used: the viewer's macro parser breaks on quotes "
                                            "and on Shift-JIS bytes 0x5C and 0x60 (as in ソ, 表, 能, 形)");
            }
        }
        start += length;
    }
}

class SourceReader {
public:
    HelpDocument Read(std::string_view source);

private:
    void HandleLine(std::string_view line);
    void HandleDirective(std::string_view name, std::string_view rest);
    void StartTopic(std::string_view rest);
    void AddButton(std::string_view rest);
    void AddKeywords(std::string_view rest);
    void AppendText(std::string_view utf8, ParagraphKind kind);
    void AppendCodeLine(std::string_view utf8);
    void AddRuns(std::string_view utf8);
    void EndParagraph();
    Topic& CurrentTopic();
    void Validate();

    HelpDocument document_;
    std::optional<Paragraph> open_;
    bool emphasisOpen_ = false;
    int emphasisLine_ = 0;
    bool lastCharAscii_ = false;
    int line_ = 0;
};

HelpDocument SourceReader::Read(std::string_view source) {
    std::size_t start = 0;
    while (start <= source.size()) {
        auto end = source.find('\n', start);
        if (end == std::string_view::npos) end = source.size();
        ++line_;
        HandleLine(source.substr(start, end - start));
        start = end + 1;
    }
    EndParagraph();
    Validate();
    return std::move(document_);
}

void SourceReader::HandleLine(std::string_view line) {
    const auto text = Trim(line);
    if (!text.empty() && text.front() == '#') return;
    if (text.empty()) {
        EndParagraph();
        return;
    }
    if (text.front() == '.') {
        const auto [name, rest] = SplitWord(text.substr(1));
        HandleDirective(name, rest);
        return;
    }
    if (open_ && open_->kind == ParagraphKind::Code) EndParagraph();
    AppendText(text, open_ ? open_->kind : ParagraphKind::Body);
}

void SourceReader::HandleDirective(std::string_view name, std::string_view rest) {
    if (name == "helpfile") {
        document_.fileTitle = ToCp932(rest, line_);
    } else if (name == "contents") {
        document_.contentsId = std::string(rest);
    } else if (name == "topic") {
        StartTopic(rest);
    } else if (name == "title") {
        EndParagraph();
        if (rest.empty()) throw SourceError(line_, "a topic title must not be empty");
        CurrentTopic().title = ToCp932(rest, line_);
    } else if (name == "button") {
        AddButton(rest);
    } else if (name == "keywords") {
        AddKeywords(rest);
    } else if (name == "heading") {
        EndParagraph();
        AppendText(rest, ParagraphKind::Heading);
        EndParagraph();  // a heading is one line
    } else if (name == "item" || name == "subitem") {
        EndParagraph();
        AppendText(rest, name == "item" ? ParagraphKind::Item : ParagraphKind::SubItem);
    } else if (name == "code") {
        AppendCodeLine(rest);
    } else {
        throw SourceError(line_, "unknown directive ." + std::string(name));
    }
}

void SourceReader::StartTopic(std::string_view rest) {
    EndParagraph();
    const auto [id, number] = SplitWord(rest);
    if (!ValidTopicId(id)) {
        throw SourceError(line_, "a topic id is made of letters, digits, '_' and '.' only");
    }
    Topic topic;
    topic.id = std::string(id);
    topic.sourceLine = line_;
    if (!number.empty()) {
        std::size_t used = 0;
        long value = -1;
        try {
            value = std::stol(std::string(number), &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != number.size() || value < 0 || value > 0x7FFFFFFFL) {
            throw SourceError(line_, "a context number is a whole number from 0 to 2147483647");
        }
        topic.context = static_cast<std::int32_t>(value);
    }
    document_.topics.push_back(std::move(topic));
}

void SourceReader::AddButton(std::string_view rest) {
    const auto [target, label] = SplitWord(rest);
    if (target.empty() || label.empty()) throw SourceError(line_, ".button needs a topic id and a label");
    CheckButtonLabel(label, line_);
    if (CurrentTopic().buttons.size() == kMaxButtonsPerTopic) {
        throw SourceError(line_, "a topic has at most " + std::to_string(kMaxButtonsPerTopic) +
                                     " buttons (the viewer mistakes further buttons for menu commands)");
    }
    CurrentTopic().buttons.push_back({std::string(target), ToCp932(label, line_), line_});
}

void SourceReader::AddKeywords(std::string_view rest) {
    while (!rest.empty()) {
        const auto end = std::min(rest.find(';'), rest.size());
        const auto word = Trim(rest.substr(0, end));
        if (!word.empty()) CurrentTopic().keywords.push_back({ToCp932(word, line_), line_});
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
}

void SourceReader::AppendText(std::string_view utf8, ParagraphKind kind) {
    if (utf8.empty()) throw SourceError(line_, "this line needs text after the directive");
    CurrentTopic();
    if (!open_) {
        open_ = Paragraph{kind, {{}}, line_};
        lastCharAscii_ = false;
    } else if (lastCharAscii_ && IsAsciiWordChar(utf8.front())) {
        AddRuns(" ");
    }
    AddRuns(utf8);
    lastCharAscii_ = IsAsciiWordChar(utf8.back());
}

// Command examples keep their own lines: each .code line becomes one line
// of the same paragraph.
void SourceReader::AppendCodeLine(std::string_view utf8) {
    if (open_ && open_->kind != ParagraphKind::Code) EndParagraph();
    CurrentTopic();
    if (!open_) {
        open_ = Paragraph{ParagraphKind::Code, {{}}, line_};
    } else {
        open_->lines.emplace_back();
    }
    if (!utf8.empty()) AddRuns(utf8);
}

// Splits text at the emphasis marks and appends the pieces to the last line.
void SourceReader::AddRuns(std::string_view utf8) {
    auto& runs = open_->lines.back();
    while (!utf8.empty()) {
        const auto open = utf8.find("{{");
        const auto close = utf8.find("}}");
        const auto mark = std::min(open, close);
        const auto piece = utf8.substr(0, mark);
        if (!piece.empty()) {
            auto bytes = ToCp932(piece, line_);
            if (!runs.empty() && runs.back().emphasis == emphasisOpen_) {
                runs.back().text += bytes;
            } else {
                runs.push_back({std::move(bytes), emphasisOpen_});
            }
        }
        if (mark == std::string_view::npos) break;
        const bool opening = mark == open;
        if (opening == emphasisOpen_) {
            throw SourceError(line_, opening ? "'{{' inside emphasis" : "'}}' without '{{'");
        }
        emphasisOpen_ = opening;
        emphasisLine_ = line_;
        utf8.remove_prefix(mark + 2);
    }
}

void SourceReader::EndParagraph() {
    if (!open_) return;
    if (emphasisOpen_) throw SourceError(emphasisLine_, "'{{' is not closed in its paragraph");
    CurrentTopic().paragraphs.push_back(std::move(*open_));
    open_.reset();
}

Topic& SourceReader::CurrentTopic() {
    if (document_.topics.empty()) throw SourceError(line_, "text before the first .topic");
    return document_.topics.back();
}

void SourceReader::Validate() {
    if (document_.topics.empty()) throw SourceError(line_, "the help source has no topic");
    std::map<std::string, const Topic*> byId;
    std::map<std::int32_t, const Topic*> byHash;
    std::map<std::int32_t, const Topic*> byContext;
    std::map<std::string, const Topic*> byKeyword;
    for (const auto& topic : document_.topics) {
        if (topic.title.empty()) throw SourceError(topic.sourceLine, "topic " + topic.id + " has no .title");
        if (!byId.emplace(topic.id, &topic).second) {
            throw SourceError(topic.sourceLine, "topic id " + topic.id + " is used twice");
        }
        const auto [hashAt, newHash] = byHash.emplace(ContextHash(topic.id), &topic);
        if (!newHash) {
            throw SourceError(topic.sourceLine, "topic ids " + hashAt->second->id + " and " + topic.id +
                                                    " have the same hash; rename one");
        }
        for (const auto& keyword : topic.keywords) {
            // Wine's viewer cannot offer a choice of topics for one index entry.
            if (!byKeyword.emplace(keyword.text, &topic).second) {
                throw SourceError(keyword.sourceLine, "index word is given to two topics");
            }
        }
        if (topic.context && !byContext.emplace(*topic.context, &topic).second) {
            throw SourceError(topic.sourceLine, "context number " + std::to_string(*topic.context) +
                                                    " is used twice");
        }
    }
    for (const auto& topic : document_.topics) {
        for (const auto& button : topic.buttons) {
            if (!byId.count(button.target)) {
                throw SourceError(button.sourceLine, "button leads to unknown topic " + button.target);
            }
        }
    }
    if (document_.contentsId.empty()) document_.contentsId = document_.topics.front().id;
    if (!byId.count(document_.contentsId)) {
        throw SourceError(line_, ".contents names unknown topic " + document_.contentsId);
    }
}

}  // namespace

HelpDocument ParseHelpSource(std::string_view utf8Source) { return SourceReader().Read(utf8Source); }

std::int32_t ContextHash(std::string_view topicId) {
    std::uint32_t hash = 0;
    for (const char c : topicId) {
        std::uint32_t value = 0;
        if (c >= '1' && c <= '9') value = static_cast<std::uint32_t>(c - '0');
        else if (c == '0') value = 10;
        else if (c == '.') value = 12;
        else if (c == '_') value = 13;
        else if (std::isalpha(static_cast<unsigned char>(c))) {
            value = static_cast<std::uint32_t>(std::toupper(static_cast<unsigned char>(c)) - 'A' + 17);
        }
        hash = hash * 43 + value;
    }
    return topicId.empty() ? 1 : static_cast<std::int32_t>(hash);
}

}  // namespace hlpgen
