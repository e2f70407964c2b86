#include "ContextIdAudit.h"

#include <algorithm>

namespace morvel::helpdoctor {

namespace {

// How a value is written: a project's "name=number" list (decimal or 0x hex), C (octal too,
// suffixes, parentheses and casts) or VB (&H hex, &O octal, type characters).
enum class Dialect { List, C, Basic };

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isWordChar(char c) { return isAlpha(c) || isDigit(c); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// VB's keywords in any case; `lowerCase` is the keyword in lower case.
bool isKeyword(std::string_view word, std::string_view lowerCase)
{
    return std::equal(word.begin(), word.end(), lowerCase.begin(), lowerCase.end(),
                      [](char a, char b) { return lower(a) == b; });
}

bool isIdentifier(std::string_view text)
{
    return !text.empty() && isAlpha(text[0]) && std::all_of(text.begin(), text.end(), isWordChar);
}

// The names of "name=number" lists, where help projects allow dots and dashes too.
bool isListName(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return isWordChar(c) || c == '.' || c == '-'; });
}

// What a note shows of the text: printable ASCII, cut short.
std::string excerpt(std::string_view text)
{
    constexpr std::size_t Most = 40;
    std::string out;
    for (char c : text.substr(0, Most)) out += c >= 0x20 && c < 0x7F ? c : '?';
    return text.size() > Most ? out + "..." : out;
}

// Reads a line from the left, word by word.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    std::string_view rest() const { return text_.substr(at_); }
    // The next word (letters, digits and '_', from a letter or '_'); empty when none starts here.
    std::string_view word()
    {
        skipBlanks();
        const std::size_t start = at_;
        if (at_ < text_.size() && isAlpha(text_[at_]))
            while (at_ < text_.size() && isWordChar(text_[at_])) ++at_;
        return text_.substr(start, at_ - start);
    }
    // Takes the next word when it is this keyword.
    bool keyword(std::string_view lowerCase)
    {
        const std::size_t start = at_;
        if (isKeyword(word(), lowerCase)) return true;
        at_ = start;
        return false;
    }
    bool take(char c)
    {
        skipBlanks();
        if (at_ == text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }

private:
    void skipBlanks()
    {
        while (at_ < text_.size() && isBlank(text_[at_])) ++at_;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// ---------------------------------------------------------------------------- values

// One literal's value, or !fits when its digits go past 32 bits. VB types a hex or octal
// literal by its size, so that one can be negative.
struct Literal {
    std::int64_t value = 0;
    bool fits = true;
};

// The digits of the base from `at`; false when there are none. Reads on past 32 bits, so that
// a long literal is still one number, without keeping more.
bool digits(std::string_view text, std::size_t& at, unsigned base, std::uint64_t& value, bool& fits)
{
    const std::size_t start = at;
    for (; at < text.size(); ++at) {
        const char c = lower(text[at]);
        const unsigned digit = isDigit(c) ? unsigned(c - '0') : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10) : 16;
        if (digit >= base) break;
        if (fits) value = value * base + digit;
        fits = fits && value <= 0xFFFFFFFFu;
    }
    return at > start;
}

std::optional<Literal> literal(std::string_view text, std::size_t& at, Dialect dialect)
{
    auto ahead = [&](std::size_t i) { return at + i < text.size() ? lower(text[at + i]) : '\0'; };
    unsigned base = 10;
    bool typedBySize = false;
    if (dialect == Dialect::Basic && ahead(0) == '&' && (ahead(1) == 'h' || ahead(1) == 'o')) {
        base = ahead(1) == 'h' ? 16 : 8;
        typedBySize = true;
        at += 2;
    } else if (dialect != Dialect::Basic && ahead(0) == '0' && ahead(1) == 'x') {
        base = 16;
        at += 2;
    } else if (dialect == Dialect::C && ahead(0) == '0') {
        base = 8;
    }
    std::uint64_t value = 0;
    bool fits = true;
    if (!digits(text, at, base, value, fits)) return std::nullopt;

    if (dialect == Dialect::Basic) {
        // "&" makes a Long, "%" an Integer; without either, a hex or octal literal of up to
        // 16 bits is an Integer, so &HFFFF is -1. A Long's top bit is its sign.
        const bool isLong = ahead(0) == '&';
        if (isLong || ahead(0) == '%') ++at;
        if (typedBySize && fits && !isLong && value <= 0xFFFF) return Literal{std::int16_t(std::uint16_t(value)), true};
        if (typedBySize && fits) return Literal{std::int32_t(std::uint32_t(value)), true};
        return Literal{std::int64_t(value), fits};
    }
    // C's suffixes: u, l, ll in either order and case.
    int us = 0, ls = 0;
    for (; ahead(0) == 'u' || ahead(0) == 'l'; ++at) ++(ahead(0) == 'u' ? us : ls);
    if (us > 1 || ls > 2) return std::nullopt;
    return Literal{std::int64_t(value), fits};
}

// Where a C cast that starts at `at` ("(DWORD)", "(unsigned long)") ends: at its ')'.
std::optional<std::size_t> castEnd(std::string_view text, std::size_t at)
{
    std::size_t i = at + 1;
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i == text.size() || !isAlpha(text[i])) return std::nullopt;
    while (i < text.size() && (isWordChar(text[i]) || isBlank(text[i]) || text[i] == ':')) ++i;
    if (i == text.size() || text[i] != ')') return std::nullopt;
    return i;
}

struct Number {
    std::uint32_t value = 0;
    bool fits = true;
};

// A value: a literal, with signs, and in C and VB in parentheses, in C after casts. A
// minus gives the 32-bit two's complement. Each character is looked at a bounded number of
// times, whatever the nesting.
std::optional<Number> readValue(std::string_view text, Dialect dialect)
{
    std::size_t at = 0, open = 0;
    bool negative = false;
    auto skipBlanks = [&] {
        while (at < text.size() && isBlank(text[at])) ++at;
    };
    for (skipBlanks(); at < text.size(); skipBlanks()) {
        if (text[at] == '-' || text[at] == '+') {
            negative ^= text[at++] == '-';
        } else if (text[at] == '(' && dialect != Dialect::List) {
            const auto cast = dialect == Dialect::C ? castEnd(text, at) : std::nullopt;
            open += !cast;
            at = cast ? *cast + 1 : at + 1;
        } else {
            break;
        }
    }
    const auto number = literal(text, at, dialect);
    if (!number) return std::nullopt;
    for (skipBlanks(); open > 0 && at < text.size() && text[at] == ')'; skipBlanks()) {
        --open;
        ++at;
    }
    if (open > 0 || at != text.size()) return std::nullopt;
    const std::int64_t value = negative ? -number->value : number->value;
    if (!number->fits || value < -0x80000000LL || value > 0xFFFFFFFFLL) return Number{0, false};
    return Number{std::uint32_t(value), true};
}

// ---------------------------------------------------------------------------- lines

// Whether a line is VB's: a comment, or a statement that starts with VB's keywords. C writes
// enum in lower case, VB's editor capitalises it.
bool startsBasic(std::string_view text)
{
    if (!text.empty() && text[0] == '\'') return true;
    Cursor line(text);
    const auto first = line.word();
    if (isKeyword(first, "public") || isKeyword(first, "private")) return line.keyword("const") || line.keyword("enum");
    return isKeyword(first, "rem") || isKeyword(first, "attribute") || isKeyword(first, "option") ||
           isKeyword(first, "const") || isKeyword(first, "global") || (isKeyword(first, "enum") && first != "enum");
}

// A VB line without its ' comment (one inside a quoted string does not count).
std::string_view withoutBasicComment(std::string_view text)
{
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == '\'' && !quoted)
            return text.substr(0, i);
    }
    return text;
}

