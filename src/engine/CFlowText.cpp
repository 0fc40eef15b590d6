// The interpreter's text primitives: positions are byte indices into ctx.text, ctx.end is
// inclusive.
#include "engine/CFlowManager.h"

#include "engine/CVariableManager.h"
#include "platform/CodePage932.h"

#include <cstring>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsLead(char c) {
    return CodePage932::IsLeadByte(static_cast<unsigned char>(c));
}

// The first position at or after from (and at most to) where s occurs; -1 when none.
int64_t Search(const char* text, const std::string& s, int64_t from, int64_t to) {
    int64_t length = static_cast<int64_t>(s.size());
    if (length == 0 || from < 0 || to - from + 1 < length) {
        return -1;
    }
    const void* hit = memmem(text + from, static_cast<size_t>(to - from + 1), s.data(), s.size());
    return hit ? static_cast<const char*>(hit) - text : -1;
}

} // namespace

int64_t CFlowManager::SkipBlanks(const ExecContext& ctx, int64_t pos) const {
    const char* t = ctx.text;
    const int64_t end = ctx.end;
    while (pos <= end) {
        if (IsBlank(t[pos])) {
            ++pos;
        } else if (t[pos] == '/' && pos + 1 <= end && t[pos + 1] == '/') {
            int64_t lf = Search(t, "\n", pos + 2, end);
            pos = lf < 0 ? end + 1 : lf + 1;
        } else if (t[pos] == '/' && pos + 1 <= end && t[pos + 1] == '*') {
            int64_t close = Search(t, "*/", pos + 2, end);
            pos = close < 0 ? end + 1 : close + 2;
        } else {
            break;
        }
    }
    return pos;
}

int64_t CFlowManager::FindText(const ExecContext& ctx, const std::string& s, int64_t from, int64_t to) const {
    if (to > ctx.end) {
        to = ctx.end;
    }
    return Search(ctx.text, s, from < 0 ? 0 : from, to);
}

namespace {

// Walks text[from..to] the way FindToken does: comments, character constants and string literals are skipped
// (an unclosed one runs to the end of the range). For each other position `visit` is called; a true answer
// stops the walk and returns that position.
template <typename Visit> int64_t Walk(const char* t, int64_t from, int64_t to, Visit visit) {
    int64_t p = from < 0 ? 0 : from;
    while (p <= to) {
        char c = t[p];
        if (c == '/' && p + 1 <= to && t[p + 1] == '/') {
            int64_t lf = Search(t, "\n", p + 2, to);
            p = lf < 0 ? to + 1 : lf + 1;
            continue;
        }
        if (c == '/' && p + 1 <= to && t[p + 1] == '*') {
            int64_t close = Search(t, "*/", p + 2, to);
            p = close < 0 ? to + 1 : close + 2;
            continue;
        }
        if (c == '\'' || c == '"') {
            int64_t close = Search(t, std::string(1, c), p + 1, to);
            p = close < 0 ? to + 1 : close + 1;
            continue;
        }
        int64_t next = p + 1;
        if (visit(p, next)) {
            return p;
        }
        p = next;
    }
    return -1;
}

bool MatchAt(const char* t, const std::string& s, int64_t p, int64_t to) {
    int64_t length = static_cast<int64_t>(s.size());
    return p + length - 1 <= to && std::memcmp(t + p, s.data(), s.size()) == 0 &&
           !(p > 0 && IsLead(t[p - 1]));
}

} // namespace

int64_t CFlowManager::FindToken(const ExecContext& ctx, const std::string& s, int64_t from,
                                int64_t to) const {
    if (to > ctx.end) {
        to = ctx.end;
    }
    if (s.empty()) {
        return -1;
    }
    const char* t = ctx.text;
    return Walk(t, from, to, [&](int64_t p, int64_t&) { return MatchAt(t, s, p, to); });
}

int64_t CFlowManager::FindMatching(const ExecContext& ctx, char open, int64_t from, int64_t to) const {
    if (to > ctx.end) {
        to = ctx.end;
    }
    char close = open == '(' ? ')' : open == '[' ? ']' : '}';
    const char* t = ctx.text;
    if (from < 0 || from > to || t[from] != open) {
        return -1;
    }
    int64_t nesting = 0;
    return Walk(t, from, to, [&](int64_t p, int64_t&) {
        if (p > 0 && IsLead(t[p - 1])) {
            return false;
        }
        if (t[p] == open) {
            ++nesting;
        } else if (t[p] == close) {
            if (--nesting == 0) {
                return true;
            }
        }
        return false;
    });
}