class Parser {
public:
    ContextIdList run(std::string_view text);

private:
    enum class Enum { None, Header, Body, BasicBody };

    void line(std::string_view text);
    void basicLine(std::string_view text);
    void cLine(std::string_view text);
    void directive(std::string_view text);
    void enumMembers(std::string_view text);
    void member(std::string_view text, Dialect dialect);
    std::string_view withoutComments(std::string_view text);
    std::optional<std::uint32_t> value(std::string_view name, std::string_view text, Dialect dialect);
    void add(std::string_view name, std::uint32_t id);
    // A note on the line: "[name: ]reason[ (shown)]", made only while notes are kept.
    void note(std::string_view reason, std::optional<std::string_view> shown = {}, std::string_view name = {});
    void notAnId(std::string_view text) { note("not an id definition", text); }

    ContextIdList list_;
    std::size_t line_ = 0;
    bool full_ = false;       // MaxIds read: the rest is left
    bool inComment_ = false;  // in a /* */ comment that started on commentLine_
    std::size_t commentLine_ = 0;
    bool basic_ = false;  // a VB module, where ' starts no C character constant
    Enum enum_ = Enum::None;
    std::optional<std::uint32_t> nextMember_;  // what a member without a value takes; unknown after one not read
    std::string code_;                         // the line withoutComments gives, kept for its room
};

ContextIdList Parser::run(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a UTF-8 mark
    std::string continued;  // the lines of one C line continued with backslashes
    std::size_t physical = 0, firstContinued = 0;
    for (std::size_t start = 0; start < text.size() && !full_;) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view piece = text.substr(start, end - start);
        start = end + 1;
        ++physical;
        if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
        if (!piece.empty() && piece.back() == '\\' && start < text.size()) {
            if (!firstContinued) firstContinued = physical;
            continued.append(piece.substr(0, piece.size() - 1));
            continue;
        }
        line_ = firstContinued ? firstContinued : physical;
        if (!firstContinued) {
            line(piece);
        } else {
            continued.append(piece);
            line(continued);
            continued.clear();
            firstContinued = 0;
        }
    }
    if (inComment_) {
        line_ = commentLine_;
        note("a comment that does not end");
    }
    return std::move(list_);
}

void Parser::line(std::string_view text)
{
    text = trim(text);
    if (!inComment_) {
        if (enum_ == Enum::BasicBody || startsBasic(text)) return basicLine(text);
        if (!text.empty() && (text[0] == ';' || text[0] == '[')) return;  // a project's comment or section
    }
    cLine(trim(withoutComments(text)));
}

void Parser::basicLine(std::string_view text)
{
    basic_ = true;
    text = trim(withoutBasicComment(text));
    Cursor line(text);
    if (text.empty() || line.keyword("rem") || line.keyword("attribute") || line.keyword("option")) return;
    if (enum_ == Enum::BasicBody) {
        if (line.keyword("end") && line.keyword("enum") && trim(line.rest()).empty())
            enum_ = Enum::None;
        else
            member(text, Dialect::Basic);
        return;
    }
    for (const auto scope : {"public", "private", "global"})
        if (line.keyword(scope)) break;
    if (line.keyword("enum")) {
        enum_ = Enum::BasicBody;
        nextMember_ = 0;
        return;
    }
    if (!line.keyword("const")) return notAnId(text);
    // "name[&|%] [As Type] = value", several separated by commas.
    for (std::string_view rest = line.rest(); !full_;) {
        const std::size_t comma = std::min(rest.find(','), rest.size());
        Cursor declaration(rest.substr(0, comma));
        const auto name = declaration.word();
        if (!declaration.take('&')) declaration.take('%');
        if (declaration.keyword("as")) declaration.word();
        if (!isIdentifier(name) || !declaration.take('='))
            notAnId(rest.substr(0, comma));
        else if (const auto id = value(name, declaration.rest(), Dialect::Basic))
            add(name, *id);
        if (comma == rest.size()) break;
        rest.remove_prefix(comma + 1);
    }
}