int64_t CFlowManager::FindTokenOutsideBraces(const ExecContext& ctx, const std::string& s, int64_t from,
                                             int64_t to) const {
    if (to > ctx.end) {
        to = ctx.end;
    }
    if (s.empty()) {
        return -1;
    }
    const char* t = ctx.text;
    bool unclosed = false;
    int64_t found = Walk(t, from, to, [&](int64_t p, int64_t& next) {
        if (t[p] == '{' && !(p > 0 && IsLead(t[p - 1]))) {
            int64_t match = FindMatching(ctx, '{', p, to);
            if (match < 0) {
                unclosed = true;
                next = to + 1;
                return false;
            }
            next = match + 1;
            return false;
        }
        return MatchAt(t, s, p, to);
    });
    return unclosed ? -1 : found;
}

std::string CFlowManager::ReadName(const ExecContext& ctx, int64_t pos, bool dbcs) const {
    std::string name;
    const char* t = ctx.text;
    while (pos <= ctx.end) {
        if (IsNameChar(t[pos])) {
            name += t[pos];
            ++pos;
        } else if (dbcs && IsLead(t[pos]) && pos + 1 <= ctx.end) {
            name.append(t + pos, 2);
            pos += 2;
        } else {
            break;
        }
    }
    return name;
}

int64_t CFlowManager::ReadTypeName(const ExecContext& ctx, int64_t pos, std::string& type) const {
    type.clear();
    int64_t p = SkipBlanks(ctx, pos);
    std::string first = ReadName(ctx, p, dbcsNames != 0);
    if (first.empty() || variables->TypeSize(first) < 0) {
        return pos;
    }
    type = first;
    int64_t q = p + static_cast<int64_t>(first.size());
    int64_t r = SkipBlanks(ctx, q);
    if (r > q) {
        std::string second = ReadName(ctx, r, dbcsNames != 0);
        if (!second.empty() && variables->TypeSize(first + " " + second) >= 0) {
            type = first + " " + second;
            q = r + static_cast<int64_t>(second.size());
        }
    }
    int64_t s = SkipBlanks(ctx, q);
    if (s <= ctx.end && ctx.text[s] == '*') {
        type += '*';
        q = s + 1;
    }
    return q;
}

int CFlowManager::ClassifyDeclaration(const ExecContext& ctx, int64_t pos) const {
    int64_t p = SkipBlanks(ctx, pos);
    int64_t semi = FindToken(ctx, ";", p, ctx.end);
    if (semi < 0) {
        return 3;
    }
    int64_t paren = FindToken(ctx, "(", p, semi - 1);
    if (paren >= 0 && FindToken(ctx, "=", p, paren - 1) < 0) {
        return FindToken(ctx, "{", p, semi - 1) >= 0 ? 2 : 1;
    }
    return 0;
}

std::string CFlowManager::CompactExpression(const char* text, int64_t length) {
    std::string out(1, '\0');
    out.reserve(static_cast<size_t>(length > 0 ? length : 0) + 2);
    int64_t i = 0;
    while (i < length) {
        char c = text[i];
        if (c == '"') {
            int64_t close = i + 1;
            while (close < length && text[close] != '"') {
                ++close;
            }
            int64_t stop = close < length ? close + 1 : length;
            out.append(text + i, static_cast<size_t>(stop - i));
            i = stop;
        } else if (IsBlank(c)) {
            ++i;
        } else if (c == '/' && i + 1 < length && text[i + 1] == '/') {
            while (i < length && text[i] != '\n') {
                ++i;
            }
            ++i;
        } else if (c == '/' && i + 1 < length && text[i + 1] == '*') {
            i += 2;
            while (i < length && !(text[i] == '*' && i + 1 < length && text[i + 1] == '/')) {
                ++i;
            }
            i += 2;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

int64_t CFlowManager::LineOfPosition(const char* text, int64_t pos, int64_t end, std::string& lineText) {
    lineText.clear();
    if (!text || end < 0) {
        return 1;
    }
    int64_t p = pos < 0 ? 0 : pos > end ? end : pos;
    auto isLineEnd = [&](int64_t i) { return text[i] == '\n' || text[i] == '\r'; };
    if (isLineEnd(p)) {
        if (p > 0) {
            --p;
        }
        if (isLineEnd(p) && p > 0) {
            --p;
        }
    }
    int64_t line = 1;
    for (int64_t i = 0; i <= p; ++i) {
        if (text[i] == '\n') {
            ++line;
        }
    }
    int64_t start = p;
    while (start >= 0 && !isLineEnd(start)) {
        --start;
    }
    ++start;
    int64_t stop = start;
    while (stop <= end && !isLineEnd(stop)) {
        ++stop;
    }
    lineText.assign(text + start, static_cast<size_t>(stop - start));
    return line;
}