void Parser::cLine(std::string_view text)
{
    if (text.empty()) return;
    if (text[0] == '#') return directive(text);
    if (enum_ == Enum::Header) {
        if (text[0] != '{') {
            enum_ = Enum::None;
            return notAnId(text);
        }
        enum_ = Enum::Body;
        return enumMembers(text.substr(1));
    }
    if (enum_ == Enum::Body) return enumMembers(text);

    Cursor line(text);
    auto first = line.word();
    if (first == "typedef") first = line.word();
    if (first == "enum") {
        // "enum [class] [Name] [: type] {", the brace here or on a line of its own.
        const auto rest = line.rest();
        const std::size_t brace = rest.find('{');
        nextMember_ = 0;
        if (brace != std::string_view::npos) {
            enum_ = Enum::Body;
            return enumMembers(rest.substr(brace + 1));
        }
        enum_ = rest.find(';') == std::string_view::npos ? Enum::Header : Enum::None;  // or declared, not defined
        return;
    }

    // name=number, perhaps with a project's ; comment after it
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return notAnId(text);
    const auto name = trim(text.substr(0, equals));
    auto number = text.substr(equals + 1);
    number = number.substr(0, number.find(';'));
    if (!isListName(name)) return notAnId(text);
    if (const auto id = value(name, number, Dialect::List)) add(name, *id);
}

// A preprocessor line: "#define name value" is an id; a name defined without a value (an
// include guard), a macro with arguments and the resource editor's _APS_ counters are not,
// and the other directives say nothing about ids.
void Parser::directive(std::string_view text)
{
    Cursor line(text.substr(1));
    const auto name = line.word();
    if (name == "define") {
        const auto macro = line.word();
        if (!isIdentifier(macro)) return notAnId(text);
        if (line.rest().starts_with('(')) return;
        const auto number = trim(line.rest());
        if (number.empty() || macro.starts_with("_APS_")) return;
        if (const auto id = value(macro, number, Dialect::C)) add(macro, *id);
        return;
    }
    static constexpr std::string_view silent[] = {"include", "pragma",  "if",       "ifdef", "ifndef",
                                                  "elif",    "elifdef", "elifndef", "else",  "endif",
                                                  "undef",   "error",   "warning",  "line"};
    const bool known = name.empty() ? trim(line.rest()).empty()  // "#" alone does nothing
                                    : std::find(std::begin(silent), std::end(silent), name) != std::end(silent);
    if (!known) notAnId(text);
}

// Members of a C enum, "name [= value]" separated by commas, until the closing brace.
void Parser::enumMembers(std::string_view text)
{
    std::size_t depth = 0, start = 0;
    for (std::size_t i = 0; i <= text.size() && !full_; ++i) {
        const char c = i < text.size() ? text[i] : ',';
        if (c == '(')
            ++depth;
        else if (c == ')' && depth > 0)
            --depth;
        else if (depth == 0 && (c == ',' || c == '}')) {
            if (const auto piece = trim(text.substr(start, i - start)); !piece.empty()) member(piece, Dialect::C);
            start = i + 1;
            if (c == '}') {
                enum_ = Enum::None;
                return;
            }
        }
    }
}

// A member without a value takes the one after the member before it, the first 0.
void Parser::member(std::string_view text, Dialect dialect)
{
    const std::size_t equals = std::min(text.find('='), text.size());
    const auto name = trim(text.substr(0, equals));
    std::optional<std::uint32_t> id;
    if (!isIdentifier(name))
        notAnId(text);
    else if (equals < text.size())
        id = value(name, text.substr(equals + 1), dialect);
    else if (!nextMember_)
        note("follows a member whose value was not read", std::nullopt, name);
    else
        id = nextMember_;
    if (id) add(name, *id);
    nextMember_ = id && *id < 0xFFFFFFFFu ? std::optional<std::uint32_t>(*id + 1) : std::nullopt;
}

// The line without its C comments (each one a blank), carrying a /* */ comment over to the
// lines after it; quoted text stays as it is.
std::string_view Parser::withoutComments(std::string_view text)
{
    std::string& code = code_;
    code.clear();
    for (std::size_t i = 0; i < text.size();) {
        if (inComment_) {
            const std::size_t end = text.find("*/", i);
            if (end == std::string_view::npos) break;
            inComment_ = false;
            code += ' ';
            i = end + 2;
            continue;
        }
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '/' && next == '/') break;
        if (c == '/' && next == '*') {
            inComment_ = true;
            commentLine_ = line_;
            i += 2;
        } else if (c == '"' || (c == '\'' && !basic_)) {
            std::size_t j = i + 1;
            while (j < text.size() && text[j] != c) j += text[j] == '\\' ? 2 : 1;
            j = std::min(j + 1, text.size());
            code.append(text.substr(i, j - i));
            i = j;
        } else {
            code += c;
            ++i;
        }
    }
    return code;
}

std::optional<std::uint32_t> Parser::value(std::string_view name, std::string_view text, Dialect dialect)
{
    const auto number = readValue(text, dialect);
    if (number && number->fits) return number->value;
    note(number ? "the value does not fit 32 bits" : "the value is not a number", trim(text), name);
    return std::nullopt;
}

void Parser::add(std::string_view name, std::uint32_t id)
{
    if (full_) return;
    if (list_.ids.size() == ContextIdList::MaxIds) {
        note("more than " + std::to_string(ContextIdList::MaxIds) + " ids: the rest of the text is not read");
        full_ = true;
        return;
    }
    list_.ids.push_back({std::string(name), id, line_});
}

void Parser::note(std::string_view reason, std::optional<std::string_view> shown, std::string_view name)
{
    if (full_ || list_.notes.size() > ContextIdList::MaxNotes) return;
    std::string text;
    if (list_.notes.size() == ContextIdList::MaxNotes)
        text = "more lines not understood, not listed";
    else
        text = (name.empty() ? "" : excerpt(name) + ": ") + std::string(reason) +
               (shown ? " (" + excerpt(*shown) + ")" : "");
    list_.notes.push_back({line_, std::move(text)});
}

}  // namespace

ContextIdList parseContextIds(std::string_view text) { return Parser().run(text); }

std::optional<std::uint32_t> parseContextIdNumber(std::string_view text)
{
    const auto number = readValue(text, Dialect::List);
    if (!number || !number->fits) return std::nullopt;
    return number->value;
}

AuditResult auditContextIds(htmlhelp::HtmlHelpPort& port, const std::u16string& file, const ContextIdList& ids)
{
    AuditResult result;
    auto chm = htmlhelp::HelpFileContents::open(port, file, result.status);
    if (!chm) return result;
    result.opened = true;
    try {
        auto map = chm->contextMap();
        result.hasMap = map.has_value();
        if (!map) {
            result.missing = ids.ids;
            return result;
        }
        result.map = std::move(*map);
        result.mapped = result.map.entries.size();
        std::vector<std::uint32_t> mapped;
        mapped.reserve(result.mapped);
        for (const auto& entry : result.map.entries) mapped.push_back(entry.id);
        std::sort(mapped.begin(), mapped.end());
        for (const ContextId& id : ids.ids)
            if (!std::binary_search(mapped.begin(), mapped.end(), id.id)) result.missing.push_back(id);
        // Each distinct topic is looked up once, however many ids point at it.
        std::vector<char> present(result.map.topics.size());
        for (std::size_t i = 0; i < present.size(); ++i) present[i] = chm->hasTopic(result.map.topics[i]);
        for (const auto& entry : result.map.entries)
            if (!present[entry.topic]) result.broken.push_back(entry);
    } catch (const htmlhelp::ContentsTooLarge&) {
        result.tooLarge = true;
    }
    return result;
}

}  // namespace morvel::helpdoctor
